// tests/zip/engine/engine_files_test.cpp -- the engine's file operations: exclusive creation,
// renaming with and without replacing, DOS file times.
#include "zip/engine/engine_files.h"

#include <gtest/gtest.h>

#include "tests/zip/engine/extract_support.h"

namespace vlm::zipengine {
namespace {

using test::PathString;
using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

// Local 2020-06-15 10:20:<Seconds> as a DOS date-time.
uint32_t Dos(int Seconds) {
  const uint32_t Date = (2020 - 1980) << 9 | 6 << 5 | 15;
  const uint32_t Time = 10 << 11 | 20 << 5 | Seconds / 2;
  return Date << 16 | Time;
}

TEST(TNewFile, CreatesOnlyWhatDoesNotExist) {
  TempFolder Folder;
  const String Name = PathString(Folder.Path() / "new.bin");
  auto File = TNewFile::CreateNew(Name);
  ASSERT_TRUE(File);
  EXPECT_TRUE(File->Write("abc", 3));
  EXPECT_TRUE(File->Close());
  EXPECT_EQ(ReadBytes(Folder.Path() / "new.bin"), "abc");
  EXPECT_FALSE(TNewFile::CreateNew(Name)) << "an existing file is never opened";
  EXPECT_EQ(ReadBytes(Folder.Path() / "new.bin"), "abc");
  EXPECT_FALSE(TNewFile::CreateNew(PathString(Folder.Path())));
}

TEST(RenameFile, RefusesToReplaceUnlessAsked) {
  TempFolder Folder;
  WriteBytes(Folder.Path() / "from", "new");
  WriteBytes(Folder.Path() / "to", "old");
  const String From = PathString(Folder.Path() / "from"), To = PathString(Folder.Path() / "to");
  EXPECT_FALSE(RenameFile(From, To, /*Replace=*/false));
  EXPECT_EQ(ReadBytes(Folder.Path() / "to"), "old");
  EXPECT_TRUE(RenameFile(From, To, /*Replace=*/true));
  EXPECT_EQ(ReadBytes(Folder.Path() / "to"), "new");
  EXPECT_FALSE(std::filesystem::exists(Folder.Path() / "from"));
}

TEST(FileDosDateTime, ReadsBackWhatWasSetAndRoundsOddSecondsUp) {
  TempFolder Folder;
  WriteBytes(Folder.Path() / "f", "x");
  const String Name = PathString(Folder.Path() / "f");
  ASSERT_TRUE(SetFileDosDateTime(Name, Dos(40)));
  EXPECT_EQ(FileDosDateTime(Name), Dos(40));
  EXPECT_EQ(test::FormatTm(test::LocalWriteTime(Folder.Path() / "f")), "2020-06-15 10:20:40");
  // 10:20:41 (set directly) reads back as 10:20:42.
  const auto Even = std::filesystem::last_write_time(Folder.Path() / "f");
  std::filesystem::last_write_time(Folder.Path() / "f", Even + std::chrono::seconds(1));
  EXPECT_EQ(FileDosDateTime(Name), Dos(42));
  EXPECT_FALSE(FileDosDateTime(PathString(Folder.Path() / "missing")));
}

TEST(SetFileDosDateTime, RefusesImpossibleTimesOnEveryBuild) {
  TempFolder Folder;
  WriteBytes(Folder.Path() / "f", "x");
  const String Name = PathString(Folder.Path() / "f");
  const auto Before = std::filesystem::last_write_time(Folder.Path() / "f");
  for (uint32_t Bad : {0u, Dos(40) & ~(0x0Fu << 21), Dos(40) & ~(0x1Fu << 16), Dos(40) | 0x1Fu,
                       Dos(40) | (24u << 11), Dos(40) | (60u << 5)}) {
    EXPECT_FALSE(IsValidDosDateTime(Bad)) << std::hex << Bad;
    EXPECT_FALSE(SetFileDosDateTime(Name, Bad)) << std::hex << Bad;
  }
  EXPECT_EQ(std::filesystem::last_write_time(Folder.Path() / "f"), Before);
  EXPECT_TRUE(IsValidDosDateTime(Dos(58)));
}

TEST(TNewFile, SetsTheTimeThroughItsHandleAndRefusesImpossibleTimes) {
  TempFolder Folder;
  const String Name = PathString(Folder.Path() / "timed.bin");
  auto File = TNewFile::CreateNew(Name);
  ASSERT_TRUE(File);
  EXPECT_TRUE(File->Write("abc", 3));
  EXPECT_FALSE(File->SetDosDateTime(Dos(40) | 0x1Fu)) << "seconds / 2 of 31";
  EXPECT_TRUE(File->SetDosDateTime(Dos(40)));
  EXPECT_TRUE(File->Close());
  EXPECT_EQ(FileDosDateTime(Name), Dos(40)) << "closing keeps the time that was set";
  EXPECT_EQ(test::FormatTm(test::LocalWriteTime(Folder.Path() / "timed.bin")),
            "2020-06-15 10:20:40");
  EXPECT_EQ(ReadBytes(Folder.Path() / "timed.bin"), "abc");
  EXPECT_FALSE(File->SetDosDateTime(Dos(40))) << "not once closed";
}

TEST(KindOfPath, TellsFilesFoldersAndNothing) {
  TempFolder Folder;
  WriteBytes(Folder.Path() / "f", "x");
  EXPECT_EQ(KindOfPath(PathString(Folder.Path() / "f")), TPathKind::File);
  EXPECT_EQ(KindOfPath(PathString(Folder.Path())), TPathKind::Folder);
  EXPECT_EQ(KindOfPath(PathString(Folder.Path() / "none")), TPathKind::None);
}

}  // namespace
}  // namespace vlm::zipengine
