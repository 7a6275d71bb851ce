// tests/ui/main_form_handlers_test.cpp -- the window's own handlers: the toggle click rule (by
// handler and by real clicks routed through the window), the dot timer, and the mapping of
// download and unpacking progress onto the progress bar.
#include <gtest/gtest.h>

#include "support/main_form_app_double.h"
#include "support/window_test_support.h"
#include "ui/main_form.h"

namespace vlm {
namespace {

// The centre of a windowless control in client coordinates.
POINT CentreOf(const TControl& Control) {
  return POINT{Control.Left() + Control.Width() / 2, Control.Top() + Control.Height() / 2};
}

void ClickControl(TMainForm& Form, const TControl& Control) {
  const POINT P = CentreOf(Control);
  ClickAt(Form.Handle(), P.x, P.y);
}

// A progress report of one kind for ZipFrontProgress.
class ProgressReport : public TZFProgressDetails {
public:
  ProgressReport(TZFProgressType Kind, int64_t Position, int64_t Size)
      : FKind(Kind), FPosition(Position), FSize(Size) {}
  int64_t BytesWritten() const override { return 0; }
  int64_t Delta() const override { return 0; }
  String ItemName() const override { return u"file.txt"; }
  int32_t ItemNumber() const override { return 1; }
  int64_t ItemPosition() const override { return FPosition; }
  int64_t ItemSize() const override { return FSize; }
  TZFProgressType Order() const override { return FKind; }
  bool Stop() const override { return false; }
  int64_t TotalCount() const override { return 3; }
  int64_t TotalPosition() const override { return 0; }
  int64_t TotalSize() const override { return 0; }
  void SetStop(bool) override {}

private:
  TZFProgressType FKind;
  int64_t FPosition, FSize;
};

TEST(TMainFormToggles, ClickHandlerTurnsLimeVIntoRedX) {
  FreshAppDouble();
  TMainForm Form;
  Form.StartMenuCheckboxClick(Form.StartMenuCheckbox.get());
  EXPECT_EQ(Form.StartMenuCheckbox->FillColor(), 0xFF0000);
  EXPECT_EQ(Form.StartMenuCheckbox->Caption(), u"X");
  EXPECT_EQ(Form.DesktopShortcutCheckbox->Caption(), u"V");  // only the sender flips
}

TEST(TMainFormToggles, ClickHandlerTurnsRedBackIntoLimeV) {
  FreshAppDouble();
  TMainForm Form;
  Form.DesktopShortcutCheckboxClick(Form.DesktopShortcutCheckbox.get());
  Form.DesktopShortcutCheckboxClick(Form.DesktopShortcutCheckbox.get());
  EXPECT_EQ(Form.DesktopShortcutCheckbox->FillColor(), 0x00FF00);
  EXPECT_EQ(Form.DesktopShortcutCheckbox->Caption(), u"V");
}

TEST(TMainFormToggles, AnyColourOtherThanRedBecomesRed) {
  FreshAppDouble();
  TMainForm Form;
  Form.StartMenuCheckbox->SetFillColor(0xFE0000);
  Form.StartMenuCheckbox->SetCaption(u"X");
  Form.StartMenuCheckboxClick(Form.StartMenuCheckbox.get());
  EXPECT_EQ(Form.StartMenuCheckbox->FillColor(), 0xFF0000);
  EXPECT_EQ(Form.StartMenuCheckbox->Caption(), u"X");
}

TEST(TMainFormToggles, CaptionChangeKeepsTheIndicatorsSize) {
  FreshAppDouble();
  TMainForm Form;
  const int W = Form.StartMenuCheckbox->Width(), H = Form.StartMenuCheckbox->Height();
  Form.StartMenuCheckboxClick(Form.StartMenuCheckbox.get());
  EXPECT_EQ(Form.StartMenuCheckbox->Width(), W);
  EXPECT_EQ(Form.StartMenuCheckbox->Height(), H);
}

TEST(TMainFormToggles, MouseClickOnTheIndicatorFlipsItOnce) {
  FreshAppDouble();
  TMainForm Form;
  Form.Show();
  ClickControl(Form, *Form.StartMenuCheckbox);
  EXPECT_EQ(Form.StartMenuCheckbox->Caption(), u"X");
  EXPECT_EQ(Form.StartMenuCheckbox->FillColor(), 0xFF0000);
  EXPECT_EQ(Form.DesktopShortcutCheckbox->Caption(), u"V");
  ClickControl(Form, *Form.StartMenuCheckbox);
  EXPECT_EQ(Form.StartMenuCheckbox->Caption(), u"V");
  EXPECT_EQ(Form.StartMenuCheckbox->FillColor(), 0x00FF00);
}

TEST(TMainFormToggles, FastDoubleClickFlipsOnlyOnce) {
  FreshAppDouble();
  TMainForm Form;
  Form.Show();
  // The window system reports the second press of a double click as its own message only to
  // windows whose class asks for it; the form must, or that press would start a second click.
  EXPECT_TRUE(GetClassLongPtrW(Form.Handle(), GCL_STYLE) & CS_DBLCLKS);
  const POINT P = CentreOf(*Form.DesktopShortcutCheckbox);
  DoubleClickAt(Form.Handle(), P.x, P.y);
  EXPECT_EQ(Form.DesktopShortcutCheckbox->Caption(), u"X");
}

TEST(TMainFormToggles, ClickOnTheLabelBesideDoesNothing) {
  FreshAppDouble();
  TMainForm Form;
  Form.Show();
  ClickControl(Form, *Form.SmoothLabel4);
  EXPECT_EQ(Form.StartMenuCheckbox->Caption(), u"V");
}

TEST(TMainFormToggles, PressOnIndicatorReleasedElsewhereIsNoClick) {
  FreshAppDouble();
  TMainForm Form;
  Form.Show();
  const POINT P = CentreOf(*Form.StartMenuCheckbox);
  PostMessageW(Form.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, PointParam(P.x, P.y));
  PostMessageW(Form.Handle(), WM_LBUTTONUP, 0, PointParam(P.x + 200, P.y));
  Pump();
  EXPECT_EQ(Form.StartMenuCheckbox->Caption(), u"V");
}

TEST(TMainFormDotTimer, EachTickAppendsOneDot) {
  FreshAppDouble();
  TMainForm Form;
  Form.ProgressText->SetCaption(u"Installing");
  Form.Timer1Timer(Form.Timer1.get());
  Form.Timer1Timer(Form.Timer1.get());
  Form.Timer1Timer(Form.Timer1.get());
  EXPECT_EQ(Form.ProgressText->Caption(), u"Installing...");
}

TEST(TMainFormDotTimer, EnabledTimerGrowsTheLabelThroughTheMessageQueue) {
  FreshAppDouble();
  TMainForm Form;
  Form.ProgressText->SetCaption(u"Installing");
  Form.Timer1->SetInterval(20);  // the window's 1000 ms would make the test slow
  Form.Timer1->SetEnabled(true);
  EXPECT_TRUE(PumpUntil([&] { return Form.ProgressText->Caption().size() >= 12; }, 10000));
  Form.Timer1->SetEnabled(false);
  const String Stopped = Form.ProgressText->Caption();
  EXPECT_EQ(Stopped.substr(0, 12), u"Installing..");
  EXPECT_EQ(Stopped.find_first_not_of(u'.', 10), String::npos);
  Sleep(100);
  Pump();
  EXPECT_EQ(Form.ProgressText->Caption(), Stopped);  // no tick after disabling
}

TEST(TMainFormDownloadProgress, BeginSetsMaximumAndEmptiesTheBar) {
  FreshAppDouble();
  TMainForm Form;
  Form.ProgressBar->SetPosition(40);
  Form.NetHTTP1WorkBegin(*Form.NetHTTP1, TWorkMode::wmRead, 2048);
  EXPECT_EQ(Form.ProgressBar->Maximum(), 2048);
  EXPECT_EQ(Form.ProgressBar->Position(), 0);
}

TEST(TMainFormDownloadProgress, WorkSetsThePositionToTheBytesSoFar) {
  FreshAppDouble();
  TMainForm Form;
  Form.NetHTTP1WorkBegin(*Form.NetHTTP1, TWorkMode::wmRead, 2048);
  Form.NetHTTP1Work(*Form.NetHTTP1, TWorkMode::wmRead, 512);
  EXPECT_EQ(Form.ProgressBar->Position(), 512);
  Form.NetHTTP1Work(*Form.NetHTTP1, TWorkMode::wmRead, 2048);
  EXPECT_EQ(Form.ProgressBar->Position(), 2048);
}

TEST(TMainFormDownloadProgress, EndResetsThePosition) {
  FreshAppDouble();
  TMainForm Form;
  Form.NetHTTP1WorkBegin(*Form.NetHTTP1, TWorkMode::wmRead, 100);
  Form.NetHTTP1Work(*Form.NetHTTP1, TWorkMode::wmRead, 70);
  Form.NetHTTP1WorkEnd(*Form.NetHTTP1, TWorkMode::wmRead);
  EXPECT_EQ(Form.ProgressBar->Position(), 0);
}

TEST(TMainFormDownloadProgress, WriteModeEventsMoveTheBarToo) {
  FreshAppDouble();
  TMainForm Form;
  Form.NetHTTP1WorkBegin(*Form.NetHTTP1, TWorkMode::wmWrite, 300);
  Form.NetHTTP1Work(*Form.NetHTTP1, TWorkMode::wmWrite, 150);
  EXPECT_EQ(Form.ProgressBar->Maximum(), 300);
  EXPECT_EQ(Form.ProgressBar->Position(), 150);
}

TEST(TMainFormDownloadProgress, UnknownSizeLeavesTheBarEmpty) {
  FreshAppDouble();
  TMainForm Form;
  Form.NetHTTP1WorkBegin(*Form.NetHTTP1, TWorkMode::wmRead, 0);
  Form.NetHTTP1Work(*Form.NetHTTP1, TWorkMode::wmRead, 5000);
  EXPECT_LE(Form.ProgressBar->Position(), 0);
  for (int I = 0; I < 50; ++I) Form.ProgressBar->AnimationTick();
  EXPECT_LE(Form.ProgressBar->ShownPosition(), 0);
}

TEST(TMainFormDownloadProgress, NegativeSizeLeavesTheBarEmpty) {
  FreshAppDouble();
  TMainForm Form;
  Form.NetHTTP1WorkBegin(*Form.NetHTTP1, TWorkMode::wmRead, -1);
  Form.NetHTTP1Work(*Form.NetHTTP1, TWorkMode::wmRead, 5000);
  EXPECT_LE(Form.ProgressBar->Position(), -1);
  EXPECT_EQ(Form.ProgressBar->Maximum(), -1);
}

TEST(TMainFormDownloadProgress, NextDownloadsBeginSetsANewMaximum) {
  FreshAppDouble();
  TMainForm Form;
  Form.NetHTTP1WorkBegin(*Form.NetHTTP1, TWorkMode::wmRead, 0);
  Form.NetHTTP1WorkEnd(*Form.NetHTTP1, TWorkMode::wmRead);
  Form.NetHTTP1WorkBegin(*Form.NetHTTP1, TWorkMode::wmRead, 400);
  Form.NetHTTP1Work(*Form.NetHTTP1, TWorkMode::wmRead, 100);
  EXPECT_EQ(Form.ProgressBar->Maximum(), 400);
  EXPECT_EQ(Form.ProgressBar->Position(), 100);
}

TEST(TMainFormDownloadProgress, HttpClientsWorkEventsReachTheBar) {
  FreshAppDouble();
  TMainForm Form;
  Form.NetHTTP1->BeginWork(TWorkMode::wmRead, 1000);
  EXPECT_EQ(Form.ProgressBar->Maximum(), 1000);
  Form.NetHTTP1->DoWork(TWorkMode::wmRead, 300);
  Form.NetHTTP1->DoWork(TWorkMode::wmRead, 200);
  EXPECT_EQ(Form.ProgressBar->Position(), 500);  // the running total
  Form.NetHTTP1->EndWork(TWorkMode::wmRead);
  EXPECT_EQ(Form.ProgressBar->Position(), 0);
}

TEST(TMainFormDownloadProgress, HandlersProcessPendingMessages) {
  FreshAppDouble();
  TMainForm Form;
  int Pumps = 0;
  Application().OnProcessMessages = [&] { ++Pumps; };
  Form.NetHTTP1WorkBegin(*Form.NetHTTP1, TWorkMode::wmRead, 1000);
  Sleep(20);  // longer than the pumps' interval
  Form.NetHTTP1Work(*Form.NetHTTP1, TWorkMode::wmRead, 5);
  EXPECT_EQ(Pumps, 2);
  // A burst of block events within a tick or two pumps once or twice, not per event.
  for (int Block = 6; Block < 506; ++Block)
    Form.NetHTTP1Work(*Form.NetHTTP1, TWorkMode::wmRead, Block);
  EXPECT_LT(Pumps, 2 + 50);
  const int AfterDownload = Pumps;
  Form.NetHTTP1WorkEnd(*Form.NetHTTP1, TWorkMode::wmRead);
  Sleep(20);
  ProgressReport Report(NewFile, 0, 0);
  Form.ZipFrontProgress(Form.ZipFront.get(), Report);
  Application().OnProcessMessages = nullptr;
  EXPECT_EQ(Pumps, AfterDownload + 2);
}

TEST(UnpackBarPosition, MapsEveryKind) {
  EXPECT_EQ(UnpackBarPosition(NewFile, 55), 0.0);
  EXPECT_EQ(UnpackBarPosition(ProgressUpdate, 55), 55.0);
  EXPECT_EQ(UnpackBarPosition(EndOfBatch, 55), 0.0);
  for (const TZFProgressType Kind :
       {EndOfItem, TotalFiles2Process, TotalSize2Process, NewExtra, ExtraUpdate})
    EXPECT_FALSE(UnpackBarPosition(Kind, 55).has_value()) << static_cast<int>(Kind);
}

TEST(TMainFormUnpackProgress, FollowsTheCurrentFile) {
  FreshAppDouble();
  TMainForm Form;
  Form.ProgressBar->SetMaximum(100);
  ProgressReport Update(ProgressUpdate, 300, 400);
  Form.ZipFrontProgress(Form.ZipFront.get(), Update);
  EXPECT_EQ(Form.ProgressBar->Position(), 75);
  ProgressReport EndItem(EndOfItem, 400, 400);
  Form.ZipFrontProgress(Form.ZipFront.get(), EndItem);
  EXPECT_EQ(Form.ProgressBar->Position(), 75);  // unchanged
  ProgressReport Next(NewFile, 0, 900);
  Form.ZipFrontProgress(Form.ZipFront.get(), Next);
  EXPECT_EQ(Form.ProgressBar->Position(), 0);
  ProgressReport Half(ProgressUpdate, 450, 900);
  Form.ZipFrontProgress(Form.ZipFront.get(), Half);
  EXPECT_EQ(Form.ProgressBar->Position(), 50);
  ProgressReport Totals(TotalSize2Process, 0, 0);
  Form.ZipFrontProgress(Form.ZipFront.get(), Totals);
  EXPECT_EQ(Form.ProgressBar->Position(), 50);
  ProgressReport Batch(EndOfBatch, 0, 0);
  Form.ZipFrontProgress(Form.ZipFront.get(), Batch);
  EXPECT_EQ(Form.ProgressBar->Position(), 0);
}

TEST(TMainFormUnpackProgress, EmptyItemShowsZero) {
  FreshAppDouble();
  TMainForm Form;
  Form.ProgressBar->SetPosition(30);
  ProgressReport Empty(ProgressUpdate, 0, 0);
  Form.ZipFrontProgress(Form.ZipFront.get(), Empty);
  EXPECT_EQ(Form.ProgressBar->Position(), 0);
}

TEST(TMainFormUnpackProgress, ZipFrontsProgressEventIsBound) {
  FreshAppDouble();
  TMainForm Form;
  ASSERT_TRUE(static_cast<bool>(Form.ZipFront->OnProgress));
  ProgressReport Update(ProgressUpdate, 1, 4);
  Form.ZipFront->OnProgress(Form.ZipFront.get(), Update);
  EXPECT_EQ(Form.ProgressBar->Position(), 25);
}

}  // namespace
}  // namespace vlm
