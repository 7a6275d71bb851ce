// ui/dialog/task_windows.h -- makes a modal window modal: while an instance lives, every other
// top-level window of the calling thread that was enabled and visible is disabled; the
// destructor enables them again and makes the window that was active before active again.
#pragma once

#include <vector>

#include "runtime/win32/win32_api.h"

namespace vlm {

class DisabledTaskWindows {
public:
  // Except: a window to leave enabled (the modal window itself when it already exists).
  explicit DisabledTaskWindows(HWND Except = nullptr);
  ~DisabledTaskWindows();
  DisabledTaskWindows(const DisabledTaskWindows&) = delete;
  DisabledTaskWindows& operator=(const DisabledTaskWindows&) = delete;

  // Enables the windows again now (before the modal window is destroyed, so that the system
  // activates one of them rather than another application's window). Idempotent.
  void Restore();

private:
  HWND FExcept;
  HWND FActive;
  std::vector<HWND> FDisabled;
  bool FRestored = false;
};

}  // namespace vlm
