// tests/ui/support/main_form_app_double.h -- the installer core's share of TMainForm replaced
// for the window tests: FormCreate sets the default folder like the real one, and both it and
// InstallButtonClick run what the test puts here.
#pragma once

#include <functional>

namespace vlm {

class TMainForm;

struct MainFormAppDouble {
  int FormCreateCalls = 0;
  int InstallClicks = 0;
  // Runs inside FormCreate after the folder is set (may throw).
  std::function<void(TMainForm&)> OnFormCreate;
  // Runs as the install handler's body.
  std::function<void(TMainForm&)> OnInstallClick;
};

// The double's state; tests reset it before creating a window.
MainFormAppDouble& AppDouble();

}  // namespace vlm
