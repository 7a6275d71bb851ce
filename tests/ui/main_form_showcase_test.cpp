// tests/ui/main_form_showcase_test.cpp -- shows the idle main window for a screenshot taken from
// outside (window_screenshot_test.sh). It runs only when VLM_UI_SHOWCASE_MS is set: it prints
// the client area's screen rectangle, then keeps the window alive, processing messages, for that
// many milliseconds (at most one minute) or until the file named by VLM_UI_SHOWCASE_DONE appears.
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include <gtest/gtest.h>

#include "support/main_form_app_double.h"
#include "support/window_test_support.h"
#include "ui/main_form.h"

namespace vlm {
namespace {

TEST(TMainFormShowcase, ShowsTheIdleWindowForAScreenshot) {
  const char* Duration = std::getenv("VLM_UI_SHOWCASE_MS");
  if (!Duration) GTEST_SKIP() << "run by window_screenshot_test.sh";
  const DWORD Ms = std::min<DWORD>(60000, static_cast<DWORD>(std::strtoul(Duration, nullptr, 10)));
  const char* DoneFile = std::getenv("VLM_UI_SHOWCASE_DONE");
  FreshAppDouble();
  TMainForm Form;
  Form.DesktopShortcutCheckboxClick(Form.DesktopShortcutCheckbox.get());  // red for the shot
  Form.Show();
  Pump();
  POINT Origin = {0, 0};
  ClientToScreen(Form.Handle(), &Origin);
  std::printf("CLIENT %ld %ld %d %d\n", Origin.x, Origin.y, Form.ClientWidth(),
              Form.ClientHeight());
  std::fflush(stdout);
  PumpUntil([&] { return DoneFile && std::filesystem::exists(DoneFile); }, Ms);
  EXPECT_TRUE(Form.Showing());
}

}  // namespace
}  // namespace vlm
