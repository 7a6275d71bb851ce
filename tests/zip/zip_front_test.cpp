// tests/zip/zip_front_test.cpp -- TZipFront19's extract operation with the real engine library:
// progress events, skips, overwrite questions, passwords, failures and the operation bracket.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include <new>

#include "runtime/application.h"
#include "runtime/exception.h"
#include "tests/zip/zip_front_support.h"

namespace vlm::ziptest {
namespace {

std::string Hundred() {
  return std::string(100, 'h');
}

class ZipFrontTest : public ::testing::Test {
protected:
  String TwoEntries() {
    return F.WriteArchive("pkg.zip", {{"dir/sub/hundred.txt", Hundred()}, {"empty.txt", ""}});
  }
  FrontFixture F;
};

TEST_F(ZipFrontTest, ProgressEventsFollowTheEngineReports) {
  EXPECT_EQ(F.ExtractFrom(TwoEntries()), 0);
  EXPECT_EQ(F.Zip.SuccessCnt(), 2);
  const std::vector<std::tuple<TZFProgressType, std::string, int64_t, int>> Expected = {
      {TotalFiles2Process, "", 0, 0},
      {TotalSize2Process, "", 0, 0},
      {NewFile, "dir\\sub\\hundred.txt", 100, 0},
      {ProgressUpdate, "dir\\sub\\hundred.txt", 100, 100},
      {EndOfItem, "dir\\sub\\hundred.txt", 100, 100},
      {NewFile, "empty.txt", 0, 0},
      {EndOfItem, "empty.txt", 0, 0},
      {EndOfBatch, "", 0, 0}};
  ASSERT_EQ(F.Progress.size(), Expected.size());
  for (size_t I = 0; I < Expected.size(); ++I) {
    const auto& [Order, Name, Size, PerCent] = Expected[I];
    EXPECT_EQ(F.Progress[I].Order, Order) << I;
    EXPECT_EQ(F.Progress[I].Name, Name) << I;
    EXPECT_EQ(F.Progress[I].Size, Size) << I;
    EXPECT_EQ(F.Progress[I].PerCent, PerCent) << I;
  }
  EXPECT_EQ(F.OutFile("hundred.txt"), Hundred());
  EXPECT_TRUE(F.OutExists("empty.txt"));
  EXPECT_TRUE(F.Zip.FSpecArgs().Count() == 0);
  EXPECT_TRUE(F.Presenter->Shown.empty());
}

TEST_F(ZipFrontTest, DetailsCountEntriesAndBytes) {
  int64_t TotalCount = -1, TotalSize = -1, LastTotalPosition = -1;
  F.Zip.OnProgress = [&](TObject* Sender, TZFProgressDetails& D) {
    EXPECT_EQ(Sender, &F.Zip);
    if (D.Order() == TotalFiles2Process) TotalCount = D.TotalCount();
    if (D.Order() == TotalSize2Process) TotalSize = D.TotalSize();
    if (D.Order() == EndOfItem) LastTotalPosition = D.TotalPosition();
  };
  F.ExtractFrom(TwoEntries());
  EXPECT_EQ(TotalCount, 2);
  EXPECT_EQ(TotalSize, 100);
  EXPECT_EQ(LastTotalPosition, 100);
}

TEST_F(ZipFrontTest, ExistingFileIsSkippedSilently) {
  test::WriteBytes(F.Folder.Path() / "out" / "empty.txt", "keep me");
  std::vector<SkipRecord> Skips;
  F.Zip.OnSkipped = [&](TObject*, const String& Name, TZFSkipTypes Reason, int& Ext) {
    Skips.push_back({StringToUtf8(Name), Reason, Ext});
  };
  EXPECT_EQ(F.ExtractFrom(TwoEntries()), 0);
  EXPECT_EQ(F.Zip.SuccessCnt(), 1);
  EXPECT_EQ(F.OutFile("empty.txt"), "keep me");
  ASSERT_EQ(Skips.size(), 1u);
  EXPECT_TRUE(Skips[0].Reason == stFileExists || Skips[0].Reason == stNoOverwrite);
  EXPECT_EQ(Skips[0].ExtError, 0);
  EXPECT_TRUE(F.Presenter->Shown.empty());
}

TEST_F(ZipFrontTest, OverwriteQuestionCanReplaceTheFile) {
  test::WriteBytes(F.Folder.Path() / "out" / "hundred.txt", "old");
  int Asked = 0;
  F.Zip.OnExtractOverwrite = [&](TObject*, const String&, bool, bool& DoOverwrite, int) {
    ++Asked;
    EXPECT_FALSE(DoOverwrite);  // the engine's default with these options
    DoOverwrite = true;
  };
  EXPECT_EQ(F.ExtractFrom(TwoEntries()), 0);
  EXPECT_EQ(Asked, 1);
  EXPECT_EQ(F.OutFile("hundred.txt"), Hundred());
  EXPECT_EQ(F.Zip.SuccessCnt(), 2);
}

TEST_F(ZipFrontTest, EmptyZipFileNameIsReported) {
  F.Zip.SetExtrBaseDir(F.OutDir());
  EXPECT_EQ(F.Zip.Extract(), 10102);
  EXPECT_EQ(F.BoxTexts(), std::vector<std::string>{"Error - no zip file specified!"});
}

TEST_F(ZipFrontTest, ArchiveWithOnlyFoldersCannotBeOpened) {
  EXPECT_EQ(F.ExtractFrom(F.WriteArchive("dirs.zip", {{"a/", ""}, {"b/", ""}})), 11002);
  EXPECT_EQ(F.BoxTexts(), std::vector<std::string>{"Zip file could not be opened"});
}

TEST_F(ZipFrontTest, MissingBaseFolderNamesTheExpandedPath) {
  F.Zip.SetZipFileName(TwoEntries());
  F.Zip.SetExtrBaseDir(F.Path("missing"));
  EXPECT_EQ(F.Zip.Extract(), 10504);
  const std::string Expected = "Extract directory '" +
                               StringToUtf8(F.Path("missing") + FrontFixture::PathDelimiterText()) +
                               "' must exist";
  EXPECT_EQ(F.BoxTexts(), std::vector<std::string>{Expected});
  EXPECT_FALSE(std::filesystem::exists(F.Folder.Path() / "missing"));
}

TEST_F(ZipFrontTest, ForceDirsCreatesTheBaseFolder) {
  F.Zip.SetZipFileName(TwoEntries());
  F.Zip.SetExtrBaseDir(F.Path("made/deeper"));
  F.Zip.SetExtrOptions({ExtrForceDirs});
  EXPECT_EQ(F.Zip.Extract(), 0);
  EXPECT_EQ(test::ReadBytes(F.Folder.Path() / "made" / "deeper" / "hundred.txt"), Hundred());
}

TEST_F(ZipFrontTest, ReentryIsRefusedAndFlagged) {
  int Inner = -1;
  F.Zip.OnProgress = [&](TObject*, TZFProgressDetails& D) {
    if (D.Order() == NewFile && Inner < 0) Inner = F.Zip.Extract();
  };
  const int Outer = F.ExtractFrom(TwoEntries());
  EXPECT_EQ(Inner, kZipReentryFlag);
  EXPECT_EQ(Outer, kZipReentryFlag);
  EXPECT_EQ(F.Zip.SuccessCnt(), 2);  // the running extraction went on
  EXPECT_EQ(F.Zip.ErrMessage(), u"Busy + ");
  // The next admitted operation clears the flag.
  EXPECT_EQ(F.ExtractFrom(F.WriteArchive("other.zip", {{"other.txt", "o"}})), 0);
}

TEST_F(ZipFrontTest, CancelFromProgressStopsWithoutABox) {
  F.Zip.OnProgress = [&](TObject*, TZFProgressDetails& D) {
    if (D.Order() == NewFile) F.Zip.SetCancel(true);
  };
  EXPECT_EQ(F.ExtractFrom(TwoEntries()), 11007);
  EXPECT_EQ(F.Zip.SuccessCnt(), 0);
  EXPECT_TRUE(F.Presenter->Shown.empty());
  EXPECT_FALSE(F.Zip.Busy());
}

TEST_F(ZipFrontTest, AbortDLLStopsTheEngineByItsOperationKey) {
  F.Zip.OnProgress = [&](TObject*, TZFProgressDetails& D) {
    if (D.Order() == NewFile) {
      EXPECT_NE(F.Zip.Worker().fDLLOperKey, 0u);
      F.Zip.AbortDLL();
    }
  };
  EXPECT_EQ(F.ExtractFrom(TwoEntries()), 11007);
  EXPECT_EQ(F.Zip.Worker().fDLLOperKey, 0u);  // cleared after the command
  EXPECT_EQ(F.Zip.SuccessCnt(), 0);
  EXPECT_TRUE(F.Presenter->Shown.empty());
}

TEST_F(ZipFrontTest, OtherExceptionsEndTheOperationAsFailed) {
  F.Zip.SetZipFileName(F.WriteArchive("dirs.zip", {{"a/", ""}}));
  F.Zip.SetExtrBaseDir(F.OutDir());
  // The view is empty, so Extract reads the directory again and the handler runs.
  F.Zip.OnDirUpdate = [](TObject*) { throw Exception(u"odd"); };
  EXPECT_EQ(F.Zip.Extract(), 10202);
  EXPECT_EQ(F.BoxTexts().back(), "Unknown error in List() functionodd");
  EXPECT_FALSE(F.Zip.Busy());
  F.Zip.OnDirUpdate = [](TObject*) { throw std::bad_alloc(); };
  EXPECT_EQ(F.Zip.Extract(), 10103);
  EXPECT_EQ(F.BoxTexts().back(), "Requested memory not available");
}

TEST_F(ZipFrontTest, StopAfterTheCurrentItem) {
  F.Zip.OnProgress = [&](TObject*, TZFProgressDetails& D) {
    if (D.Order() == NewFile) D.SetStop(true);
  };
  F.ExtractFrom(TwoEntries());
  EXPECT_TRUE(F.OutExists("hundred.txt"));
  EXPECT_FALSE(F.OutExists("empty.txt"));
}

TEST_F(ZipFrontTest, ExceptionInAHandlerBecomesCallbackException) {
  F.Zip.OnProgress = [&](TObject*, TZFProgressDetails&) { throw Exception(u"boom"); };
  EXPECT_EQ(F.ExtractFrom(TwoEntries()), 11651);
  EXPECT_EQ(F.BoxTexts(), std::vector<std::string>{"Callback exception #4 \"boom\""});
  EXPECT_EQ(F.Zip.SuccessCnt(), 0);
}

TEST_F(ZipFrontTest, StateChangesAroundTheOperation) {
  std::vector<TZFStates> States;
  F.Zip.OnStateChange = [&](TObject*, TZFStates State, bool&) { States.push_back(State); };
  F.ExtractFrom(TwoEntries());
  // SetZipFileName and Extract: busy, idle each.
  EXPECT_EQ(States, (std::vector<TZFStates>{zsBusy, zsIdle, zsBusy, zsIdle}));
  F.Zip.SetActive(false);
  EXPECT_EQ(F.Zip.Extract(), 10109);
  EXPECT_EQ(F.Zip.ErrMessage(), u"not Active");
}

TEST_F(ZipFrontTest, KeepAlivePumpsTheApplicationMessages) {
  int Pumped = 0;
  Application().OnProcessMessages = [&] { ++Pumped; };
  F.ExtractFrom(TwoEntries());
  Application().OnProcessMessages = nullptr;
  EXPECT_GE(Pumped, 8);  // at least once per progress event
}

// What the user is shown is what is written: names whose first Unicode path block is not valid
// (a later valid one is not taken), an empty valid block, a comment's block on an MS-DOS entry.
TEST_F(ZipFrontTest, ListedNamesAreTheNamesWritten) {
  const std::set<String> Expected = {u"raw_version.txt", u"raw_crc.txt",   u"raw_short.txt",
                                     u"raw_utf8.txt",    u"raw_empty.txt", u"caf\u201A.txt"};
  EXPECT_EQ(F.ExtractFrom(EngineArchive("names.zip")), 0);
  std::set<String> Listed, Written;
  for (int I = 0; I < F.Zip.Count(); ++I) Listed.insert(F.Zip.DirEntry(I)->FileName());
  for (const auto& Item : std::filesystem::directory_iterator(F.Folder.Path() / "out")) {
    Written.insert(Utf8ToString(test::PathToUtf8(Item.path().filename())));
  }
  EXPECT_EQ(Listed, Expected);
  EXPECT_EQ(Written, Expected);
}

TEST_F(ZipFrontTest, PasswordDialogAnsweredExtractsEncryptedEntries) {
  F.Presenter->Typed = u"secret";
  EXPECT_EQ(F.ExtractFrom(EngineArchive("crypto.zip")), 0);
  EXPECT_EQ(F.Zip.SuccessCnt(), 2);
  ASSERT_FALSE(F.Presenter->Shown.empty());
  EXPECT_TRUE(F.Presenter->Shown[0].IsPassword());
  EXPECT_EQ(F.Presenter->Shown[0].Text, u"Enter Password ");
  EXPECT_EQ(F.OutFile("a.txt").substr(0, 12), "secret text\n");
}

TEST_F(ZipFrontTest, PasswordDialogCancelledSkipsTheEntry) {
  F.Presenter->Answers = {mrCancel, mrCancel};
  std::vector<SkipRecord> Skips;
  F.Zip.OnSkipped = [&](TObject*, const String& Name, TZFSkipTypes Reason, int& Ext) {
    Skips.push_back({StringToUtf8(Name), Reason, Ext});
  };
  F.ExtractFrom(EngineArchive("crypto.zip"));
  EXPECT_EQ(F.Zip.SuccessCnt(), 0);
  ASSERT_EQ(Skips.size(), 2u);
  EXPECT_EQ(Skips[0].Reason, stBadPassword);
  EXPECT_FALSE(F.OutExists("a.txt"));
}

TEST_F(ZipFrontTest, CancelAllStopsFurtherPasswordRequests) {
  F.Presenter->Answers = {mrAll};
  F.ExtractFrom(EngineArchive("crypto.zip"));
  EXPECT_EQ(F.Presenter->Shown.size(), 1u);
  EXPECT_EQ(F.Zip.SuccessCnt(), 0);
}

TEST_F(ZipFrontTest, UnattendedExtractWarnsAndAsksForNoPassword) {
  F.Zip.Unattended = true;
  F.ExtractFrom(EngineArchive("crypto.zip"));
  EXPECT_TRUE(F.Presenter->Shown.empty());
  ASSERT_FALSE(F.Messages.empty());
  EXPECT_EQ(F.Messages[0].Code, 0);
  EXPECT_EQ(F.Messages[0].Text, u"Warning - Unattended Extract: possible not all files extracted");
  EXPECT_FALSE(F.OutExists("a.txt"));
}

TEST_F(ZipFrontTest, EngineErrorMessageBecomesTheErrorWithoutABox) {
  EXPECT_EQ(F.ExtractFrom(EngineArchive("method.zip")), 11675);  // "Error " (engine error 27)
  EXPECT_TRUE(F.Presenter->Shown.empty());
  EXPECT_EQ(F.Zip.DllErrCode(), 27);
  EXPECT_EQ(F.OutFile("fine.txt"), "fine\n");
}

}  // namespace
}  // namespace vlm::ziptest
