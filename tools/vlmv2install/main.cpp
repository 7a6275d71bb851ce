// tools/vlmv2install/main.cpp -- vlmv2install.exe, the stand-in for the runtime engine's installer
// that the setup program carries and runs with "/sp- /verysilent /norestart".
// It installs nothing. It records the run in the per-user registry (run_record.h), stays about
// three seconds, like a short real installation, and ends. With /verysilent it makes no window;
// otherwise a small window says what it is for that time. Exit code 0, or 1 when the record
// could not be written.
#include "runtime/win32/win32_api.h"
#include "tools/vlmv2install/command_tail.h"
#include "tools/vlmv2install/run_record.h"

namespace {

using vlm::String;

constexpr UINT kRunMilliseconds = 3000;
constexpr UINT_PTR kEndTimer = 1;
constexpr const wchar_t* kWindowClass = L"VelmoraRuntimeEngineStandIn";
constexpr const wchar_t* kNotice =
    L"Velmora runtime engine installer (stand-in).\r\n"
    L"It records this run and closes by itself in a few seconds.";

LRESULT CALLBACK WindowProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam) {
  switch (Message) {
    case WM_TIMER:
      if (WParam == kEndTimer) ::DestroyWindow(Window);
      return 0;
    case WM_DESTROY: ::PostQuitMessage(0); return 0;
  }
  return ::DefWindowProcW(Window, Message, WParam, LParam);
}

// Shows the notice window until the run time is over or the user closes it. Without a window
// (no display) the run still lasts its time.
void RunWithWindow(HINSTANCE Instance, int ShowCommand) {
  WNDCLASSW Class = {};
  Class.lpfnWndProc = WindowProc;
  Class.hInstance = Instance;
  Class.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  Class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  Class.lpszClassName = kWindowClass;
  ::RegisterClassW(&Class);
  const HWND Window = ::CreateWindowExW(
      0, kWindowClass, L"Velmora runtime engine", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
      CW_USEDEFAULT, CW_USEDEFAULT, 440, 130, nullptr, nullptr, Instance, nullptr);
  if (Window == nullptr) {
    ::Sleep(kRunMilliseconds);
    return;
  }
  const HWND Text = ::CreateWindowExW(0, L"STATIC", kNotice, WS_CHILD | WS_VISIBLE | SS_NOPREFIX,
                                      12, 12, 400, 60, Window, nullptr, Instance, nullptr);
  ::SendMessageW(Text, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)),
                 TRUE);
  ::ShowWindow(Window, ShowCommand);
  ::SetTimer(Window, kEndTimer, kRunMilliseconds, nullptr);
  MSG Message;
  while (::GetMessageW(&Message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&Message);
    ::DispatchMessageW(&Message);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE Instance, HINSTANCE, LPSTR, int ShowCommand) {
  const String Arguments = vlm::standin::CommandTail(vlm::FromWide(::GetCommandLineW()));
  const bool Recorded = vlm::standin::RecordRun(Arguments);
  if (vlm::standin::HasSwitch(Arguments, u"/verysilent")) {
    ::Sleep(kRunMilliseconds);
  } else {
    RunWithWindow(Instance, ShowCommand);
  }
  return Recorded ? 0 : 1;
}
