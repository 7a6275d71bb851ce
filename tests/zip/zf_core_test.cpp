// tests/zip/zf_core_test.cpp -- the worker's error state, ShowMsg and the silent codes, the
// text-only reports, the message dialog (OnZipDialog, presenter, password) and KeepAlive.
#include "zip/zf_core.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "runtime/exception.h"
#include "runtime/file_system.h"
#include "zip/zf_exception.h"
#include "zip_test_support.h"

namespace vlm {
namespace {

using ziptest::RecordingPresenter;

struct CoreFixture : ::testing::Test {
  CoreFixture() {
    Core.DialogPresenter = Presenter;
    Core.ApplicationTitle = u"Setup";
    Core.OnMessage = [this](TObject*, int32_t Code, const String& Text) {
      Messages.push_back({Code, Text});
    };
  }
  TZFCore Core;
  std::shared_ptr<RecordingPresenter> Presenter = std::make_shared<RecordingPresenter>();
  std::vector<ziptest::ReportedMessage> Messages;
};

using ErrorState = CoreFixture;

TEST_F(ErrorState, ShowMsgRecordsCodeAndTextShowsInformationBoxAndReports) {
  Core.ShowMsg(u"Failed to load x.dll", -10650, true);
  EXPECT_EQ(Core.ErrCode(), 10650);
  EXPECT_EQ(Core.ErrMessage(), u"Failed to load x.dll");
  ASSERT_EQ(Presenter->Shown.size(), 1u);
  const TZFDialogDescription& Box = Presenter->Shown[0];
  EXPECT_EQ(Box.Text, u"Failed to load x.dll");
  EXPECT_EQ(Box.Title, u"Setup");
  EXPECT_EQ(Box.Kind, TZFDialogKind::Information);
  EXPECT_EQ(Box.HelpContext, 10000);
  ASSERT_EQ(Box.Buttons.size(), 1u);
  EXPECT_EQ(Box.Buttons[0].Kind, mbOK);
  ASSERT_EQ(Messages.size(), 1u);
  EXPECT_EQ(Messages[0].Code, 10650);
  EXPECT_EQ(Messages[0].Text, u"Failed to load x.dll");
}

TEST_F(ErrorState, SilentCodesAndUnattendedNeverOpenABox) {
  for (const int32_t Code : {10128, 11007, 11022, 10203, -11007}) {
    Core.ShowMsg(u"quiet", Code, true);
    EXPECT_EQ(Core.ErrCode(), Code < 0 ? -Code : Code);
  }
  EXPECT_TRUE(Presenter->Shown.empty());
  Core.Unattended = true;
  Core.ShowMsg(u"Failed to load VlmZip190.dll", 10650, true);
  EXPECT_TRUE(Presenter->Shown.empty());
  EXPECT_EQ(Core.ErrCode(), 10650);
  EXPECT_EQ(Messages.back().Code, 10650);
  Core.Unattended = false;
  Core.ShowMsg(u"not for the user", 10650, false);
  EXPECT_TRUE(Presenter->Shown.empty());
}

TEST_F(ErrorState, ReportMessage1KeepsTheFirstErrorAndShowMsgReplacesIt) {
  Core.ReportMessage1(11657, u"first");
  EXPECT_EQ(Core.ErrCode(), 11657);
  EXPECT_EQ(Core.DllErrCode(), 11657);
  Core.ReportMessage1(11663, u"second");
  EXPECT_EQ(Core.ErrCode(), 11657);
  EXPECT_EQ(Core.ErrMessage(), u"first");
  EXPECT_EQ(Messages.size(), 2u);  // both reached OnMessage
  Core.ReportMessage1(0, u"information");
  EXPECT_EQ(Core.ErrCode(), 11657);
  Core.ShowMsg(u"later", 10102, false);
  EXPECT_EQ(Core.ErrCode(), 10102);
  EXPECT_EQ(Core.ErrMessage(), u"later");
  EXPECT_EQ(Core.DllErrCode(), 11657);
  Core.ClearErrors();
  EXPECT_EQ(Core.ErrCode(), 0);
  EXPECT_EQ(Core.ErrMessage(), u"");
  EXPECT_EQ(Core.DllErrCode(), 0);
}

TEST_F(ErrorState, ReportMessage1KeepsAnEarlierDllErrCode) {
  Core.SetDllErrCode(3);
  Core.ReportMessage1(11651, u"x");
  EXPECT_EQ(Core.DllErrCode(), 3);
}

TEST_F(ErrorState, ErrMessageFallsBackToTheIdTextThenToUnknownError) {
  Core.ShowMsg(u"", 11002, false);
  EXPECT_EQ(Core.ErrMessage(), u"Zip file could not be opened");
  Core.ShowMsg(u"", 12345, false);
  EXPECT_EQ(Core.ErrMessage(), u" Unknown error 12345");
  Core.ShowMsg(u"ignored", 0, false);
  EXPECT_EQ(Core.ErrMessage(), u"");
}

TEST_F(ErrorState, ShowZipMessagesLookUpPositiveIdsAndNameMissingTexts) {
  Core.ShowZipMessage(-11022, u" extra");
  EXPECT_EQ(Core.ErrCode(), 11022);
  EXPECT_EQ(Core.ErrMessage(), u"Error while reading a file comment extra");
  EXPECT_TRUE(Presenter->Shown.empty());  // 11022 is silent
  Core.ShowZipFmtMsg(10504, {String(u"D:\\x\\")}, true);
  EXPECT_EQ(Core.ErrMessage(), u"Extract directory 'D:\\x\\' must exist");
  EXPECT_EQ(Presenter->Shown.size(), 1u);
  Core.ShowZipMsg(10000, false);
  EXPECT_EQ(Core.ErrMessage(),
            u"ZFRes19_???.res is probably not linked to the executable\r\n"
            u"Missing String ID is: 10000 ");
}

TEST_F(ErrorState, ShowExceptionErrorUsesTheExceptionsIdAndDisplayFlag) {
  Core.ShowExceptionError(EZipFront::CreateResDisp(11015, false));
  EXPECT_EQ(Core.ErrCode(), 11015);
  EXPECT_EQ(Core.ErrMessage(), u"A central header signature is wrong");
  EXPECT_TRUE(Presenter->Shown.empty());
  Core.ShowExceptionError(EFOpenError(u"Cannot open file"));
  EXPECT_EQ(Core.ErrCode(), 10130);
  EXPECT_EQ(Core.ErrMessage(), u"Cannot open file");
  EXPECT_EQ(Presenter->Shown.size(), 1u);
  Core.ShowExceptionError(std::runtime_error("plain"));
  EXPECT_EQ(Core.ErrMessage(), u"plain");
}

TEST_F(ErrorState, ReportMsgReplacesInfoAndTraceMarkers) {
  SetOnLoadStr([](int32_t Id, String& Text) {
    if (Id == 10001) Text = u"!loaded %s";
    if (Id == 10002) Text = u"#step %d";
  });
  Core.ReportMsg(10001, {String(u"x")});
  Core.ReportMsg(10002, {int64_t{3}});
  Core.ReportMsg(10652, {String(u"lib")});
  SetOnLoadStr(nullptr);
  ASSERT_EQ(Messages.size(), 3u);
  EXPECT_EQ(Messages[0].Text, u"info: loaded x");
  EXPECT_EQ(Messages[1].Text, u"Trace: step 3");
  EXPECT_EQ(Messages[2].Text, u"Loaded lib");
  for (const auto& M : Messages) EXPECT_EQ(M.Code, 0);
  EXPECT_EQ(Core.ErrCode(), 0);
}

TEST_F(ErrorState, DiagReportsOnlyWhenVerboseAndKeepsTheRecordedError) {
  Core.Diag(u"hidden");
  EXPECT_TRUE(Messages.empty());
  Core.ShowMsg(u"failure", 11036, false);
  Core.Verbose = true;
  Core.Diag(u"shown");
  EXPECT_EQ(Messages.back().Code, 0);
  EXPECT_EQ(Messages.back().Text, u"Trace: shown");
  EXPECT_EQ(Core.ErrCode(), 11036);
  EXPECT_EQ(Core.ErrMessage(), u"failure");
}

using MessageDialog = CoreFixture;

TEST_F(MessageDialog, OnZipDialogAnswerInRangeIsTheOutcomeAndItsTextIsReturned) {
  int PresetResult = 0;
  Core.OnZipDialog = [&](TObject*, const String& Title, String& Msg, int& Result,
                         TMsgDlgButtons Btns) {
    PresetResult = Result;
    EXPECT_EQ(Title, u"Setup");
    EXPECT_TRUE(Btns.Contains(mbYes) && Btns.Contains(mbNo) && !Btns.Contains(mbOK));
    Msg = u"changed";
    Result = mrNo;
  };
  String Text = u"question";
  const uint32_t Context = ZipDialogContext(kZipDlgConfirmation, 42);
  EXPECT_EQ(Core.ZipMessageDialog(u"", Text, {mbYes, mbNo}, Context), mrNo);
  EXPECT_EQ(PresetResult, static_cast<int>(Context));
  EXPECT_EQ(Text, u"changed");
  EXPECT_TRUE(Presenter->Shown.empty());
}

TEST_F(MessageDialog, OnZipDialogAnswerOutOfRangeFallsBackToTheBox) {
  Core.OnZipDialog = [](TObject*, const String&, String& Msg, int& Result, TMsgDlgButtons) {
    Msg = u"not used";
    Result = 11;
  };
  Presenter->Answers = {mrCancel};
  String Text = u"original";
  EXPECT_EQ(Core.ZipMessageDialog(u"Title", Text, {mbOK, mbCancel}, 0), mrCancel);
  EXPECT_EQ(Text, u"original");
  ASSERT_EQ(Presenter->Shown.size(), 1u);
  EXPECT_EQ(Presenter->Shown[0].Title, u"Title");
  EXPECT_EQ(Presenter->Shown[0].Kind, TZFDialogKind::Warning);  // no type bits
}

TEST_F(MessageDialog, VerboseTitleCarriesTheHelpContext) {
  Core.Verbose = true;
  Core.ZipMessageDlg(u"x", kShowMsgContext);
  ASSERT_EQ(Presenter->Shown.size(), 1u);
  EXPECT_EQ(Presenter->Shown[0].Title, u"Setup   (10000)");
}

TEST_F(MessageDialog, PasswordBoxReturnsTheTypedTextOnlyAfterOk) {
  const uint32_t Context = ZipDialogContext(kZipDlgPassword, 10003);
  Presenter->Typed = u"secret";
  String Text = LoadZipStr(10155);
  EXPECT_EQ(Core.ZipMessageDialog(LoadZipStr(10154), Text, {mbOK, mbCancel, mbAll}, Context), mrOk);
  EXPECT_EQ(Text, u"secret");
  const TZFDialogDescription& Box = Presenter->Shown.back();
  EXPECT_TRUE(Box.IsPassword());
  EXPECT_EQ(Box.Icon, TZFDialogIcon::None);
  EXPECT_EQ(Box.Beep, 0u);
  ASSERT_EQ(Box.Buttons.size(), 3u);
  EXPECT_EQ(Box.Buttons[2].Caption, u"CancelAll");
  EXPECT_EQ(Box.Buttons[2].ModalResult, mrAll);

  Presenter->Answers = {mrAll};
  Text = u"Enter Password ";
  EXPECT_EQ(Core.ZipMessageDialog(u"Password", Text, {mbOK, mbCancel, mbAll}, Context), mrAll);
  EXPECT_EQ(Text, u"");
}

TEST(ZipDialogDescription, TypeBitsSelectKindIconAndBeep) {
  struct Row {
    uint32_t Type;
    TZFDialogKind Kind;
    TZFDialogIcon Icon;
    uint32_t Beep;
  };
  const Row Rows[] = {
      {0x00, TZFDialogKind::Warning, TZFDialogIcon::Exclamation, 0x30},
      {0x10, TZFDialogKind::Warning, TZFDialogIcon::Exclamation, 0x30},
      {0x11, TZFDialogKind::Error, TZFDialogIcon::Hand, 0x10},
      {0x12, TZFDialogKind::Information, TZFDialogIcon::Asterisk, 0x40},
      {0x13, TZFDialogKind::Confirmation, TZFDialogIcon::Question, 0x20},
      {0x14, TZFDialogKind::Password, TZFDialogIcon::None, 0},
      {0x1F, TZFDialogKind::Password, TZFDialogIcon::None, 0},
  };
  for (const Row& R : Rows) {
    const TZFDialogDescription Box =
        DescribeZipDialog(u"t", u"x", {mbOK}, ZipDialogContext(R.Type, 7));
    EXPECT_EQ(Box.Kind, R.Kind) << R.Type;
    EXPECT_EQ(Box.Icon, R.Icon) << R.Type;
    EXPECT_EQ(Box.Beep, R.Beep) << R.Type;
    EXPECT_EQ(Box.HelpContext, 7) << R.Type;
  }
}

TEST(ZipDialogDescription, ButtonsFollowTheFixedOrderWithNamesCaptionsAndResults) {
  const TZFDialogDescription Box =
      DescribeZipDialog(u"t", u"x",
                        {mbClose, mbHelp, mbYesToAll, mbNoToAll, mbAll, mbIgnore, mbRetry, mbAbort,
                         mbCancel, mbOK, mbNo, mbYes},
                        0);
  ASSERT_EQ(Box.Buttons.size(), 11u);  // mbHelp is never created
  const char16_t* Captions[] = {u"&Yes",
                                u"&No",
                                u"&OK",
                                u"&Cancel",
                                u"&Abort",
                                u"&Retry",
                                u"&Ignore",
                                u"CancelAll",
                                u"NoToAll",
                                u"YesToAll",
                                u"Resource missing for 10231"};
  const int Results[] = {6, 7, 1, 2, 3, 4, 5, 8, 9, 10, 0};
  for (size_t I = 0; I < Box.Buttons.size(); ++I) {
    EXPECT_EQ(Box.Buttons[I].Caption, Captions[I]) << I;
    EXPECT_EQ(Box.Buttons[I].ModalResult, Results[I]) << I;
    EXPECT_EQ(Box.Buttons[I].Name, u"ZFDlg19" + ZipIntToStr(static_cast<int64_t>(I + 1)));
  }
}

TEST(ZipDialogDescription, DefaultAndCancelButtonsFollowTheirPreferences) {
  auto Kinds = [](const TZFDialogDescription& S) {
    const int D = S.DefaultButton, C = S.CancelButton;
    return std::pair<int, int>(D < 0 ? -1 : S.Buttons[D].Kind, C < 0 ? -1 : S.Buttons[C].Kind);
  };
  EXPECT_EQ(Kinds(DescribeZipDialog(u"", u"", {mbYes, mbNo}, 0)),
            (std::pair<int, int>(mbYes, mbNo)));
  EXPECT_EQ(Kinds(DescribeZipDialog(u"", u"", {mbOK}, 0)), (std::pair<int, int>(mbOK, mbOK)));
  EXPECT_EQ(Kinds(DescribeZipDialog(u"", u"", {mbOK, mbCancel, mbYes}, 0)),
            (std::pair<int, int>(mbOK, mbCancel)));
  EXPECT_EQ(Kinds(DescribeZipDialog(u"", u"", {mbRetry, mbAbort}, 0)),
            (std::pair<int, int>(mbRetry, -1)));
  EXPECT_EQ(Kinds(DescribeZipDialog(u"", u"", {mbIgnore}, 0)), (std::pair<int, int>(-1, -1)));
}

TEST(TZFConsoleDialog, WritesTheTextAndAnswersDefaultOrScriptedPassword) {
  std::vector<String> Lines;
  TZFConsoleDialog Plain([&](const String& Line) { Lines.push_back(Line); });
  String Entered;
  EXPECT_EQ(Plain.ShowModal(DescribeZipDialog(u"", u"boom", {mbOK}, 0), Entered), mrOk);
  EXPECT_EQ(Plain.ShowModal(DescribeZipDialog(u"", u"q", {mbYes, mbNo}, 0), Entered), mrYes);
  const TZFDialogDescription Pw =
      DescribeZipDialog(u"", u"Enter Password ", {mbOK, mbCancel}, ZipDialogContext(0x14, 0));
  EXPECT_EQ(Plain.ShowModal(Pw, Entered), mrCancel);
  TZFConsoleDialog WithPassword({}, String(u"pw"));
  EXPECT_EQ(WithPassword.ShowModal(Pw, Entered), mrOk);
  EXPECT_EQ(Entered, u"pw");
  EXPECT_EQ(Lines, (std::vector<String>{u"dialog boom", u"dialog q", u"password Enter Password "}));
}

TEST(ApplicationTitle, IsTheFileNameUpToItsFirstDotWithTheRestLowerCased) {
  EXPECT_EQ(ApplicationTitleFor(String(u"opt") + PathDelimiter() + u"SETUP.EXE"), u"Setup");
  EXPECT_EQ(ApplicationTitleFor(u"vlm.Tool.exe"), u"vlm");
  EXPECT_EQ(ApplicationTitleFor(u"ZipTests"), u"Ziptests");
}

using KeepAlive = CoreFixture;

TEST_F(KeepAlive, ReportsACancelNotedBeforeTheHandlersRun) {
  int Ticks = 0, Pumps = 0;
  Core.OnTick = [&](TObject*) { ++Ticks; };
  Core.ProcessMessages = [&] { ++Pumps; };
  EXPECT_FALSE(Core.KeepAlive());
  EXPECT_EQ(Pumps, 1);
  Core.OnCheckTerminate = [](TObject*, bool& Abort) { Abort = true; };
  EXPECT_FALSE(Core.KeepAlive());  // the cancel is set now, noticed next time
  EXPECT_EQ(Core.CancelCode(), 11007);
  EXPECT_EQ(Pumps, 1);  // a terminate check replaces the message pump
  EXPECT_TRUE(Core.KeepAlive());
  EXPECT_EQ(Ticks, 3);
}

}  // namespace
}  // namespace vlm
