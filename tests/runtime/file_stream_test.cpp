// tests/runtime/file_stream_test.cpp -- file and memory streams and the file layer's error texts.
#include "runtime/file_stream.h"

#include <gtest/gtest.h>

#include "runtime/exception.h"
#include "runtime/file_system.h"
#include "runtime/memory_stream.h"
#include "runtime/os_error.h"
#include "tests/support/temp_folder.h"

namespace vlm {
namespace {

bool StartsWith(const String& Text, const String& Prefix) {
  return Text.compare(0, Prefix.size(), Prefix) == 0;
}

TEST(TFileStream, CreateWritesAndOpenReadsTheSameBytes) {
  test::TempFolder Folder;
  const String Name = Folder.File("data.bin");
  {
    TFileStream Out(Name, fmCreate);
    Out.WriteBuffer("\x00\x01\xFFxyz", 6);
    EXPECT_EQ(Out.Size(), 6);
  }
  TFileStream In(Name, fmOpenRead);
  char Buffer[8] = {};
  EXPECT_EQ(In.Read(Buffer, 8), 6);
  EXPECT_EQ(std::string(Buffer, 6), std::string("\x00\x01\xFFxyz", 6));
  EXPECT_EQ(In.Read(Buffer, 8), 0);
  EXPECT_THROW(In.ReadBuffer(Buffer, 1), EReadError);
}

TEST(TFileStream, OpeningAMissingFileRaisesOpenErrorWithTheExpandedNameAndReason) {
  test::TempFolder Folder;
  const String Name = Folder.File("missing.txt");
  try {
    TFileStream In(Name, fmOpenRead);
    FAIL() << "no exception";
  } catch (const EFOpenError& Error) {
    const String Expected =
        u"Cannot open file \"" + ExpandFileName(Name) + u"\". " + SysErrorMessage(kErrorFileNotFound);
    EXPECT_EQ(Error.Message(), Expected);
    EXPECT_STREQ(Error.ClassName(), "EFOpenError");
  }
}

TEST(TFileStream, CreatingInAMissingFolderRaisesCreateError) {
  test::TempFolder Folder;
  const String Name = Folder.File("no-such-folder/x.txt");
  try {
    TFileStream Out(Name, fmCreate);
    FAIL() << "no exception";
  } catch (const EFCreateError& Error) {
    const String Prefix = u"Cannot create file \"" + ExpandFileName(Name) + u"\". ";
    EXPECT_TRUE(StartsWith(Error.Message(), Prefix)) << Error.what();
    EXPECT_GT(Error.Message().size(), Prefix.size()) << "the platform's reason is missing";
  }
}

TEST(TFileStream, AFolderCannotBeOpenedAsAFile) {
  test::TempFolder Folder;
  EXPECT_THROW(TFileStream(Folder.File(""), fmOpenRead), EFOpenError);
}

TEST(TMemoryStream, GrowsWithZerosAndKeepsThePositionInRange) {
  TMemoryStream Stream;
  Stream.SetPosition(4);
  Stream.WriteBuffer("ab", 2);
  ASSERT_EQ(Stream.Size(), 6);
  EXPECT_EQ(Stream.View(), std::string_view("\0\0\0\0ab", 6));
  Stream.SetSize(3);
  EXPECT_EQ(Stream.Position(), 3);
  EXPECT_EQ(Stream.Seek(-1, TSeekOrigin::soEnd), 2);
}

TEST(TMemoryStream, SaveAndLoadRoundTripThroughAFile) {
  test::TempFolder Folder;
  TMemoryStream Out;
  std::string Payload(70000, '\0');
  for (size_t I = 0; I < Payload.size(); ++I) Payload[I] = static_cast<char>(I * 7);
  Out.WriteBuffer(Payload.data(), static_cast<int64_t>(Payload.size()));
  Out.SaveToFile(Folder.File("p.bin"));
  TMemoryStream In;
  In.LoadFromFile(Folder.File("p.bin"));
  EXPECT_EQ(In.View(), Payload);
}

TEST(TStream, CopyFromWithZeroCountCopiesTheWholeSource) {
  TMemoryStream Source, Target;
  Source.WriteBuffer("hello", 5);  // position is at the end: Count 0 rewinds first
  EXPECT_EQ(Target.CopyFrom(Source, 0), 5);
  EXPECT_EQ(Target.View(), "hello");
}

TEST(EInOutError, NamesTheCommonCodesAndNumbersTheRest) {
  EXPECT_EQ(EInOutError(5).Message(), u"File access denied");
  EXPECT_EQ(EInOutError(101).Message(), u"Disk full");
  EXPECT_EQ(EInOutError(2).Message(), u"File not found");
  EXPECT_EQ(EInOutError(103).Message(), u"I/O error 103");
  EXPECT_EQ(EInOutError(103).ErrorCode(), 103);
}

TEST(FileSystem, ExpandFileNameResolvesDotSegmentsAndKeepsAbsoluteNames) {
  test::TempFolder Folder;
  const String Base = Folder.File("");
  EXPECT_EQ(ExpandFileName(Folder.File("a/../b.txt")), ExpandFileName(Folder.File("b.txt")));
  EXPECT_EQ(ExpandFileName(Folder.File("./c.txt")), ExpandFileName(Folder.File("c.txt")));
  EXPECT_TRUE(DirectoryExists(Base));
  EXPECT_FALSE(FileExists(Base));
}

TEST(FileSystem, RemoveFileDeletesFilesButNotFolders) {
  test::TempFolder Folder;
  test::WriteBytes(Folder.Path() / "f", "x");
  std::filesystem::create_directory(Folder.Path() / "d");
  EXPECT_TRUE(RemoveFile(Folder.File("f")));
  EXPECT_FALSE(FileExists(Folder.File("f")));
  EXPECT_FALSE(RemoveFile(Folder.File("d")));
  EXPECT_TRUE(DirectoryExists(Folder.File("d")));
}

}  // namespace
}  // namespace vlm
