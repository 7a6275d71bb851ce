// ui/main_form_access.cpp -- the main window for screen readers and the keyboard: its elements in
// reading order (the title, the two toggles as check boxes named by their labels, the folder with
// its label and browse button, the Install button, the status text and the progress bar), and the
// access keys of the toggles, which have no window to take the focus.
#include "ui/main_form.h"

namespace vlm {

namespace {

RECT OnScreen(const TControl& Control) {
  RECT R = Control.BoundsRect();
  MapWindowPoints(Control.Parent().Handle(), HWND_DESKTOP, reinterpret_cast<POINT*>(&R), 2);
  return R;
}

TAccessibleElement StaticText(const TSmoothLabel& Label) {
  TAccessibleElement E;
  E.Role = ROLE_SYSTEM_STATICTEXT;
  E.Name = [&Label] { return Label.Caption(); };
  E.State = [&Label] { return VisibilityState(Label.Visible(), true) | STATE_SYSTEM_READONLY; };
  E.Bounds = [&Label] { return OnScreen(Label); };
  return E;
}

// A toggle is a check box named by the label beside it, checked while it shows "V"; its default
// action is a click.
TAccessibleElement CheckBox(TSmoothStatusIndicator& Toggle, const TSmoothLabel& Label,
                            const char16_t* Shortcut) {
  TAccessibleElement E;
  E.Role = ROLE_SYSTEM_CHECKBUTTON;
  E.Name = [&Label] { return Label.Caption(); };
  E.State = [&Toggle] {
    return VisibilityState(Toggle.Visible(), Toggle.Enabled()) |
           (Toggle.Caption() == u"V" ? STATE_SYSTEM_CHECKED : 0);
  };
  E.Bounds = [&Toggle] { return OnScreen(Toggle); };
  E.DefaultAction = u"Toggle";
  E.DoDefaultAction = [&Toggle] {
    if (Toggle.Visible() && Toggle.Enabled()) Toggle.Click();
  };
  E.KeyboardShortcut = Shortcut;
  return E;
}

TAccessibleElement WindowElement(HWND Window) {
  TAccessibleElement E;
  E.Window = Window;
  return E;
}

// The status text without its trailing dots: "Installing" grows by one dot a second, and a
// screen reader is told of it once.
String WithoutTrailingDots(String Text) {
  while (!Text.empty() && Text.back() == u'.') Text.pop_back();
  return Text;
}

}  // namespace

void TMainForm::DescribeForScreenReaders() {
  TAccessibleTree& Tree = MakeAccessible();
  Tree.Self.Name = [] { return String(u"Velmora v2 setup"); };
  Tree.Self.State = [this] { return VisibilityState(Showing(), true); };

  SmoothLabel4->AccessKey = u'S';
  SmoothLabel5->AccessKey = u'd';
  InstallDirectory->AccessibleName = u"Installation directory";
  ProgressBar->Accessible()->Self.Name = [] { return String(u"Installation progress"); };

  TAccessibleElement Status = StaticText(*ProgressText);
  Status.NameKey = [this] { return WithoutTrailingDots(ProgressText->Caption()); };

  Tree.Children = {
      StaticText(*SmoothLabel1),
      StaticText(*SmoothLabel2),
      CheckBox(*StartMenuCheckbox, *SmoothLabel4, u"Alt+S"),
      CheckBox(*DesktopShortcutCheckbox, *SmoothLabel5, u"Alt+D"),
      StaticText(*SmoothLabel3),
      WindowElement(InstallDirectory->Handle()),
      WindowElement(InstallDirectory->Button().Handle()),
      WindowElement(InstallButton->Handle()),
      Status,
      WindowElement(ProgressBar->Handle()),
  };
  Tree.Announce();  // takes the first state in
}

bool TMainForm::Mnemonic(char16_t Key) {
  TSmoothStatusIndicator* Toggle = nullptr;
  if (Key == u's' || Key == u'S') Toggle = StartMenuCheckbox.get();
  if (Key == u'd' || Key == u'D') Toggle = DesktopShortcutCheckbox.get();
  if (!Toggle || !Toggle->Visible() || !Toggle->Enabled()) return false;
  Toggle->Click();
  return true;
}

}  // namespace vlm
