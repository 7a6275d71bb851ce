// tests/ui/dialog_test_driver.h -- drives a TSmoothMessageDialog without a person: once the
// dialog window is shown, a thread timer runs the scripted steps one per tick (each step posts
// key or mouse messages or records what it sees). A watchdog ends a dialog that is still open
// some seconds after the last step by a quit request, so no test can hang; the test then sees
// TimedOut().
#pragma once

#include <functional>
#include <vector>

#include "runtime/win32/win32_api.h"
#include "ui/dialog/smooth_message_dialog.h"

namespace vlm::ui_test {

class DialogScript {
public:
  using Step = std::function<void(HWND Dialog)>;

  DialogScript& Then(Step S) {
    FSteps.push_back(std::move(S));
    return *this;
  }

  // Runs the steps against Dialog's next execution and returns its result.
  int Run(TSmoothMessageDialog& Dialog) {
    Dialog.OnShownForTesting = [this](HWND Window) {
      FDialog = Window;
      Current() = this;
      FTimer = SetTimer(nullptr, 0, /*Elapse=*/15, &DialogScript::Tick);
      FDeadline = GetTickCount64() + kWatchdogMs;
    };
    const int Result = Dialog.ExecuteDialog();
    if (FTimer) KillTimer(nullptr, FTimer);
    FTimer = 0;
    Current() = nullptr;
    Dialog.OnShownForTesting = nullptr;
    // The watchdog's quit request has done its work; keep it from reaching later tests.
    MSG Msg;
    while (PeekMessageW(&Msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    return Result;
  }

  bool TimedOut() const { return FTimedOut; }
  size_t StepsRun() const { return FNext; }

private:
  static constexpr ULONGLONG kWatchdogMs = 5000;

  static DialogScript*& Current() {
    static DialogScript* Script = nullptr;
    return Script;
  }

  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    DialogScript* Self = Current();
    if (!Self) return;
    if (Self->FNext < Self->FSteps.size()) {
      Self->FSteps[Self->FNext++](Self->FDialog);
      return;
    }
    if (GetTickCount64() > Self->FDeadline && !Self->FTimedOut) {
      Self->FTimedOut = true;
      PostQuitMessage(0);
    }
  }

  std::vector<Step> FSteps;
  size_t FNext = 0;
  HWND FDialog = nullptr;
  UINT_PTR FTimer = 0;
  ULONGLONG FDeadline = 0;
  bool FTimedOut = false;
};

inline void PostKey(HWND Window, WPARAM Key) {
  PostMessageW(Window, WM_KEYDOWN, Key, 1);
  PostMessageW(Window, WM_KEYUP, Key, static_cast<LPARAM>(0xC0000001u));
}

inline LPARAM PointParam(int X, int Y) {
  return MAKELPARAM(X, Y);
}

inline POINT CentreOf(const RECT& R) {
  return POINT{(R.left + R.right) / 2, (R.top + R.bottom) / 2};
}

}  // namespace vlm::ui_test
