// tools/vlmv2menu/menu_window.cpp -- the window of the menu program (plain Win32).
#include "tools/vlmv2menu/menu_window.h"

#include "runtime/win32/win32_api.h"

namespace vlm::standin {

namespace {

constexpr const wchar_t* kWindowClass = L"VelmoraMenuWindow";
constexpr int kMargin = 12;
constexpr int kCaptionWidth = 90;
constexpr int kValueWidth = 440;
constexpr int kRowHeight = 22;

LRESULT CALLBACK WindowProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam) {
  switch (Message) {
    case WM_CTLCOLORSTATIC: {
      // The texts sit on the window's own background, not on the dialog grey.
      const HDC Context = reinterpret_cast<HDC>(WParam);  // borrowed from the control
      ::SetBkColor(Context, ::GetSysColor(COLOR_WINDOW));
      ::SetTextColor(Context, ::GetSysColor(COLOR_WINDOWTEXT));
      return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_WINDOW));
    }
    case WM_DESTROY: ::PostQuitMessage(0); return 0;
  }
  return ::DefWindowProcW(Window, Message, WParam, LParam);
}

void AddStatic(HWND Parent, int Id, const String& Text, int Left, int Top, int Width) {
  // SS_NOPREFIX: a folder name may hold "&", which must not turn into an underline.
  const HWND Control = ::CreateWindowExW(
      0, L"STATIC", WidePtr(Text), WS_CHILD | WS_VISIBLE | SS_NOPREFIX | SS_LEFTNOWORDWRAP, Left,
      Top, Width, kRowHeight, Parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(Id)),
      ::GetModuleHandleW(nullptr), nullptr);
  ::SendMessageW(Control, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)),
                 TRUE);
}

}  // namespace

int RunMenuWindow(const String& Folder, const String& Arguments, int ShowCommand) {
  const HINSTANCE Instance = ::GetModuleHandleW(nullptr);
  WNDCLASSW Class = {};
  Class.lpfnWndProc = WindowProc;
  Class.hInstance = Instance;
  Class.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  Class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  Class.lpszClassName = kWindowClass;
  ::RegisterClassW(&Class);

  RECT Frame = {0, 0, kMargin * 3 + kCaptionWidth + kValueWidth, kMargin * 3 + kRowHeight * 2};
  const DWORD Style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  ::AdjustWindowRect(&Frame, Style, FALSE);
  const HWND Window = ::CreateWindowExW(
      0, kWindowClass, L"Velmora v2", Style, CW_USEDEFAULT, CW_USEDEFAULT, Frame.right - Frame.left,
      Frame.bottom - Frame.top, nullptr, nullptr, Instance, nullptr);
  if (Window == nullptr) return 1;

  const int ValueLeft = kMargin * 2 + kCaptionWidth;
  AddStatic(Window, kFolderCaptionId, u"Folder:", kMargin, kMargin, kCaptionWidth);
  AddStatic(Window, kFolderValueId, Folder, ValueLeft, kMargin, kValueWidth);
  const int SecondRow = kMargin * 2 + kRowHeight;
  AddStatic(Window, kArgumentsCaptionId, u"Arguments:", kMargin, SecondRow, kCaptionWidth);
  AddStatic(Window, kArgumentsValueId, Arguments, ValueLeft, SecondRow, kValueWidth);

  ::ShowWindow(Window, ShowCommand);
  ::UpdateWindow(Window);
  MSG Message;
  while (::GetMessageW(&Message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&Message);
    ::DispatchMessageW(&Message);
  }
  return 0;
}

}  // namespace vlm::standin
