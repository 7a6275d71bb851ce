// tests/ui/accessibility_test.cpp -- what the main window tells screen readers, read in process
// from its description: the progress bar's value and how often it is worth an announcement, the
// status text's growing dots, the toggles' state and access keys, the dialog's buttons.
#include <gtest/gtest.h>

#include <set>

#include "support/main_form_app_double.h"
#include "support/window_test_support.h"
#include "ui/dialog/overwrite_dialog.h"
#include "ui/main_form.h"

namespace vlm {
namespace {

TEST(MainFormAccessibility, ProgressValueIsTheShownPercentAnnouncedEveryTenPoints) {
  FreshAppDouble();
  TMainForm Form;
  TSmoothProgressBar& Bar = *Form.ProgressBar;
  Bar.SetProgressAnimation(false);
  const TAccessibleElement& Self = Bar.Accessible()->Self;
  std::vector<String> Keys;
  for (int Position = 0; Position <= 100; ++Position) {
    Bar.SetPosition(Position);
    if (Keys.empty() || Keys.back() != Self.ValueKey()) Keys.push_back(Self.ValueKey());
  }
  EXPECT_EQ(Keys.size(), 11u);  // 0, 10, ..., 90 and 100
  Bar.SetPosition(37);
  EXPECT_EQ(Self.Value(), u"37%");
  Bar.SetMaximum(400);  // a download's byte count
  Bar.SetPosition(399);
  EXPECT_EQ(Self.Value(), u"99%");
  EXPECT_EQ(Self.ValueKey(), u"90");
}

TEST(MainFormAccessibility, StatusDotsChangeTheNameButNotWhatIsAnnounced) {
  FreshAppDouble();
  TMainForm Form;
  const TAccessibleElement& Status = Form.Accessible()->Children.at(8);
  Form.ProgressText->SetCaption(u"Installing");
  const String Key = Status.NameKey();
  Form.Timer1Timer(nullptr);
  Form.Timer1Timer(nullptr);
  EXPECT_EQ(Status.Name(), u"Installing..");
  EXPECT_EQ(Status.NameKey(), Key);
  Form.ProgressText->SetCaption(u"Unpacking...");
  EXPECT_NE(Status.NameKey(), Key);
}

TEST(MainFormAccessibility, AccessKeysAndDefaultActionsFlipTheTogglesAsAClickDoes) {
  FreshAppDouble();
  TMainForm Form;
  const auto& Children = Form.Accessible()->Children;
  const TAccessibleElement &Start = Children.at(2), &Desktop = Children.at(3);
  EXPECT_EQ(Start.Name(), u"Create entry in Start menu");
  EXPECT_TRUE(Start.State() & STATE_SYSTEM_CHECKED);
  EXPECT_TRUE(Form.Mnemonic(u's'));
  EXPECT_EQ(Form.StartMenuCheckbox->Caption(), u"X");
  EXPECT_FALSE(Start.State() & STATE_SYSTEM_CHECKED);
  EXPECT_TRUE(Form.Mnemonic(u'D'));
  EXPECT_EQ(Form.DesktopShortcutCheckbox->Caption(), u"X");
  EXPECT_FALSE(Form.Mnemonic(u'x'));  // not an access key: the platform's handling goes on
  Desktop.DoDefaultAction();
  EXPECT_EQ(Form.DesktopShortcutCheckbox->Caption(), u"V");
  EXPECT_TRUE(Desktop.State() & STATE_SYSTEM_CHECKED);
}

TEST(MainFormAccessibility, IdleCuesAreHiddenAndAltShowsThem) {
  FreshAppDouble();
  TMainForm Form;
  EXPECT_FALSE(Form.KeyboardCuesShown());
  SendMessageW(Form.Handle(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEACCEL), 0);
  EXPECT_TRUE(Form.KeyboardCuesShown());
  SendMessageW(Form.Handle(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_INITIALIZE, UISF_HIDEACCEL), 0);
  EXPECT_TRUE(Form.KeyboardCuesShown());  // only an explicit request hides them again
}

}  // namespace
}  // namespace vlm
