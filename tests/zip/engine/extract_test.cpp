// tests/zip/engine/extract_test.cpp -- extraction through VZ_Exec with real archives: what lands
// in the folder, the progress pattern, names, times, methods and the option bits.
#include <gtest/gtest.h>

#include "tests/zip/engine/extract_support.h"

namespace vlm::test {
namespace {

using Names = std::set<std::string>;

TEST(VZExecExtract, WritesStoredEntriesWithoutFolderNames) {
  Extraction X(ArchivePath("stored.zip"));
  EXPECT_EQ(X.Run(), 3);
  EXPECT_EQ(ListTree(X.Out.Path()), (Names{"deep.txt", "empty.txt", "hello.txt"}));
  EXPECT_EQ(ReadBytes(X.File("hello.txt")), Plain("hello.txt"));
  EXPECT_EQ(ReadBytes(X.File("deep.txt")), Plain("deep.txt"));
  EXPECT_EQ(std::filesystem::file_size(X.File("empty.txt")), 0u);
}

TEST(VZExecExtract, ReportsProgressInTheFixedPattern) {
  Extraction X(ArchivePath("stored.zip"));
  ASSERT_EQ(X.Run(), 3);
  // Key, totals, then per entry: new item, extraction name, blocks, end of item; end of batch.
  const std::vector<int32_t> Expected = {18, 4, 5, 1, 16, 2, 1, 1, 16, 1, 1, 16, 2, 1, 3};
  EXPECT_EQ(X.Engine.Actions(), Expected);
  EXPECT_EQ(X.Engine.Of(VZ_ACT_TOTAL_COUNT).at(0).Arg1, 3u);
  EXPECT_EQ(X.Engine.Of(VZ_ACT_TOTAL_SIZE).at(0).Size, 15 + 0 + 120);
  const auto Items = X.Engine.Of(VZ_ACT_NEW_ITEM);
  ASSERT_EQ(Items.size(), 6u);
  EXPECT_EQ(Items[0].Text, u"hello.txt");
  EXPECT_EQ(Items[0].Size, 15);
  EXPECT_EQ(Items[1].Size, -1);
  EXPECT_EQ(Items[2].Text, u"empty.txt");
  EXPECT_EQ(Items[2].Size, 0);
  EXPECT_EQ(Items[4].Text, u"dir\\sub\\deep.txt");
  EXPECT_EQ(Items[4].Size, 120);
  const auto Blocks = X.Engine.Of(VZ_ACT_PROGRESS);
  ASSERT_EQ(Blocks.size(), 2u);
  EXPECT_EQ(Blocks[0].Size, 15);
  EXPECT_EQ(Blocks[1].Size, 120);
  EXPECT_EQ(Blocks[1].Written, 135);  // the operation's running total
}

TEST(VZExecExtract, ProgressBlocksAddUpToEachItemsSize) {
  Extraction X(ArchivePath("deflated.zip"));
  ASSERT_EQ(X.Run(), 2);
  int64_t ItemSize = -1, Sum = 0;
  for (const auto& E : X.Engine.Events) {
    if (E.Action == VZ_ACT_NEW_ITEM && E.Size >= 0) {
      ItemSize = E.Size;
      Sum = 0;
    } else if (E.Action == VZ_ACT_PROGRESS) {
      Sum += E.Size;
      EXPECT_LE(E.Size, 256 * 1024) << "blocks stay small enough to keep the window alive";
    } else if (E.Action == VZ_ACT_NEW_ITEM) {
      EXPECT_EQ(Sum, ItemSize);
    }
  }
  EXPECT_GT(X.Engine.Of(VZ_ACT_PROGRESS).size(), 2u) << "300 KiB come in several blocks";
}

TEST(VZExecExtract, DeflatedEntriesMatchTheirSource) {
  Extraction X(ArchivePath("deflated.zip"));
  EXPECT_EQ(X.Run(), 2);
  EXPECT_EQ(ReadBytes(X.File("mixed.bin")), Plain("mixed.bin"));
  EXPECT_EQ(ReadBytes(X.File("text.txt")), Plain("text.txt"));
}

TEST(VZExecExtract, ReadsZip64RecordsAndExtraFields) {
  Extraction X(ArchivePath("zip64.zip"));
  EXPECT_EQ(X.Run(), 2);
  EXPECT_EQ(ReadBytes(X.File("z64a.bin")), Plain("z64a.bin"));
  EXPECT_EQ(ReadBytes(X.File("z64b.txt")), Plain("text.txt"));
}

TEST(VZExecExtract, ReadsZip64ExtraFieldsInTheCentralDirectory) {
  if (!SharedArchivesPresent()) GTEST_SKIP() << SharedArchivesMissingNote();
  for (const char* Name : {"golang/zip64.zip", "golang/zip64-2.zip"}) {
    Extraction X(SharedArchivePath(Name));
    EXPECT_EQ(X.Run(), 1) << Name;
    EXPECT_EQ(ReadBytes(X.File("README")), "This small file is in ZIP64 format.\n") << Name;
  }
}

TEST(VZExecExtract, FindsTheEndRecordBeforeAnArchiveComment) {
  Extraction X(ArchivePath("comment.zip"));
  EXPECT_EQ(X.Run(), 1);
  EXPECT_EQ(ReadBytes(X.File("commented.txt")), "see the comment\n");
}

TEST(VZExecExtract, HandlesDataInFrontOfTheArchiveWhetherOffsetsCountItOrNot) {
  for (const char* Name : {"prefixed.zip", "concat.zip"}) {
    Extraction X(ArchivePath(Name));
    EXPECT_EQ(X.Run(), 1) << Name;
    EXPECT_EQ(ReadBytes(X.File("inside.txt")), "after the prefix\n") << Name;
  }
}

TEST(VZExecExtract, DecodesUtf8AndOemNames) {
  Extraction Utf8(ArchivePath("utf8.zip"));
  EXPECT_EQ(Utf8.Run(), 2);
  EXPECT_EQ(ListTree(Utf8.Out.Path()), (Names{"Grüße.txt", "日本語.txt"}));
  EXPECT_EQ(ReadBytes(Utf8.File("日本語.txt")), "日本語\n");

  Extraction Oem(ArchivePath("oem.zip"));
  EXPECT_EQ(Oem.Run(), 1);
  EXPECT_EQ(ListTree(Oem.Out.Path()), (Names{"fü.txt"}));  // 0x81 in code page 437
}

TEST(VZExecExtract, GivesEachFileItsEntrysTime) {
  Extraction X(ArchivePath("stored.zip"));
  ASSERT_EQ(X.Run(), 3);
  EXPECT_EQ(FormatTm(LocalWriteTime(X.File("hello.txt"))), "2021-03-04 05:06:08");
  EXPECT_EQ(FormatTm(LocalWriteTime(X.File("deep.txt"))), "2019-12-31 23:59:58");
}

TEST(VZExecExtract, FolderEntriesCreateNothing) {
  Extraction X(ArchivePath("stored.zip"));
  X.Engine.FileSpecs = {u"dir\\"};
  EXPECT_EQ(X.Run(), 0);
  EXPECT_TRUE(ListTree(X.Out.Path()).empty());
  EXPECT_EQ(X.Engine.Of(VZ_ACT_TOTAL_COUNT).at(0).Arg1, 0u);
}

TEST(VZExecExtract, DuplicateFinalNamesGiveOneFileFromTheFirstEntry) {
  Extraction X(ArchivePath("duplicates.zip"));
  EXPECT_EQ(X.Run(), 1);
  EXPECT_EQ(ReadBytes(X.File("x.txt")), "from a\n");
  const auto Skips = X.Engine.Of(VZ_ACT_SKIPPED);
  ASSERT_EQ(Skips.size(), 1u);
  EXPECT_EQ(Skips[0].Text, u"b\\x.txt");
  EXPECT_EQ(Skips[0].Arg2, static_cast<uint32_t>(VZ_SKIP_FILE_EXISTS + 1));
  EXPECT_EQ(Skips[0].Arg1, 0u);
}

TEST(VZExecExtract, KeepsFolderNamesWithTheDirNamesOption) {
  Extraction X(ArchivePath("stored.zip"));
  X.Engine.Command.fOptions |= VZ_OPT_DIR_NAMES;
  EXPECT_EQ(X.Run(), 3);
  EXPECT_EQ(ListTree(X.Out.Path()),
            (Names{"dir/", "dir/sub/", "dir/sub/deep.txt", "empty.txt", "hello.txt"}));
  EXPECT_EQ(ReadBytes(X.File("dir/sub/deep.txt")), Plain("deep.txt"));
}

TEST(VZExecExtract, TestModeChecksWithoutWriting) {
  Extraction Good(ArchivePath("deflated.zip"));
  Good.Engine.Command.fOptions = VZ_OPT_QUIET | VZ_OPT_OP_TEST;
  EXPECT_EQ(Good.Run(), 2);
  EXPECT_TRUE(ListTree(Good.Out.Path()).empty());

  Extraction Bad(ArchivePath("badcrc.zip"));
  Bad.Engine.Command.fOptions = VZ_OPT_QUIET | VZ_OPT_OP_TEST;
  EXPECT_EQ(Bad.Run(), 1);
  EXPECT_TRUE(ListTree(Bad.Out.Path()).empty());
  EXPECT_EQ(Bad.Engine.TextsOf(VZ_ACT_MESSAGE),
            (std::vector<String>{u"File bad.txt has a CRC error"}));
}

TEST(VZExecSelection, SelectsBySpecificationWithoutRegardToCase) {
  Extraction X(ArchivePath("mixed_case.zip"));
  X.Engine.FileSpecs = {u"*.txt"};
  EXPECT_EQ(X.Run(), 1);
  EXPECT_EQ(ListTree(X.Out.Path()), (Names{"Pattern.TXT"}));
  EXPECT_EQ(X.Engine.Of(VZ_ACT_TOTAL_COUNT).at(0).Arg1, 1u);
}

TEST(VZExecSelection, MatchesFolderSpecificationsAgainstTheWholeName) {
  Extraction X(ArchivePath("mixed_case.zip"));
  X.Engine.FileSpecs = {u"SUB/*.*"};
  EXPECT_EQ(X.Run(), 1);
  EXPECT_EQ(ListTree(X.Out.Path()), (Names{"readme.md"}));
}

TEST(VZExecSelection, ExclusionsRemoveMatchingEntries) {
  Extraction X(ArchivePath("mixed_case.zip"));
  X.Engine.ExcludeFileSpecs = {u"*.dat"};
  EXPECT_EQ(X.Run(), 2);
  EXPECT_EQ(ListTree(X.Out.Path()), (Names{"Pattern.TXT", "readme.md"}));
}

TEST(VZExecSelection, AsksForEverySpecificationUntilTheListEnds) {
  Extraction X(ArchivePath("mixed_case.zip"));
  X.Engine.FileSpecs = {u"other.dat", u"nothing.*"};
  EXPECT_EQ(X.Run(), 1);
  std::vector<std::pair<uint32_t, int32_t>> Asked;
  for (const auto& R : X.Engine.Requests) Asked.emplace_back(R.Arg1, R.Arg3);
  const std::vector<std::pair<uint32_t, int32_t>> Expected = {
      {VZ_ARG_FILE_NAME, 0}, {VZ_ARG_PASSWORD, 0}, {VZ_ARG_BASE_DIR, 0},  {VZ_ARG_FSPEC, 0},
      {VZ_ARG_FSPEC, 1},     {VZ_ARG_FSPEC, 2},    {VZ_ARG_FSPEC_EXCL, 0}};
  EXPECT_EQ(Asked, Expected);
}

TEST(VZExecMethods, InflatesDeflate64EntriesMadeBy7z) {
  Extraction X(ArchivePath("deflate64.zip"));
  EXPECT_EQ(X.Run(), 2);
  EXPECT_EQ(ReadBytes(X.File("d64.bin")), Plain("d64.bin"));
  EXPECT_EQ(ReadBytes(X.File("text.txt")), Plain("text.txt"));
}

TEST(VZExecMethods, InflatesThePublicDeflate64Samples) {
  if (!SharedArchivesPresent()) GTEST_SKIP() << SharedArchivesMissingNote();
  struct Sample {
    const char* Archive;
    const char* Expected;
    const char* File;
  };
  for (const Sample& S : {Sample{"zip2/deflate64.zip", "zip2-deflate64", "binary.wmv"},
                          Sample{"commons-compress/lorem-ipsum-deflate64.zip",
                                 "lorem-ipsum-deflate64", "lorem-ipsum.txt"}}) {
    Extraction X(SharedArchivePath(S.Archive));
    EXPECT_GE(X.Run(), 1) << S.Archive;
    const std::string Want = ReadBytes(ArchiveFolder() / "expected" / S.Expected / S.File);
    ASSERT_FALSE(Want.empty()) << S.Archive;
    EXPECT_TRUE(ReadBytes(X.File(S.File)) == Want) << S.Archive;
  }
}

TEST(VZExecMethods, SkipsAnUnknownMethodAndGoesOn) {
  Extraction X(ArchivePath("method.zip"));
  EXPECT_EQ(X.Run(), 1);
  EXPECT_EQ(ListTree(X.Out.Path()), (Names{"fine.txt"}));
  const auto Messages = X.Engine.Of(VZ_ACT_MESSAGE);
  ASSERT_EQ(Messages.size(), 1u);
  EXPECT_EQ(Messages[0].Text, u"Unsupported compression method 12 for file: odd.bin");
  EXPECT_EQ(Messages[0].Arg1, static_cast<uint32_t>(VZ_ERR_ERROR));
  const auto Skips = X.Engine.Of(VZ_ACT_SKIPPED);
  ASSERT_EQ(Skips.size(), 1u);
  EXPECT_EQ(Skips[0].Arg2, static_cast<uint32_t>(VZ_SKIP_COMPRESSION_UNKNOWN + 1));
}

TEST(VZExecMethods, SkipsAnEntryNeedingAnUnknownVersion) {
  Extraction X(ArchivePath("version.zip"));
  EXPECT_EQ(X.Run(), 1);
  EXPECT_EQ(ListTree(X.Out.Path()), (Names{"ok.txt"}));
  EXPECT_EQ(X.Engine.Of(VZ_ACT_SKIPPED).at(0).Arg2,
            static_cast<uint32_t>(VZ_SKIP_ZIP_FILE_FORMAT_WRONG + 1));
  EXPECT_EQ(X.Engine.TextsOf(VZ_ACT_MESSAGE),
            (std::vector<String>{u"Unsupported zip version 9.9 needed for file: future.txt"}));
}

TEST(VZExecMessages, InformationalMessagesNeedAWindowAndNoQuietBit) {
  Extraction Quiet(ArchivePath("stored.zip"));
  Quiet.Engine.Command.fHandle = 1;
  ASSERT_EQ(Quiet.Run(), 3);
  EXPECT_TRUE(Quiet.Engine.Of(VZ_ACT_MESSAGE).empty());

  Extraction NoWindow(ArchivePath("stored.zip"));
  NoWindow.Engine.Command.fOptions = VZ_OPT_OP_EXTRACT;
  ASSERT_EQ(NoWindow.Run(), 3);
  EXPECT_TRUE(NoWindow.Engine.Of(VZ_ACT_MESSAGE).empty());

  Extraction Talkative(ArchivePath("stored.zip"));
  Talkative.Engine.Command.fOptions = VZ_OPT_OP_EXTRACT;
  Talkative.Engine.Command.fHandle = 1;
  ASSERT_EQ(Talkative.Run(), 3);
  const auto Messages = Talkative.Engine.Of(VZ_ACT_MESSAGE);
  ASSERT_EQ(Messages.size(), 3u);
  EXPECT_EQ(Messages[0].Text, u"Extracted: hello.txt");
  EXPECT_EQ(Messages[0].Arg1, 0u);
}

TEST(VZExecMessages, ExtractionNameAnswerRenamesTheFile) {
  Extraction X(ArchivePath("stored.zip"));
  X.Engine.FileSpecs = {u"hello.txt"};
  X.Engine.OnCallback = [](const CallbackEvent& E, EngineRun& Run) {
    if (E.Action != VZ_ACT_EXTRACT_NAME) return 0;
    EXPECT_EQ(E.Text, u"hello.txt");
    EXPECT_EQ(E.Text2, Run.BaseDir);
    Run.SetAnswerText(u"renamed.txt");
    return 1;
  };
  EXPECT_EQ(X.Run(), 1);
  EXPECT_EQ(ListTree(X.Out.Path()), (Names{"renamed.txt"}));
}

}  // namespace
}  // namespace vlm::test
