// tests/ui/smooth_button_test.cpp -- the Install button's input rules as the window uses them:
// Enter and Space while focused, a mouse press released anywhere, nothing while disabled, the
// state colours, and the window text that follows the caption.
#include <gtest/gtest.h>

#include "support/main_form_app_double.h"
#include "support/window_test_support.h"
#include "ui/main_form.h"

namespace vlm {
namespace {

TEST(ButtonStateColor, EnabledUsesTheBaseColour) {
  EXPECT_EQ(ButtonStateColor(0x808080, true, false), 0x808080);
}

TEST(ButtonStateColor, DisabledUsesDarkGreyWhateverTheBase) {
  EXPECT_EQ(ButtonStateColor(0x808080, false, false), 0x505050);
  EXPECT_EQ(ButtonStateColor(0x12AB34, false, false), 0x505050);
}

TEST(ButtonStateColor, PressedScalesTheBrightnessBySevenTenths) {
  EXPECT_EQ(ButtonStateColor(0x808080, true, true), 0x5A5A5A);
  EXPECT_EQ(ButtonStateColor(0xC86400, true, true), RGBColor(140, 70, 0));
}

TEST(TSmoothButton, EnterWhileFocusedRaisesOneClick) {
  FreshAppDouble();
  TMainForm Form;
  Form.Show();
  Form.InstallButton->SetFocus();
  PressKey(Form.InstallButton->Handle(), VK_RETURN);
  EXPECT_EQ(AppDouble().InstallClicks, 1);
}

TEST(TSmoothButton, SpaceWhileFocusedRaisesOneClick) {
  FreshAppDouble();
  TMainForm Form;
  Form.Show();
  Form.InstallButton->SetFocus();
  PressKey(Form.InstallButton->Handle(), VK_SPACE);
  EXPECT_EQ(AppDouble().InstallClicks, 1);
}

TEST(TSmoothButton, HeldKeyRepeatsRaiseNoFurtherClicks) {
  FreshAppDouble();
  TMainForm Form;
  Form.Show();
  Form.InstallButton->SetFocus();
  const HWND Button = Form.InstallButton->Handle();
  PostMessageW(Button, WM_KEYDOWN, VK_SPACE, 1);
  PostMessageW(Button, WM_KEYDOWN, VK_SPACE, 1 | (1 << 30));  // auto-repeat
  PostMessageW(Button, WM_KEYDOWN, VK_SPACE, 1 | (1 << 30));
  Pump();
  EXPECT_EQ(AppDouble().InstallClicks, 1);
}

TEST(TSmoothButton, MouseClickRaisesOneClick) {
  FreshAppDouble();
  TMainForm Form;
  Form.Show();
  ClickAt(Form.InstallButton->Handle(), 20, 20);
  EXPECT_EQ(AppDouble().InstallClicks, 1);
  EXPECT_FALSE(Form.InstallButton->Down());  // the flash has ended
}

TEST(TSmoothButton, PressMovedOffAndReleasedStillClicksOnce) {
  FreshAppDouble();
  TMainForm Form;
  Form.Show();
  const HWND Button = Form.InstallButton->Handle();
  PostMessageW(Button, WM_LBUTTONDOWN, MK_LBUTTON, PointParam(20, 20));
  PostMessageW(Button, WM_MOUSEMOVE, MK_LBUTTON, PointParam(400, 20));
  PostMessageW(Button, WM_LBUTTONUP, 0, PointParam(400, 20));
  Pump();
  EXPECT_EQ(AppDouble().InstallClicks, 1);
}

TEST(TSmoothButton, ReleaseWithoutAPressOnTheButtonIsNoClick) {
  FreshAppDouble();
  TMainForm Form;
  Form.Show();
  PostMessageW(Form.InstallButton->Handle(), WM_LBUTTONUP, 0, PointParam(20, 20));
  Pump();
  EXPECT_EQ(AppDouble().InstallClicks, 0);
}

TEST(TSmoothButton, PressTakesTheFocus) {
  FreshAppDouble();
  TMainForm Form;
  Form.Show();
  SetFocus(Form.InstallDirectory->Handle());
  ClickAt(Form.InstallButton->Handle(), 20, 20);
  EXPECT_EQ(GetFocus(), Form.InstallButton->Handle());
}

TEST(TSmoothButton, DisabledButtonIgnoresKeysAndMouse) {
  FreshAppDouble();
  TMainForm Form;
  Form.Show();
  Form.InstallButton->SetFocus();
  Form.InstallButton->SetEnabled(false);
  PostMessageW(Form.InstallButton->Handle(), WM_KEYDOWN, VK_RETURN, 1);
  PostMessageW(Form.InstallButton->Handle(), WM_KEYDOWN, VK_SPACE, 1);
  Pump();
  ClickAt(Form.InstallButton->Handle(), 20, 20);
  EXPECT_EQ(AppDouble().InstallClicks, 0);
}

TEST(TSmoothButton, ClickStoresTheModalResultIntoTheWindowBeforeTheEvent) {
  FreshAppDouble();
  TMainForm Form;
  Form.InstallButton->ModalResult = 3;
  int SeenInHandler = -1;
  AppDouble().OnInstallClick = [&](TMainForm& F) { SeenInHandler = F.ModalResult; };
  Form.InstallButton->Click();
  EXPECT_EQ(SeenInHandler, 3);
}

TEST(TSmoothButton, InstallRunningIsSetOnlyWhileTheHandlerRuns) {
  FreshAppDouble();
  TMainForm Form;
  bool Inside = false;
  AppDouble().OnInstallClick = [&](TMainForm& F) { Inside = F.InstallRunning(); };
  EXPECT_FALSE(Form.InstallRunning());
  Form.InstallButton->Click();
  EXPECT_TRUE(Inside);
  EXPECT_FALSE(Form.InstallRunning());
}

TEST(TSmoothButton, ErrorInTheInstallHandlerIsShownInTheErrorBox) {
  FreshAppDouble();
  TMainForm Form;
  Form.Show();
  ErrorBoxRecorder Boxes;
  AppDouble().OnInstallClick = [](TMainForm& F) {
    F.InstallButton->SetEnabled(false);
    throw Exception(u"HTTP/1.1 404 Not Found");
  };
  Form.InstallButton->SetFocus();
  PressKey(Form.InstallButton->Handle(), VK_RETURN);
  ASSERT_EQ(Boxes.Texts.size(), 1u);
  EXPECT_EQ(Boxes.Texts[0], u"HTTP/1.1 404 Not Found.");
  EXPECT_FALSE(Form.InstallRunning());
  EXPECT_FALSE(Form.InstallButton->Enabled());  // stays as the handler left it
}

TEST(TSmoothButton, ReEnabledButtonClicksAgain) {
  FreshAppDouble();
  TMainForm Form;
  Form.Show();
  Form.InstallButton->SetEnabled(false);
  Form.InstallButton->SetCaption(u"Done !");
  Form.InstallButton->SetEnabled(true);
  Form.InstallButton->SetFocus();
  PressKey(Form.InstallButton->Handle(), VK_RETURN);
  EXPECT_EQ(AppDouble().InstallClicks, 1);
  EXPECT_EQ(WindowTextOf(Form.InstallButton->Handle()), u"Done !");
}

}  // namespace
}  // namespace vlm
