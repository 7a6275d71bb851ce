// tests/ui/main_form_close_test.cpp -- the close button's rule. The terminate request stays set
// for the rest of a process, so each case runs in a child process of its own (death-test style)
// and reports what it saw as its exit code.
#include <cstdlib>

#include <gtest/gtest.h>

#include "support/main_form_app_double.h"
#include "support/window_test_support.h"
#include "ui/main_form.h"

namespace vlm {
namespace {

constexpr int kSawExpected = 7;

// Outside an installation: the window goes away and the message loop is asked to end.
void CloseWhileIdle() {
  FreshAppDouble();
  TMainForm Form;
  Form.Show();
  PostMessageW(Form.Handle(), WM_CLOSE, 0, 0);
  const bool Ended = PumpUntil([] { return Application().Terminated(); });
  std::exit(Ended && !Form.Showing() ? kSawExpected : 1);
}

// During an installation: the request is made, the window stays, the handler runs on to its end.
void CloseDuringInstall() {
  FreshAppDouble();
  bool TerminatedInside = false, VisibleInside = false, RanToTheEnd = false;
  AppDouble().OnInstallClick = [&](TMainForm& F) {
    PostMessageW(F.Handle(), WM_CLOSE, 0, 0);
    Pump();
    TerminatedInside = Application().Terminated();
    VisibleInside = F.Showing();
    RanToTheEnd = true;
  };
  TMainForm Form;
  Form.Show();
  Form.InstallButton->Click();
  std::exit(TerminatedInside && VisibleInside && RanToTheEnd ? kSawExpected : 1);
}

TEST(TMainFormCloseDeathTest, CloseOutsideAnInstallationEndsTheProgram) {
  EXPECT_EXIT(CloseWhileIdle(), ::testing::ExitedWithCode(kSawExpected), "");
}

TEST(TMainFormCloseDeathTest, CloseDuringAnInstallationOnlyRequestsTheEnd) {
  EXPECT_EXIT(CloseDuringInstall(), ::testing::ExitedWithCode(kSawExpected), "");
}

}  // namespace
}  // namespace vlm
