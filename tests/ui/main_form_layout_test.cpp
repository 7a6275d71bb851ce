// tests/ui/main_form_layout_test.cpp -- the main window as built: its class, size and border,
// every component's place and size at 96 dpi, the start texts, visibility, tab order and focus.
#include <gtest/gtest.h>

#include "support/main_form_app_double.h"
#include "support/window_test_support.h"
#include "ui/main_form.h"

namespace vlm {
namespace {

struct Box {
  int Left, Top, Width, Height;
};

// The 96 dpi layout scaled by the window's own scale (1 on the test display).
Box Scaled(const TMainForm& Form, Box B) {
  const double S = Form.Scale();
  return Box{ScaleValue(B.Left, S), ScaleValue(B.Top, S), ScaleValue(B.Width, S),
             ScaleValue(B.Height, S)};
}

template <class C>
void ExpectBox(const TMainForm& Form, const C& Control, Box Expected, const char* Name) {
  const Box E = Scaled(Form, Expected);
  EXPECT_EQ(Control.Left(), E.Left) << Name;
  EXPECT_EQ(Control.Top(), E.Top) << Name;
  EXPECT_EQ(Control.Width(), E.Width) << Name;
  EXPECT_EQ(Control.Height(), E.Height) << Name;
}

RECT ChildBounds(HWND Child) {
  RECT R;
  GetWindowRect(Child, &R);
  MapWindowPoints(HWND_DESKTOP, GetParent(Child), reinterpret_cast<POINT*>(&R), 2);
  return R;
}

TEST(TMainForm, WindowHasClassNameTMainFormAndEmptyTitle) {
  FreshAppDouble();
  TMainForm Form;
  EXPECT_EQ(ClassNameOf(Form.Handle()), u"TMainForm");
  EXPECT_EQ(WindowTextOf(Form.Handle()), u"");
}

TEST(TMainForm, ClientAreaIs770By460AtTheWindowsScale) {
  FreshAppDouble();
  TMainForm Form;
  EXPECT_EQ(Form.ClientWidth(), ScaleValue(770, Form.Scale()));
  EXPECT_EQ(Form.ClientHeight(), ScaleValue(460, Form.Scale()));
}

TEST(TMainForm, BorderIsFixedWithSystemMenuAndBothBoxes) {
  FreshAppDouble();
  TMainForm Form;
  const LONG Style = GetWindowLongW(Form.Handle(), GWL_STYLE);
  EXPECT_FALSE(Style & WS_THICKFRAME);
  EXPECT_TRUE(Style & WS_SYSMENU);
  EXPECT_TRUE(Style & WS_MINIMIZEBOX);
  EXPECT_TRUE(Style & WS_MAXIMIZEBOX);
  EXPECT_EQ(GetParent(Form.Handle()), nullptr);
  EXPECT_EQ(GetWindow(Form.Handle(), GW_OWNER), nullptr);
}

TEST(TMainForm, BecomesTheApplicationsWindow) {
  FreshAppDouble();
  TMainForm Form;
  EXPECT_EQ(Application().Handle(), Form.Handle());
}

TEST(TMainForm, WindowlessComponentsSitAtTheirPlaces) {
  FreshAppDouble();
  TMainForm Form;
  ExpectBox(Form, *Form.Image1, {175, 95, 593, 361}, "Image1");
  ExpectBox(Form, *Form.SmoothLabel1, {145, 8, 617, 81}, "SmoothLabel1");
  ExpectBox(Form, *Form.SmoothLabel2, {624, 56, 160, 81}, "SmoothLabel2");
  ExpectBox(Form, *Form.SmoothLabel3, {20, 216, 287, 33}, "SmoothLabel3");
  ExpectBox(Form, *Form.StartMenuCheckbox, {26, 135, 31, 33}, "StartMenuCheckbox");
  ExpectBox(Form, *Form.SmoothLabel4, {63, 135, 338, 33}, "SmoothLabel4");
  ExpectBox(Form, *Form.SmoothLabel5, {63, 174, 314, 33}, "SmoothLabel5");
  ExpectBox(Form, *Form.DesktopShortcutCheckbox, {26, 174, 31, 33}, "DesktopShortcutCheckbox");
  ExpectBox(Form, *Form.ProgressText, {20, 383, 287, 33}, "ProgressText");
}

TEST(TMainForm, WindowedComponentsSitAtTheirPlaces) {
  FreshAppDouble();
  TMainForm Form;
  ExpectBox(Form, *Form.InstallButton, {26, 303, 175, 73}, "InstallButton");
  ExpectBox(Form, *Form.ProgressBar, {26, 422, 281, 19}, "ProgressBar");
  const RECT Edit = ChildBounds(Form.InstallDirectory->Handle());
  const Box E = Scaled(Form, {26, 256, 351, 31});
  EXPECT_EQ(Edit.left, E.Left);
  EXPECT_EQ(Edit.top, E.Top);
  EXPECT_EQ(Edit.right - Edit.left, E.Width);
  EXPECT_EQ(Edit.bottom - Edit.top, E.Height);
}

TEST(TMainForm, PaintingOrderIsTheCreationOrder) {
  FreshAppDouble();
  TMainForm Form;
  const std::vector<TControl*> Expected = {Form.Image1.get(),
                                           Form.SmoothLabel1.get(),
                                           Form.SmoothLabel2.get(),
                                           Form.SmoothLabel3.get(),
                                           Form.StartMenuCheckbox.get(),
                                           Form.SmoothLabel4.get(),
                                           Form.SmoothLabel5.get(),
                                           Form.DesktopShortcutCheckbox.get(),
                                           Form.ProgressText.get()};
  EXPECT_EQ(Form.Controls(), Expected);
}

TEST(TMainForm, StartTextsAndCaptions) {
  FreshAppDouble();
  TMainForm Form;
  EXPECT_EQ(Form.SmoothLabel1->Caption(), u"Velmora");
  EXPECT_EQ(Form.SmoothLabel2->Caption(), u"Setup");
  EXPECT_EQ(Form.SmoothLabel3->Caption(), u"Installation directory :");
  EXPECT_EQ(Form.SmoothLabel4->Caption(), u"Create entry in Start menu");
  EXPECT_EQ(Form.SmoothLabel5->Caption(), u"Create desktop shortcut");
  EXPECT_EQ(Form.ProgressText->Caption(), u"Downloading...");
  EXPECT_EQ(Form.StartMenuCheckbox->Caption(), u"V");
  EXPECT_EQ(Form.DesktopShortcutCheckbox->Caption(), u"V");
  EXPECT_EQ(Form.StartMenuCheckbox->FillColor(), 0x00FF00);
  EXPECT_EQ(Form.DesktopShortcutCheckbox->FillColor(), 0x00FF00);
  EXPECT_EQ(Form.StartMenuCheckbox->Appearance().Fill.BorderColor, 0x808080);
}

TEST(TMainForm, LabelFontsAndAlignment) {
  FreshAppDouble();
  TMainForm Form;
  EXPECT_EQ(Form.SmoothLabel1->Font().Height, 64);
  EXPECT_EQ(Form.SmoothLabel2->Font().Height, 37);
  EXPECT_EQ(Form.SmoothLabel3->Font().Height, 27);
  EXPECT_EQ(Form.SmoothLabel1->Font().Name, u"Tahoma");
  EXPECT_EQ(Form.SmoothLabel3->Location(), TLabelLocation::CenterCenter);
  EXPECT_EQ(Form.SmoothLabel4->Location(), TLabelLocation::CenterLeft);
  EXPECT_EQ(Form.SmoothLabel5->Location(), TLabelLocation::CenterLeft);
  EXPECT_EQ(Form.ProgressText->Location(), TLabelLocation::CenterLeft);
  EXPECT_TRUE(Form.StartMenuCheckbox->Appearance().Font.Bold);
  EXPECT_EQ(Form.StartMenuCheckbox->Appearance().Font.Height, 16);
  EXPECT_EQ(Form.InstallButton->Appearance().Font.Height, 37);
}

TEST(TMainForm, WindowedControlsExposeTheirTextsAsWindowTexts) {
  FreshAppDouble();
  TMainForm Form;
  EXPECT_EQ(WindowTextOf(Form.InstallButton->Handle()), u"Install");
  EXPECT_EQ(WindowTextOf(Form.InstallDirectory->Handle()), u"c:\\vlmv2");
  EXPECT_EQ(Form.InstallDirectory->Text(), u"c:\\vlmv2");
  Form.InstallButton->SetCaption(u"Done !");
  EXPECT_EQ(WindowTextOf(Form.InstallButton->Handle()), u"Done !");
}

TEST(TMainForm, ProgressDisplayIsHiddenAtStart) {
  FreshAppDouble();
  TMainForm Form;
  EXPECT_FALSE(Form.ProgressText->Visible());
  EXPECT_FALSE(Form.ProgressBar->Visible());
  EXPECT_TRUE(Form.InstallButton->Enabled());
  EXPECT_FALSE(Form.Timer1->Enabled());
  EXPECT_EQ(Form.Timer1->Interval(), 1000u);
  EXPECT_EQ(Form.ProgressBar->Maximum(), 100);
  EXPECT_EQ(Form.ProgressBar->Minimum(), 0);
  EXPECT_EQ(Form.ProgressBar->Step(), 10);
  EXPECT_EQ(Form.ProgressBar->Position(), 0);
}

TEST(TMainForm, ProgressBarColours) {
  FreshAppDouble();
  TMainForm Form;
  EXPECT_EQ(Form.ProgressBar->BackGroundFill.Color, 0xAFD2FF);
  EXPECT_EQ(Form.ProgressBar->BackGroundFill.BorderColor, 0xC0C0C0);
  EXPECT_EQ(Form.ProgressBar->ProgressFill.Color, 0x00FF00);
  EXPECT_EQ(Form.ProgressBar->ProgressFill.ColorTo, 0x00FF00);
  EXPECT_EQ(Form.ProgressBar->ProgressFill.ColorMirror, 0x00FF00);
  EXPECT_EQ(Form.ProgressBar->ProgressFill.ColorMirrorTo, 0x00FF00);
  EXPECT_EQ(Form.ProgressBar->ProgressFill.BorderColor, 0xADD1FF);
  EXPECT_EQ(Form.ProgressBar->ProgressFill.Rounding, 0);
}

TEST(TMainForm, CreationHandlerRunsOnceAfterEveryComponentExists) {
  FreshAppDouble();
  bool AllThere = false;
  AppDouble().OnFormCreate = [&](TMainForm& F) {
    AllThere = F.Image1 && F.ProgressText && F.InstallButton && F.ProgressBar &&
               F.InstallDirectory && F.NetHTTP1 && F.ZipFront && F.OverwriteDialog && F.Timer1;
  };
  TMainForm Form;
  EXPECT_EQ(AppDouble().FormCreateCalls, 1);
  EXPECT_TRUE(AllThere);
  EXPECT_FALSE(Form.Showing());  // shown only by Show()
}

TEST(TMainForm, ErrorInCreationHandlerIsShownAndTheWindowStillOpens) {
  FreshAppDouble();
  AppDouble().OnFormCreate = [](TMainForm&) { throw Exception(u"Cannot create file"); };
  ErrorBoxRecorder Boxes;
  TMainForm Form;
  ASSERT_EQ(Boxes.Texts.size(), 1u);
  EXPECT_EQ(Boxes.Texts[0], u"Cannot create file.");
  Form.Show();
  EXPECT_TRUE(Form.Showing());
  EXPECT_EQ(Form.InstallDirectory->Text(), u"c:\\vlmv2");
}

TEST(TMainForm, PictureIsTheEmbeddedJpegAtNaturalSize) {
  FreshAppDouble();
  TMainForm Form;
  ASSERT_FALSE(Form.Image1->Empty());
  EXPECT_EQ(Form.Image1->PictureWidth(), 591);
  EXPECT_EQ(Form.Image1->PictureHeight(), 360);
}

TEST(TMainForm, OverwriteDialogAsksWithNoAndYes) {
  FreshAppDouble();
  TMainForm Form;
  EXPECT_EQ(Form.OverwriteDialog->Caption(), u"Directory exists.  Overwrite files ?");
  ASSERT_EQ(Form.OverwriteDialog->Buttons.size(), 2u);
  EXPECT_EQ(Form.OverwriteDialog->Buttons[0].Caption, u"No");
  EXPECT_EQ(Form.OverwriteDialog->Buttons[0].ButtonResult, 0);
  EXPECT_EQ(Form.OverwriteDialog->Buttons[1].Caption, u"Yes");
  EXPECT_EQ(Form.OverwriteDialog->Buttons[1].ButtonResult, 6);
}

TEST(TMainForm, ShowGivesTheFocusToTheInstallButton) {
  FreshAppDouble();
  TMainForm Form;
  Form.Show();
  Application().ProcessMessages();
  EXPECT_EQ(GetFocus(), Form.InstallButton->Handle());
}

TEST(TMainForm, TabOrderSkipsTheHiddenProgressBar) {
  FreshAppDouble();
  TMainForm Form;
  Form.Show();
  const HWND Button = Form.InstallButton->Handle(), Edit = Form.InstallDirectory->Handle();
  EXPECT_EQ(GetNextDlgTabItem(Form.Handle(), Button, FALSE), Edit);
  EXPECT_EQ(GetNextDlgTabItem(Form.Handle(), Edit, FALSE), Button);
}

TEST(TMainForm, TabOrderIsButtonBarFolderWhileTheBarIsVisible) {
  FreshAppDouble();
  TMainForm Form;
  Form.Show();
  Form.ProgressBar->SetVisible(true);
  const HWND Button = Form.InstallButton->Handle(), Bar = Form.ProgressBar->Handle(),
             Edit = Form.InstallDirectory->Handle();
  EXPECT_EQ(GetNextDlgTabItem(Form.Handle(), Button, FALSE), Bar);
  EXPECT_EQ(GetNextDlgTabItem(Form.Handle(), Bar, FALSE), Edit);
  EXPECT_EQ(GetNextDlgTabItem(Form.Handle(), Edit, FALSE), Button);
}

TEST(TMainForm, TabKeyMovesTheFocusAlongTheTabOrder) {
  FreshAppDouble();
  TMainForm Form;
  Form.Show();
  Application().ProcessMessages();
  Form.ProgressBar->SetVisible(true);
  ASSERT_EQ(GetFocus(), Form.InstallButton->Handle());
  PressKey(GetFocus(), VK_TAB);
  EXPECT_EQ(GetFocus(), Form.ProgressBar->Handle());
  PressKey(GetFocus(), VK_TAB);
  EXPECT_EQ(GetFocus(), Form.InstallDirectory->Handle());
}

}  // namespace
}  // namespace vlm
