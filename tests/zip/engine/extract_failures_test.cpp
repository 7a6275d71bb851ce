// tests/zip/engine/extract_failures_test.cpp -- existing files, damaged data, unsafe names, the
// size cap and damaged archives: what is kept, what is reported, what never appears.
#include <gtest/gtest.h>

#include <map>

#include "tests/zip/engine/extract_support.h"
#include "zip/engine/target_path.h"

namespace vlm::test {
namespace {

using Names = std::set<std::string>;

TEST(VZExecOverwrite, KeepsANewerExistingFileAndReportsFileExists) {
  Extraction X(ArchivePath("stored.zip"));
  WriteBytes(X.File("hello.txt"), "mine");  // written now: newer than the 2021 entry
  EXPECT_EQ(X.Run(), 2);
  EXPECT_EQ(ReadBytes(X.File("hello.txt")), "mine");
  const auto Questions = X.Engine.Of(VZ_ACT_OVERWRITE);
  ASSERT_EQ(Questions.size(), 1u);
  EXPECT_EQ(Questions[0].Text, u"hello.txt");
  EXPECT_EQ(Questions[0].Arg1, 0u);  // default: keep
  EXPECT_EQ(Questions[0].Arg2, 0u);  // entry index
  EXPECT_EQ(Questions[0].Arg3, 2);   // existing same or newer
  const auto Skips = X.Engine.Of(VZ_ACT_SKIPPED);
  ASSERT_EQ(Skips.size(), 1u);
  EXPECT_EQ(Skips[0].Arg2, static_cast<uint32_t>(VZ_SKIP_FILE_EXISTS + 1));
  EXPECT_EQ(Skips[0].Arg1, 0u);
}

TEST(VZExecOverwrite, KeepsAnOlderExistingFileAndReportsNoOverwrite) {
  Extraction X(ArchivePath("stored.zip"));
  WriteBytes(X.File("hello.txt"), "old");
  SetLocalWriteTime(X.File("hello.txt"), 2000, 1, 1);
  EXPECT_EQ(X.Run(), 2);
  EXPECT_EQ(ReadBytes(X.File("hello.txt")), "old");
  EXPECT_EQ(X.Engine.Of(VZ_ACT_OVERWRITE).at(0).Arg3, 1);
  EXPECT_EQ(X.Engine.Of(VZ_ACT_SKIPPED).at(0).Arg2,
            static_cast<uint32_t>(VZ_SKIP_NO_OVERWRITE + 1));
}

TEST(VZExecOverwrite, AnswerOneReplacesTheExistingFile) {
  Extraction X(ArchivePath("stored.zip"));
  WriteBytes(X.File("hello.txt"), "mine");
  X.Engine.OnCallback = [](const CallbackEvent& E, EngineRun&) {
    return E.Action == VZ_ACT_OVERWRITE ? 1 : 0;
  };
  EXPECT_EQ(X.Run(), 3);
  EXPECT_EQ(ReadBytes(X.File("hello.txt")), Plain("hello.txt"));
  EXPECT_TRUE(X.Engine.Of(VZ_ACT_SKIPPED).empty());
}

TEST(VZExecOverwrite, OverwriteOptionMakesReplacingTheDefault) {
  Extraction X(ArchivePath("stored.zip"));
  WriteBytes(X.File("hello.txt"), "mine");
  X.Engine.Command.fOptions |= VZ_OPT_OVERWRITE;
  EXPECT_EQ(X.Run(), 3);
  EXPECT_EQ(X.Engine.Of(VZ_ACT_OVERWRITE).at(0).Arg1, 1u);
  EXPECT_EQ(ReadBytes(X.File("hello.txt")), Plain("hello.txt"));
}

TEST(VZExecOverwrite, AnswerTwoKeepsTheFileEvenWithTheOverwriteOption) {
  Extraction X(ArchivePath("stored.zip"));
  WriteBytes(X.File("hello.txt"), "mine");
  X.Engine.Command.fOptions |= VZ_OPT_OVERWRITE;
  X.Engine.OnCallback = [](const CallbackEvent& E, EngineRun&) {
    return E.Action == VZ_ACT_OVERWRITE ? 2 : 0;
  };
  EXPECT_EQ(X.Run(), 2);
  EXPECT_EQ(ReadBytes(X.File("hello.txt")), "mine");
}

TEST(VZExecOverwrite, UpdateKeepsNewerFilesEvenWithOverwrite) {
  Extraction X(ArchivePath("stored.zip"));
  WriteBytes(X.File("hello.txt"), "mine");
  X.Engine.Command.fOptions |= VZ_OPT_OVERWRITE | VZ_OPT_UPDATE;
  EXPECT_EQ(X.Run(), 2);
  EXPECT_EQ(X.Engine.Of(VZ_ACT_OVERWRITE).at(0).Arg1, 0u);
  EXPECT_EQ(ReadBytes(X.File("hello.txt")), "mine");
}

TEST(VZExecOverwrite, FreshenSkipsEntriesWithoutAFile) {
  Extraction X(ArchivePath("stored.zip"));
  X.Engine.Command.fOptions |= VZ_OPT_FRESHEN;
  EXPECT_EQ(X.Run(), 0);
  EXPECT_TRUE(ListTree(X.Out.Path()).empty());
  for (const auto& Skip : X.Engine.Of(VZ_ACT_SKIPPED)) {
    EXPECT_EQ(Skip.Arg2, static_cast<uint32_t>(VZ_SKIP_ON_FRESHEN + 1));
  }
  EXPECT_EQ(X.Engine.Of(VZ_ACT_SKIPPED).size(), 3u);
}

TEST(VZExecCrc, MismatchKeepsTheFileAndSendsTheMessage) {
  Extraction X(ArchivePath("badcrc.zip"));
  EXPECT_EQ(X.Run(), 1);
  EXPECT_EQ(ReadBytes(X.File("bad.txt")), "bad data\n");
  const auto Crc = X.Engine.Of(VZ_ACT_CRC_ERROR);
  ASSERT_EQ(Crc.size(), 1u);
  EXPECT_EQ(Crc[0].Text, u"bad.txt");
  EXPECT_EQ(Crc[0].Arg1 ^ Crc[0].Arg2, 1u);  // found and expected differ in the flipped bit
  EXPECT_EQ(X.Engine.TextsOf(VZ_ACT_MESSAGE),
            (std::vector<String>{u"After extraction, file bad.txt had a CRC error"}));
}

TEST(VZExecCrc, AnswerThreeDeletesAndAnswerOneAccepts) {
  Extraction Delete(ArchivePath("badcrc.zip"));
  Delete.Engine.OnCallback = [](const CallbackEvent& E, EngineRun&) {
    return E.Action == VZ_ACT_CRC_ERROR ? 3 : 0;
  };
  EXPECT_EQ(Delete.Run(), 1);
  EXPECT_EQ(ListTree(Delete.Out.Path()), (Names{"good.txt"}));
  EXPECT_TRUE(Delete.Engine.Of(VZ_ACT_MESSAGE).empty());

  Extraction Accept(ArchivePath("badcrc.zip"));
  Accept.Engine.OnCallback = [](const CallbackEvent& E, EngineRun&) {
    return E.Action == VZ_ACT_CRC_ERROR ? 1 : 0;
  };
  EXPECT_EQ(Accept.Run(), 2);
  EXPECT_TRUE(Accept.Engine.Of(VZ_ACT_MESSAGE).empty());
}

TEST(VZExecDamagedData, TruncatedDeflateLeavesNoFileAndTheNextEntryIsExtracted) {
  Extraction X(ArchivePath("truncated.zip"));
  EXPECT_EQ(X.Run(), 1);
  EXPECT_EQ(ListTree(X.Out.Path()), (Names{"after.txt"}));
  const auto Messages = X.Engine.Of(VZ_ACT_MESSAGE);
  ASSERT_EQ(Messages.size(), 1u);
  EXPECT_EQ(Messages[0].Text, u"Unexpected end of data for file: cut.bin");
  EXPECT_EQ(Messages[0].Arg1, static_cast<uint32_t>(VZ_ERR_PREMATURE_EOF));
  EXPECT_EQ(X.Engine.Of(VZ_ACT_SKIPPED).at(0).Arg2,
            static_cast<uint32_t>(VZ_SKIP_GENERAL_EXTRACT_ERROR + 1));
}

TEST(VZExecDamagedData, EveryEntryIsDecodedFromItsOwnDataOnly) {
  // A corrupt stream leaves most of its data unread; a padded one leaves its padding.
  Extraction Corrupt(ArchivePath("corrupt_then_good.zip"));
  EXPECT_EQ(Corrupt.Run(), 1);
  EXPECT_EQ(ListTree(Corrupt.Out.Path()), (Names{"good.txt"}));
  EXPECT_EQ(ReadBytes(Corrupt.File("good.txt")), Plain("follow.txt"));
  EXPECT_EQ(Corrupt.Engine.TextsOf(VZ_ACT_MESSAGE),
            (std::vector<String>{u"Invalid compressed data for file: bad.bin"}));

  Extraction Padded(ArchivePath("padded.zip"));
  EXPECT_EQ(Padded.Run(), 3);
  EXPECT_EQ(ListTree(Padded.Out.Path()), (Names{"first.txt", "second.bin", "third.txt"}));
  EXPECT_EQ(ReadBytes(Padded.File("first.txt")), Plain("text.txt"));
  EXPECT_EQ(ReadBytes(Padded.File("second.bin")), Plain("cut.bin"));
  EXPECT_EQ(ReadBytes(Padded.File("third.txt")), Plain("follow.txt"));
  EXPECT_TRUE(Padded.Engine.Of(VZ_ACT_MESSAGE).empty());  // no CRC error, nothing refused
}

TEST(VZExecDamagedData, DataReachingPastTheDirectoryIsRefused) {
  Extraction X(ArchivePath("pastend.zip"));
  EXPECT_EQ(X.Run(), 0);
  EXPECT_TRUE(ListTree(X.Out.Path()).empty());
  EXPECT_EQ(X.Engine.Of(VZ_ACT_MESSAGE).at(0).Arg1, static_cast<uint32_t>(VZ_ERR_PREMATURE_EOF));
}

// One stretch of the archive is extracted at most once: central entries naming one local header,
// and local headers whose lengths reach one stream. The first in central-directory order keeps it.
TEST(VZExecDamagedData, EntriesOverlappingAnEarlierEntrysDataAreRefused) {
  struct Case {
    const char* Archive;
    std::vector<std::string> Refused;
    std::string Kept;
  };
  std::vector<std::string> Copies;
  for (int I = 1; I <= 15; ++I) Copies.push_back("copy" + std::to_string(I) + ".bin");
  for (const Case& C : {Case{"overlap_shared.zip", Copies, "zeros.bin"},
                        Case{"overlap_extra.zip", {"b.bin"}, "a.bin"}}) {
    SCOPED_TRACE(C.Archive);
    Extraction X(ArchivePath(C.Archive));
    EXPECT_EQ(X.Run(), 2);
    EXPECT_EQ(ListTree(X.Out.Path()), (Names{C.Kept, "after.txt"}));
    EXPECT_EQ(ReadBytes(X.File(C.Kept)), Plain("quarter.bin"));
    std::vector<String> Expected;
    for (const auto& Name : C.Refused) {
      Expected.push_back(u"Data of file " + Utf8ToString(Name) +
                         u" overlaps the data of an earlier entry; not extracted");
    }
    EXPECT_EQ(X.Engine.TextsOf(VZ_ACT_MESSAGE), Expected);
    const auto Skips = X.Engine.Of(VZ_ACT_SKIPPED);
    ASSERT_EQ(Skips.size(), C.Refused.size());
    for (const auto& Skip : Skips) {
      EXPECT_EQ(Skip.Arg1, static_cast<uint32_t>(VZ_ERR_INVALID_ZIP));
      EXPECT_EQ(Skip.Arg2, static_cast<uint32_t>(VZ_SKIP_GENERAL_EXTRACT_ERROR + 1));
    }
  }
}

// Adjacent entries, empty ones, data descriptors and stored archives: nothing overlaps, all 300
// are written as python's zipfile reads them.
TEST(VZExecDamagedData, AdjacentEntriesOfEveryKindAreAllWritten) {
  Extraction X(ArchivePath("many.zip"));
  EXPECT_EQ(X.Run(), 300);
  EXPECT_TRUE(X.Engine.Of(VZ_ACT_SKIPPED).empty());
  const auto Written = ListTree(X.Out.Path());
  EXPECT_EQ(Written.size(), 300u);
  for (const auto& Name : Written) EXPECT_EQ(ReadBytes(X.File(Name)), Plain("many/" + Name));
}

TEST(VZExecSizeCap, DataBeyondTheDeclaredSizeIsCutOffReportedAndNotKept) {
  Extraction X(ArchivePath("bomb.zip"));
  EXPECT_EQ(X.Run(), 1);
  EXPECT_EQ(ListTree(X.Out.Path()), (Names{"ok.txt"}));
  // Never more output than declared: 1000 bytes of the 1 MiB, 100 of the 5000.
  int64_t Zeros = 0, Stored = 0;
  String Item;
  for (const auto& E : X.Engine.Events) {
    if (E.Action == VZ_ACT_NEW_ITEM && E.Size >= 0) Item = E.Text;
    if (E.Action == VZ_ACT_PROGRESS) (Item == u"zeros.bin" ? Zeros : Stored) += E.Size;
  }
  EXPECT_EQ(Zeros, 1000);
  EXPECT_EQ(Stored, 100 + 3);  // stored.bin's 100, then ok.txt's 3
  const std::vector<String> Expected = {
      u"Data of file zeros.bin exceeds its declared size of 1000 bytes; cut off, file not kept",
      u"Data of file stored.bin exceeds its declared size of 100 bytes; cut off, file not kept"};
  EXPECT_EQ(X.Engine.TextsOf(VZ_ACT_MESSAGE), Expected);
  for (const auto& Skip : X.Engine.Of(VZ_ACT_SKIPPED)) {
    EXPECT_EQ(Skip.Arg1, static_cast<uint32_t>(VZ_ERR_ERROR));
    EXPECT_EQ(Skip.Arg2, static_cast<uint32_t>(VZ_SKIP_GENERAL_EXTRACT_ERROR + 1));
  }
}

TEST(VZExecSizeCap, DataShorterThanDeclaredIsNotKept) {
  Extraction X(ArchivePath("short.zip"));
  EXPECT_EQ(X.Run(), 0);
  EXPECT_TRUE(ListTree(X.Out.Path()).empty());
  EXPECT_EQ(X.Engine.TextsOf(VZ_ACT_MESSAGE),
            (std::vector<String>{u"Data of file small.bin is shorter than its declared size of 500 "
                                 u"bytes; file not kept"}));
}

TEST(VZExecSizeCap, PublicArchivesWhoseDataExceedsTheDeclaredSize) {
  if (!SharedArchivesPresent()) GTEST_SKIP() << SharedArchivesMissingNote();
  for (const char* Name : {"libarchive/test_read_data_into_fd_size_exceeds_declared_deflate.zip",
                           "libarchive/test_read_data_into_fd_size_exceeds_declared_stored.zip"}) {
    Extraction X(SharedArchivePath(Name));
    EXPECT_EQ(X.Run(), 1) << Name;  // "first" is refused, "second" is fine
    EXPECT_EQ(ListTree(X.Out.Path()), (Names{"second"})) << Name;
    ASSERT_FALSE(X.Engine.Of(VZ_ACT_MESSAGE).empty()) << Name;
    EXPECT_NE(ToUtf8(X.Engine.TextsOf(VZ_ACT_MESSAGE)[0]).find("exceeds its declared size"),
              std::string::npos)
        << Name;
  }
}

TEST(VZExecNames, UnsafeNamesAreSkippedWithBadName) {
  Extraction X(ArchivePath("badnames.zip"));
  EXPECT_EQ(X.Run(), 4);
  // Folder names are dropped, so the last four give harmless names inside the folder.
  EXPECT_EQ(ListTree(X.Out.Path()), (Names{"escape.txt", "good.txt", "on.txt", "rooted.txt"}));
  const auto Skips = X.Engine.Of(VZ_ACT_SKIPPED);
  ASSERT_EQ(Skips.size(), 14u);
  for (const auto& Skip : Skips) {
    EXPECT_EQ(Skip.Arg2, static_cast<uint32_t>(VZ_SKIP_BAD_NAME + 1)) << ToUtf8(Skip.Text);
    EXPECT_EQ(Skip.Arg1, static_cast<uint32_t>(VZ_ERR_INVALID_NAME));
  }
  EXPECT_EQ(Skips[0].Text, u"..");
  EXPECT_EQ(Skips[2].Text, u"C:evil.txt");
  EXPECT_EQ(Skips[7].Text, u"COM\u00B9.txt");
  EXPECT_EQ(X.Engine.TextsOf(VZ_ACT_MESSAGE).at(3), u"Invalid file name, not extracted: CON");
  EXPECT_FALSE(std::filesystem::exists(X.Out.Path().parent_path() / "escape.txt"));
}

TEST(VZExecNames, WithFolderNamesNothingLeavesTheBaseFolder) {
  TempFolder Outer;
  const auto Base = Outer.Path() / "base";
  std::filesystem::create_directory(Base);
  EngineRun Run;
  Run.ArchiveName = ArchivePath("badnames.zip");
  Run.BaseDir = PathString(Base);
  Run.Command.fOptions |= VZ_OPT_DIR_NAMES;
  EXPECT_EQ(Run.Run(), 2);
  EXPECT_EQ(ListTree(Outer.Path()),
            (Names{"base/", "base/abs/", "base/abs/rooted.txt", "base/good.txt"}));
  std::vector<String> Refused;
  for (const auto& Skip : Run.Of(VZ_ACT_SKIPPED)) Refused.push_back(Skip.Text);
  ASSERT_EQ(Refused.size(), 16u);
  EXPECT_EQ(Refused[14], u"..\\escape.txt");
  EXPECT_EQ(Refused[15], u"C:\\drive\\on.txt");
}

// Names too long for the platform or too deep are refused before any folder is made; the
// entries around them are written.
TEST(VZExecNames, NamesBeyondThePathLimitOrTooDeepAreSkippedWholly) {
  Extraction X(ArchivePath("deep.zip"));
  X.Engine.Command.fOptions |= VZ_OPT_DIR_NAMES;
  EXPECT_EQ(X.Run(), 2);
  EXPECT_EQ(ListTree(X.Out.Path()), (Names{"first.txt", "last.txt"}));
  String DeepFile, TooDeep, TooLong;
  for (int I = 0; I < 32766; ++I) DeepFile += u"a\\";
  for (int I = 0; I < 257; ++I) TooDeep += u"d\\";
  for (int I = 0; I < 170; ++I) TooLong += String(200, u'c') + u"\\";
  const String Limit =
      u"Path too long (limit " + Utf8ToString(std::to_string(zipengine::MaxPathLength())) + u"), ";
  EXPECT_EQ(X.Engine.TextsOf(VZ_ACT_MESSAGE),
            (std::vector<String>{
                Limit + u"folder not created: " + DeepFile + u"a\\",
                Limit + u"file not extracted: " + DeepFile + u"a",
                u"Path deeper than 256 folders, file not extracted: " + TooDeep + u"f.txt",
                Limit + u"file not extracted: " + TooLong + u"x.txt"}));
  const auto Skips = X.Engine.Of(VZ_ACT_SKIPPED);
  ASSERT_EQ(Skips.size(), 3u);
  for (const auto& Skip : Skips) {
    EXPECT_EQ(Skip.Arg1, static_cast<uint32_t>(VZ_ERR_INVALID_NAME));
    EXPECT_EQ(Skip.Arg2, static_cast<uint32_t>(VZ_SKIP_BAD_NAME + 1));
  }
}

TEST(VZExecNames, NamesDifferingOnlyInLetterCaseAreTheSameName) {
  Extraction X(ArchivePath("letter_case.zip"));
  EXPECT_EQ(X.Run(), 3);
  EXPECT_EQ(ListTree(X.Out.Path()), (Names{"Readme.TXT", "a.txt", "b.txt"}));
  EXPECT_EQ(ReadBytes(X.File("Readme.TXT")), "first\n");
  EXPECT_EQ(X.Engine.Of(VZ_ACT_SKIPPED).at(0).Text, u"README.txt");

  Extraction Dirs(ArchivePath("letter_case.zip"));
  Dirs.Engine.Command.fOptions |= VZ_OPT_DIR_NAMES;
  WriteBytes(Dirs.File("readme.txt"), "mine");  // an existing file in other letter case
  EXPECT_EQ(Dirs.Run(), 2);
  EXPECT_EQ(ListTree(Dirs.Out.Path()), (Names{"Dir/", "Dir/a.txt", "Dir/b.txt", "readme.txt"}));
  EXPECT_EQ(ReadBytes(Dirs.File("readme.txt")), "mine");
  EXPECT_EQ(Dirs.Engine.Of(VZ_ACT_OVERWRITE).size(), 2u);
}

// Entries named as the engine's temporary files would be at their place: each is written with its
// own bytes, with or without folder names; an existing file of such a name is a real one.
TEST(VZExecNames, EntriesNamedLikeTemporaryFilesAreWritten) {
  const std::map<int, std::string> TempLike = {
      {0, "~vz1.part"}, {2, "~vz3.part"}, {4, "~VZ5.PART"}, {9, "~vz10.part"}};
  for (const bool DirNames : {false, true}) {
    SCOPED_TRACE(DirNames ? "folder names kept" : "folder names dropped");
    const std::string Folder = DirNames ? "sub/" : "";
    Extraction X(ArchivePath("tempnames.zip"));
    if (DirNames) X.Engine.Command.fOptions |= VZ_OPT_DIR_NAMES;
    EXPECT_EQ(X.Run(), 12);
    Names Expected;
    if (DirNames) Expected.insert("sub/");
    for (int I = 0; I < 12; ++I) {
      const auto Found = TempLike.find(I);
      const std::string Name =
          Folder + (Found != TempLike.end() ? Found->second : "file" + std::to_string(I) + ".txt");
      Expected.insert(Name);
      EXPECT_EQ(ReadBytes(X.File(Name)), "data of sub/" + Name.substr(Folder.size())) << Name;
    }
    EXPECT_EQ(ListTree(X.Out.Path()), Expected);
    EXPECT_TRUE(X.Engine.Of(VZ_ACT_SKIPPED).empty());
    EXPECT_TRUE(X.Engine.Of(VZ_ACT_OVERWRITE).empty());
  }

  // An existing ~vz3.part is asked about and kept; an existing ~vz2.part that no entry names is
  // passed over as a temporary name and left alone.
  Extraction Existing(ArchivePath("tempnames.zip"));
  WriteBytes(Existing.File("~vz3.part"), "mine");
  WriteBytes(Existing.File("~vz2.part"), "other");
  EXPECT_EQ(Existing.Run(), 11);
  const auto Questions = Existing.Engine.Of(VZ_ACT_OVERWRITE);
  ASSERT_EQ(Questions.size(), 1u);
  EXPECT_EQ(Questions[0].Text, u"sub\\~vz3.part");
  EXPECT_EQ(Existing.Engine.Of(VZ_ACT_SKIPPED).at(0).Arg2,
            static_cast<uint32_t>(VZ_SKIP_FILE_EXISTS + 1));
  EXPECT_EQ(ReadBytes(Existing.File("~vz3.part")), "mine");
  EXPECT_EQ(ReadBytes(Existing.File("~vz2.part")), "other");
  EXPECT_EQ(ReadBytes(Existing.File("~vz1.part")), "data of sub/~vz1.part");
  EXPECT_EQ(ListTree(Existing.Out.Path()).size(), 13u);
}

TEST(VZExecNames, AnEmptyNameIsABadNameAndASlashIsAFolder) {
  Extraction X(ArchivePath("emptyname.zip"));
  EXPECT_EQ(X.Run(), 1);
  EXPECT_EQ(ListTree(X.Out.Path()), (Names{"ok.txt"}));
  const auto Skips = X.Engine.Of(VZ_ACT_SKIPPED);
  ASSERT_EQ(Skips.size(), 1u);
  EXPECT_EQ(Skips[0].Text, u"");
  EXPECT_EQ(Skips[0].Arg2, static_cast<uint32_t>(VZ_SKIP_BAD_NAME + 1));
  EXPECT_EQ(X.Engine.Of(VZ_ACT_TOTAL_COUNT).at(0).Arg1, 2u);  // "/" is no item
}

TEST(VZExecArchives, ReportsArchivesThatCannotBeRead) {
  TempFolder Out;
  EngineRun NotZip;
  NotZip.ArchiveName = ArchivePath("notzip.zip");
  NotZip.BaseDir = PathString(Out.Path());
  EXPECT_EQ(NotZip.Run(), -VZ_ERR_NO_CENTRAL);

  EngineRun Missing;
  Missing.ArchiveName = ArchivePath("no-such-archive.zip");
  Missing.BaseDir = PathString(Out.Path());
  EXPECT_EQ(Missing.Run(), -VZ_ERR_OPEN_ZIP);

  EngineRun NoFolder;
  NoFolder.ArchiveName = ArchivePath("stored.zip");
  NoFolder.BaseDir = PathString(Out.Path() / "missing") + u"/";
  EXPECT_EQ(NoFolder.Run(), -VZ_ERR_NOT_FOUND);
  EXPECT_TRUE(ListTree(Out.Path()).empty());
}

// Every public sample archive: whatever it holds, the engine returns, writes only inside the
// folder it was given, and leaves no temporary file behind.
class PublicArchive : public ::testing::TestWithParam<std::string> {};

TEST_P(PublicArchive, ExtractsIntoTheFolderOnlyAndLeavesNoTemporaryFiles) {
  TempFolder Outer;
  const auto Base = Outer.Path() / "base";
  std::filesystem::create_directory(Base);
  for (uint32_t Extra : {0u, VZ_OPT_DIR_NAMES}) {
    EngineRun Run;
    Run.ArchiveName = SharedArchivePath(GetParam());
    Run.BaseDir = PathString(Base);
    Run.Command.fOptions |= Extra;
    Run.Command.fPwdReqCount = 0;
    const int32_t Result = Run.Run();
    EXPECT_GE(Result, -36);
    EXPECT_FALSE(HasPartFiles(Outer.Path()));
    for (const auto& Name : ListTree(Outer.Path())) EXPECT_EQ(Name.rfind("base/", 0), 0u) << Name;
    // The progress pattern holds even for damaged archives that get as far as selecting.
    const auto Actions = Run.Actions();
    if (Result >= 0) {
      EXPECT_EQ(Actions.back(), VZ_ACT_END_OF_BATCH);
    }
  }
}

std::vector<std::string> PublicArchiveNames() {
  std::vector<std::string> Names;
  if (!SharedArchivesPresent()) return Names;
  const std::filesystem::path Root(ToUtf8(SharedArchivePath("")));
  for (const auto& Item : std::filesystem::recursive_directory_iterator(Root)) {
    const auto Ext = Item.path().extension().string();
    if (!Item.is_regular_file() ||
        (Ext != ".zip" && Ext != ".ZIP" && Ext != ".xlsx" && Ext != ".zipx"))
      continue;
    std::string Rel = PathToUtf8(std::filesystem::relative(Item.path(), Root));
    for (char& C : Rel) {
      if (C == '\\') C = '/';
    }
    Names.push_back(Rel);
  }
  std::sort(Names.begin(), Names.end());
  return Names;
}

std::string TestNameOf(const ::testing::TestParamInfo<std::string>& Info) {
  std::string Name;
  for (char C : Info.param) Name += std::isalnum(static_cast<unsigned char>(C)) ? C : '_';
  return Name;
}

INSTANTIATE_TEST_SUITE_P(SharedTestData, PublicArchive, ::testing::ValuesIn(PublicArchiveNames()),
                         TestNameOf);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(PublicArchive);

TEST(PublicArchiveCorpus, IsFoundOrItsTestsAreSkipped) {
  if (!SharedArchivesPresent()) GTEST_SKIP() << SharedArchivesMissingNote();
  EXPECT_GT(PublicArchiveNames().size(), 100u);
}

}  // namespace
}  // namespace vlm::test
