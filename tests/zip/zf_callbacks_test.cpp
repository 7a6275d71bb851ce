// tests/zip/zf_callbacks_test.cpp -- the front end's answers to every kind of engine callback and
// its mapping of engine results, driven by the scriptable fake engine.
#include <gtest/gtest.h>

#include "runtime/exception.h"
#include "tests/zip/zip_front_support.h"

namespace vlm::ziptest {
namespace {

class CallbackTest : public ::testing::Test {
protected:
  void SetUp() override {
    F.Zip.DLLDirectory = FakeEngineDir("current");
    Archive = F.WriteArchive("pkg.zip", {{"a.txt", "a"}});
  }
  void TearDown() override { SetFakeScript(""); }
  int Run(const std::string& Script) {
    SetFakeScript(Script);
    F.Zip.SetZipFileName(Archive);
    F.Zip.SetExtrBaseDir(F.OutDir());
    return F.Zip.Extract();
  }
  // The fake engine's reports of the answers it got ("answer=... arg1=... arg3=... text=...").
  std::vector<std::string> Echoes() const {
    std::vector<std::string> Out;
    for (const auto& M : F.Messages) {
      const std::string Text = StringToUtf8(M.Text);
      if (Text.rfind("answer=", 0) == 0) Out.push_back(Text);
    }
    return Out;
  }
  FrontFixture F;
  String Archive;
};

TEST_F(CallbackTest, EntryRefusesARecordWithABadCheck) {
  TZCallBackStruct Record{};
  Record.Caller = &F.Zip.Worker();
  Record.Check = 1800;
  EXPECT_EQ(TZFDLLOpr::CallbackEntry(&Record), -5);
  Record.Check = VZ_CALLBACK_CHECK;
  Record.ActionCode = VZ_ACT_KEEP_ALIVE;
  EXPECT_EQ(TZFDLLOpr::CallbackEntry(&Record), 0);
}

TEST_F(CallbackTest, CommandRecordForTheInstallersExtract) {
  F.Zip.Unattended = true;  // no window handle in the record
  Run("=0");
  const TDLLCommands C = F.Zip.Worker().BuildExtractCommands();
  EXPECT_EQ(C.fVersion, 190);
  EXPECT_EQ(C.fOptions, 0x24u);
  EXPECT_EQ(C.fPwdReqCount, 1u);
  EXPECT_EQ(C.fCheck, 0x03070505u);
  EXPECT_EQ(C.fHandle, 0u);
  for (const uint32_t Word : C.fNotUsed) EXPECT_EQ(Word, 0u);
  EXPECT_EQ(C.fEncodeAs, 0u);
  EXPECT_EQ(C.fLevel, 0);
  EXPECT_EQ(C.fDate, 0u);
}

TEST_F(CallbackTest, OptionBitsFollowTheExtractOptions) {
  F.Zip.SetExtrOptions({ExtrDirNames, ExtrOverWrite, ExtrFreshen, ExtrTest, ExtrNTFS});
  Run("=0");
  EXPECT_EQ(F.Zip.Worker().BuildExtractCommands().fOptions,
            0x20u | 0x200 | 0x400 | 0x100 | 0x08 | 0x8000000);
  F.Zip.SetExtrOptions({ExtrFreshen, ExtrUpdate});
  Run("=0");
  EXPECT_EQ(F.Zip.Worker().BuildExtractCommands().fOptions, 0x20u | 0x80 | 0x04);
}

TEST_F(CallbackTest, NegativeResultsBecomeErrors) {
  EXPECT_EQ(Run("=-37"), 10124);
  EXPECT_EQ(F.BoxTexts().back(), "critical DLL Error 37");
  EXPECT_EQ(Run("=-3"), 11651);
  EXPECT_EQ(F.BoxTexts().back(), "Callback exception");
  EXPECT_EQ(Run("=-5"), 11653);
  EXPECT_EQ(Run("=-36"), 11684);
  const size_t Boxes = F.Presenter->Shown.size();
  EXPECT_EQ(Run("=-2"), 11007);
  EXPECT_EQ(Run("=-1"), 11007);
  EXPECT_EQ(F.Presenter->Shown.size(), Boxes);  // user cancel is never shown
  EXPECT_EQ(F.Zip.SuccessCnt(), 0);
  EXPECT_EQ(Run("=7"), 0);
  EXPECT_EQ(F.Zip.SuccessCnt(), 7);
}

TEST_F(CallbackTest, EngineMessagesSetTheFirstErrorWithoutABox) {
  // 0xA05: error 5 with the message text in front of the engine's text.
  EXPECT_EQ(Run("8,0,0,0,0,just info;8,2565,0,0,0, detail;8,99,0,0,0,later;=1"), 11653);
  EXPECT_TRUE(F.Presenter->Shown.empty());
  EXPECT_EQ(F.Zip.ErrMessage(), u"Invalid structure detail");
  EXPECT_EQ(F.Zip.DllErrCode(), 2565);
  ASSERT_GE(F.Messages.size(), 3u);
  EXPECT_EQ(F.Messages[0].Code, 0);
  EXPECT_EQ(F.Messages[0].Text, u"just info");
  EXPECT_EQ(F.Messages[2].Code, 11654);  // above 35: fatal
  EXPECT_EQ(F.Messages[2].Text, u"later");
}

TEST_F(CallbackTest, ArgumentRequests) {
  F.Zip.SetZipFileName(Archive);
  Run("19,0,0,0,0;E;19,3,0,0,0;E;19,9,0,0,0;E;19,5,0,-1,0;E;19,5,0,0,0;E;=0");
  const auto E = Echoes();
  ASSERT_EQ(E.size(), 5u);
  EXPECT_EQ(E[0], "answer=1 arg1=0 arg3=0 text=" + StringToUtf8(Archive));
  EXPECT_EQ(E[1], "answer=1 arg1=3 arg3=0 text=" + StringToUtf8(F.OutDir()));
  EXPECT_EQ(E[2].substr(0, 10), "answer=-5 ");
  EXPECT_EQ(E[3].substr(0, 10), "answer=-5 ");
  EXPECT_EQ(E[4], "answer=0 arg1=5 arg3=0 text=");  // no patterns: count 0
}

TEST_F(CallbackTest, SpecificationsAreAnsweredByIndex) {
  SetFakeScript("19,5,0,1,0;E;19,5,0,2,0;E;=0");
  F.Zip.SetZipFileName(Archive);
  F.Zip.FSpecArgs().Add(u"*.txt");
  F.Zip.FSpecArgs().Add(u"b?.bin");
  F.Zip.SetExtrBaseDir(F.OutDir());
  F.Zip.Extract();
  EXPECT_EQ(Echoes(), (std::vector<std::string>{"answer=1 arg1=5 arg3=2 text=b?.bin",
                                                "answer=0 arg1=5 arg3=2 text="}));
  EXPECT_EQ(F.Zip.FSpecArgs().Count(), 0);  // cleared by the extract
}

TEST_F(CallbackTest, SkipsAbortOnlyForNoSkippingReasons) {
  std::vector<SkipRecord> Skips;
  F.Zip.OnSkipped = [&](TObject*, const String& Name, TZFSkipTypes Reason, int& Ext) {
    Skips.push_back({StringToUtf8(Name), Reason, Ext});
  };
  Run("13,0,2,0,0,kept.txt;E;13,0,16,0,0,dup.txt;E;=0");
  EXPECT_EQ(Echoes()[0].substr(0, 9), "answer=0 ");
  EXPECT_EQ(Echoes()[1].substr(0, 9), "answer=1 ");
  ASSERT_EQ(Skips.size(), 2u);
  EXPECT_EQ(Skips[0].Reason, stNoOverwrite);
  EXPECT_EQ(Skips[0].ExtError, 0);
  EXPECT_EQ(Skips[1].Reason, stDupName);
  EXPECT_EQ(Skips[1].ExtError, -10131);
}

TEST_F(CallbackTest, SkipWithVerbosityReportsSkippedLine) {
  F.Zip.Verbose = true;
  Run("13,0,5,0,0,bad.bin;=0");
  bool Seen = false;
  for (const auto& M : F.Messages) Seen |= M.Code == 10125 && M.Text == u"Skipped bad.bin 4";
  EXPECT_TRUE(Seen);
}

TEST_F(CallbackTest, PasswordAnswers) {
  F.Presenter->Typed = u"pw";
  F.Presenter->Answers = {mrOk, mrCancel, mrAll};
  Run("10,1,0,0,0,locked.bin;E;10,1,0,0,0,locked.bin;E;10,1,0,0,0,locked.bin;E;=0");
  EXPECT_EQ(Echoes(), (std::vector<std::string>{"answer=1 arg1=1 arg3=0 text=pw",
                                                "answer=2 arg1=0 arg3=0 text=locked.bin",
                                                "answer=3 arg1=0 arg3=0 text=locked.bin"}));
  ASSERT_EQ(F.Presenter->Shown.size(), 3u);
  EXPECT_EQ(F.Presenter->Shown[0].Title, u"Password");
  EXPECT_EQ(F.Presenter->Shown[0].HelpContext, 10003);
  ASSERT_EQ(F.Presenter->Shown[0].Buttons.size(), 3u);
  EXPECT_EQ(F.Presenter->Shown[0].Buttons[2].Caption, u"CancelAll");
}

TEST_F(CallbackTest, ClosingThePasswordBoxAborts) {
  F.Presenter->Answers = {mrNone};
  EXPECT_EQ(Run("10,1,0,0,0,locked.bin;E;=-1"), 11007);
  EXPECT_EQ(Echoes()[0].substr(0, 10), "answer=-2 ");
  EXPECT_EQ(F.Zip.Worker().CancelCode(), 10128);
}

TEST_F(CallbackTest, PasswordHandlerAnswersAndRepeatCountIsLimited) {
  F.Zip.OnPasswordError = [](TObject*, bool IsZip, String& Password, const String& ForFile,
                             unsigned& Repeat, TMsgDlgBtn& Action) {
    EXPECT_FALSE(IsZip);
    EXPECT_EQ(ForFile, u"locked.bin");
    Password = u"handler";
    Repeat = 40;
    Action = mbOK;
  };
  Run("10,1,0,0,0,locked.bin;E;=0");
  EXPECT_EQ(Echoes()[0], "answer=1 arg1=15 arg3=0 text=handler");
  EXPECT_TRUE(F.Presenter->Shown.empty());
}

TEST_F(CallbackTest, UnattendedPasswordRequestIsReportedWithoutABox) {
  F.Zip.Unattended = true;
  Run("10,1,0,0,0,locked.bin;E;=0");
  EXPECT_EQ(Echoes()[0].substr(0, 9), "answer=2 ");
  EXPECT_TRUE(F.Presenter->Shown.empty());
  bool Seen = false;
  for (const auto& M : F.Messages) Seen |= M.Text == u"Error - no extract password given";
  EXPECT_TRUE(Seen);
}

TEST_F(CallbackTest, UnknownActionsAndAddingOnlyActions) {
  Run("17,0,0,0,0;E;9,0,0,0,0;E;82,0,0,0,0;E;=0");  // 82 & 0x3F = 18: the operation key
  const auto E = Echoes();
  ASSERT_EQ(E.size(), 3u);
  EXPECT_EQ(E[0].substr(0, 10), "answer=-1 ");
  EXPECT_EQ(E[1].substr(0, 9), "answer=0 ");
  EXPECT_EQ(E[2].substr(0, 9), "answer=0 ");
}

TEST_F(CallbackTest, ExceptionInAMessageHandlerIsCarriedToTheResult) {
  F.Zip.OnMessage = [](TObject*, int32_t, const String& Text) {
    if (Text == u"hi") throw Exception(u"handler failed");
  };
  EXPECT_EQ(Run("8,0,0,0,0,hi;=-3"), 11651);
  EXPECT_EQ(F.BoxTexts(), std::vector<std::string>{"Callback exception #8 \"handler failed\""});
  EXPECT_EQ(F.Zip.Worker().CancelCode(), 10106);
}

TEST_F(CallbackTest, OverwriteQuestionAnswers) {
  std::vector<bool> Older;
  F.Zip.OnExtractOverwrite = [&](TObject*, const String&, bool IsOlder, bool& Do, int Index) {
    Older.push_back(IsOlder);
    EXPECT_EQ(Index, 3);
    Do = !IsOlder;
  };
  Run("12,0,3,1,0,x;E;12,1,3,2,0,x;E;=0");
  EXPECT_EQ(Older, (std::vector<bool>{true, false}));
  EXPECT_EQ(Echoes()[0].substr(0, 9), "answer=2 ");
  EXPECT_EQ(Echoes()[1].substr(0, 9), "answer=1 ");
}

TEST(ProgressDetailsTest, PerCentTruncatesAndNeverDividesByZero) {
  TProgDetails D;
  EXPECT_TRUE(D.Apply(4, 2, u"", 0));
  EXPECT_TRUE(D.Apply(5, 3, u"", 0));
  EXPECT_TRUE(D.Apply(1, 3, u"three", 0));
  EXPECT_EQ(D.ItemPerCent(), 0);
  D.Apply(2, 1, u"", 0);
  EXPECT_EQ(D.ItemPerCent(), 33);
  EXPECT_EQ(D.TotalPerCent(), 33);
  D.Apply(1, 0, u"zero", 0);
  EXPECT_EQ(D.ItemNumber(), 2);
  EXPECT_EQ(D.ItemPerCent(), 0);
  EXPECT_TRUE(D.Apply(1, -1, u"", 0));
  EXPECT_EQ(D.Order(), EndOfItem);
  EXPECT_EQ(D.ItemName(), u"zero");
  EXPECT_TRUE(D.Apply(3, 0, u"", 0));
  EXPECT_EQ(D.Order(), EndOfBatch);
  EXPECT_FALSE(D.Apply(3, 0, u"", 0));  // outside a batch: no event
  EXPECT_TRUE(D.Apply(6, 10, u"", 2));
  EXPECT_EQ(D.Order(), NewExtra);
  EXPECT_EQ(D.ItemName(), LoadZipStr(11402));
}

}  // namespace
}  // namespace vlm::ziptest
