// ui/dialog/task_windows.cpp -- disabling the thread's windows around a modal window.
#include "ui/dialog/task_windows.h"

namespace vlm {

namespace {

struct Collector {
  HWND Except;
  std::vector<HWND>* Found;
};

BOOL CALLBACK CollectEnabled(HWND Window, LPARAM Param) {
  auto* C = reinterpret_cast<Collector*>(Param);
  if (Window != C->Except && IsWindowVisible(Window) && IsWindowEnabled(Window))
    C->Found->push_back(Window);
  return TRUE;
}

}  // namespace

DisabledTaskWindows::DisabledTaskWindows(HWND Except)
    : FExcept(Except), FActive(GetActiveWindow()) {
  Collector C{Except, &FDisabled};
  EnumThreadWindows(GetCurrentThreadId(), CollectEnabled, reinterpret_cast<LPARAM>(&C));
  for (HWND Window : FDisabled) EnableWindow(Window, FALSE);
}

DisabledTaskWindows::~DisabledTaskWindows() {
  Restore();
}

void DisabledTaskWindows::Restore() {
  if (FRestored) return;
  FRestored = true;
  for (HWND Window : FDisabled) {
    if (IsWindow(Window)) EnableWindow(Window, TRUE);
  }
  if (FActive && IsWindow(FActive)) SetActiveWindow(FActive);
}

}  // namespace vlm
