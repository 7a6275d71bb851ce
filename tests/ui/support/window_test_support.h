// tests/ui/support/window_test_support.h -- helpers for window tests: posting input the way the
// window system delivers it (through the application's pump), reading window classes and texts,
// recording error boxes, and bounded waits that process messages.
#pragma once

#include <functional>
#include <vector>

#include "runtime/application.h"
#include "runtime/exception.h"
#include "runtime/string.h"
#include "runtime/win32/win32_api.h"
#include "support/main_form_app_double.h"
#include "ui/forms/dpi.h"

namespace vlm {

// Clears the installer-core double before a new window is made.
inline void FreshAppDouble() {
  AppDouble() = MainFormAppDouble();
}

inline String ClassNameOf(HWND Window) {
  wchar_t Buffer[256] = {};
  const int Got = GetClassNameW(Window, Buffer, 256);
  return FromWide(Buffer, static_cast<size_t>(Got > 0 ? Got : 0));
}

inline String WindowTextOf(HWND Window) {
  wchar_t Buffer[512] = {};
  const int Got = GetWindowTextW(Window, Buffer, 512);
  return FromWide(Buffer, static_cast<size_t>(Got > 0 ? Got : 0));
}

// Processes messages until Done() or TimeoutMs have passed; returns Done().
inline bool PumpUntil(const std::function<bool()>& Done, DWORD TimeoutMs = 5000) {
  const DWORD Start = GetTickCount();
  while (!Done()) {
    if (GetTickCount() - Start > TimeoutMs) return Done();
    Application().ProcessMessages();
    Sleep(1);
  }
  return true;
}

inline void Pump() {
  Application().ProcessMessages();
}

// A key press and release posted to Window, then processed.
inline void PressKey(HWND Window, WPARAM Key) {
  PostMessageW(Window, WM_KEYDOWN, Key, 1);
  PostMessageW(Window, WM_KEYUP, Key, static_cast<LPARAM>(0xC0000001u));
  Pump();
}

inline LPARAM PointParam(int X, int Y) {
  return MAKELPARAM(X, Y);
}

// A left press and release at the client point (X, Y) of Window, then processed.
inline void ClickAt(HWND Window, int X, int Y) {
  PostMessageW(Window, WM_LBUTTONDOWN, MK_LBUTTON, PointParam(X, Y));
  PostMessageW(Window, WM_LBUTTONUP, 0, PointParam(X, Y));
  Pump();
}

// The messages of a fast double click: press, release, double-click press, release.
inline void DoubleClickAt(HWND Window, int X, int Y) {
  PostMessageW(Window, WM_LBUTTONDOWN, MK_LBUTTON, PointParam(X, Y));
  PostMessageW(Window, WM_LBUTTONUP, 0, PointParam(X, Y));
  PostMessageW(Window, WM_LBUTTONDBLCLK, MK_LBUTTON, PointParam(X, Y));
  PostMessageW(Window, WM_LBUTTONUP, 0, PointParam(X, Y));
  Pump();
}

// Records the error boxes shown while it lives instead of showing them.
struct ErrorBoxRecorder {
  ErrorBoxRecorder() {
    Application().OnShowErrorBox = [this](const String&, const String& Text) {
      Texts.push_back(Text);
    };
  }
  ~ErrorBoxRecorder() { Application().OnShowErrorBox = nullptr; }
  std::vector<String> Texts;
};

}  // namespace vlm
