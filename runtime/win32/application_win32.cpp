// runtime/win32/application_win32.cpp -- the application object on Windows: COM for the GUI
// thread, the message loop and the pump, the modal error box.
#include "runtime/application.h"
#include "runtime/win32/access_key_message.h"
#include "runtime/win32/win32_api.h"

#include <objbase.h>

namespace vlm {

namespace {

const wchar_t* Wide(const String& Text) {
  return WidePtr(Text);
}

// Keyboard navigation inside the application's window: Tab and Shift+Tab move the focus to the
// next or previous visible, enabled tab stop among its child windows, unless the focused control
// asks for Tab itself (WM_GETDLGCODE). Alt shows the keyboard cues (the underlined access keys),
// and a character typed with Alt in a child goes to the window first (AccessKeyMessage): when the
// window acts on it, the child never sees it. Every other key goes to the focused control
// unchanged.
bool IsNavigationMessage(HWND MainWindow, const MSG& Msg) {
  if (!MainWindow || !IsWindow(MainWindow)) return false;
  if (Msg.hwnd != MainWindow && !IsChild(MainWindow, Msg.hwnd)) return false;
  if (Msg.message == WM_SYSKEYDOWN && Msg.wParam == VK_MENU) {
    SendMessageW(MainWindow, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEACCEL), 0);
    return false;
  }
  if (Msg.message == WM_SYSCHAR && Msg.hwnd != MainWindow)
    return SendMessageW(MainWindow, AccessKeyMessage(), Msg.wParam, 0) != 0;
  if (Msg.message != WM_KEYDOWN || Msg.wParam != VK_TAB) return false;
  const LRESULT Wants =
      SendMessageW(Msg.hwnd, WM_GETDLGCODE, Msg.wParam, reinterpret_cast<LPARAM>(&Msg));
  if (Wants & (DLGC_WANTTAB | DLGC_WANTMESSAGE)) return false;
  HWND Current = Msg.hwnd == MainWindow ? nullptr : Msg.hwnd;
  const bool Backwards = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
  HWND Next = GetNextDlgTabItem(MainWindow, Current, Backwards);
  if (Next) SetFocus(Next);
  return true;
}

}  // namespace

unsigned AccessKeyMessage() {
  static const UINT Message = RegisterWindowMessageW(L"VelmoraAccessKey");
  return Message;
}

void TApplication::PlatformInit() {
  CoInitialize(nullptr);
}

void TApplication::PlatformDone() {
  CoUninitialize();
}

void TApplication::PlatformProcessMessages() {
  MSG Msg;
  while (PeekMessageW(&Msg, nullptr, 0, 0, PM_REMOVE)) {
    if (Msg.message == WM_QUIT) {
      FTerminated = true;
      continue;
    }
    if (IsNavigationMessage(static_cast<HWND>(FHandle), Msg)) continue;
    TranslateMessage(&Msg);
    DispatchMessageW(&Msg);
  }
}

void TApplication::PlatformRun() {
  MSG Msg;
  while (!FTerminated) {
    const BOOL Got = GetMessageW(&Msg, nullptr, 0, 0);
    if (Got == 0 || Got == -1) break;  // WM_QUIT, or the queue is gone
    if (IsNavigationMessage(static_cast<HWND>(FHandle), Msg)) continue;
    TranslateMessage(&Msg);
    DispatchMessageW(&Msg);
  }
}

void TApplication::PlatformTerminate() {
  PostQuitMessage(0);
}

void TApplication::PlatformErrorBox(const String& Title, const String& Text) {
  MessageBoxW(static_cast<HWND>(FHandle), Wide(Text), Wide(Title), MB_OK | MB_ICONERROR);
}

}  // namespace vlm
