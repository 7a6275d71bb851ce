// ui/forms/window_class.h -- window class registration and the guard that keeps exceptions from
// crossing a window procedure (the platform's callbacks cannot carry them).
#pragma once

#include <exception>

#include "runtime/application.h"
#include "runtime/win32/win32_api.h"

namespace vlm {

// Registers a window class of this module under Name once; later calls do nothing.
void EnsureWindowClass(const wchar_t* Name, WNDPROC Procedure, UINT Style, HICON Icon = nullptr);

// Runs Handler; an exception that leaves it is shown in the application's error box (the rest
// of the handler does not run) and the message counts as handled with result 0.
template <class F>
LRESULT GuardedHandler(F&& Handler) {
  try {
    return Handler();
  } catch (...) {
    Application().HandleException(std::current_exception());
    return 0;
  }
}

}  // namespace vlm
