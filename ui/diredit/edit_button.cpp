// ui/diredit/edit_button.cpp -- the browse button's window: painting and the mouse.
#include "ui/diredit/edit_button.h"

#include <windowsx.h>

namespace vlm {

namespace {

constexpr wchar_t kWindowClass[] = L"TEditButton";

POINT PointOf(LPARAM LParam) {
  return POINT{GET_X_LPARAM(LParam), GET_Y_LPARAM(LParam)};
}

}  // namespace

bool VisualStylesOn() {
  // Looked up at run time: the theme library is absent on old systems and optional under wine.
  using IsAppThemedFn = BOOL(WINAPI*)();
  static const IsAppThemedFn IsAppThemed = [] {
    HMODULE Theme = LoadLibraryW(L"uxtheme.dll");
    return Theme ? reinterpret_cast<IsAppThemedFn>(
                       reinterpret_cast<void*>(GetProcAddress(Theme, "IsAppThemed")))
                 : nullptr;
  }();
  return IsAppThemed && IsAppThemed();
}

TEditButton::TEditButton(HWND Parent, const RECT& Bounds) {
  static const ATOM Class = [] {
    WNDCLASSEXW C{};
    C.cbSize = sizeof(C);
    C.lpfnWndProc = &TEditButton::WndProc;
    C.hInstance = GetModuleHandleW(nullptr);
    C.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    C.lpszClassName = kWindowClass;
    return RegisterClassExW(&C);
  }();
  (void)Class;
  CreateWindowExW(0, kWindowClass, L"", WS_CHILD | WS_VISIBLE, Bounds.left, Bounds.top,
                  Bounds.right - Bounds.left, Bounds.bottom - Bounds.top, Parent, nullptr,
                  GetModuleHandleW(nullptr), this);
  // The picture says what the button does; screen readers get it in words.
  FAccessible = std::make_unique<TAccessibleTree>(FHandle);
  TAccessibleElement& Self = FAccessible->Self;
  Self.Role = ROLE_SYSTEM_PUSHBUTTON;
  Self.Name = [] { return String(u"Browse for folder"); };
  Self.State = [this] {
    return VisibilityState(IsWindowVisible(FHandle), IsWindowEnabled(FHandle));
  };
  Self.DefaultAction = u"Press";
  Self.DoDefaultAction = [this] {
    if (IsWindowEnabled(FHandle) && OnClick) OnClick();
  };
  Self.KeyboardShortcut = u"Alt+Down";
}

TEditButton::~TEditButton() {
  FAccessible.reset();
  if (FHandle && IsWindow(FHandle)) {
    SetWindowLongPtrW(FHandle, GWLP_USERDATA, 0);
    DestroyWindow(FHandle);
  }
}

void TEditButton::SetBounds(const RECT& Bounds) {
  SetWindowPos(FHandle, nullptr, Bounds.left, Bounds.top, Bounds.right - Bounds.left,
               Bounds.bottom - Bounds.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TEditButton::SetEnabled(bool Enabled) {
  EnableWindow(FHandle, Enabled ? TRUE : FALSE);
  InvalidateRect(FHandle, nullptr, TRUE);
  if (FAccessible) FAccessible->Announce();
}

TGlyphVariant TEditButton::Variant() const {
  return VisualStylesOn() ? TGlyphVariant::Flat : TGlyphVariant::Classic;
}

void TEditButton::SetDown(bool Down) {
  if (FDown == Down) return;
  FDown = Down;
  InvalidateRect(FHandle, nullptr, TRUE);
}

void TEditButton::Paint(HDC DC) {
  RECT R;
  GetClientRect(FHandle, &R);
  const bool Flat = Variant() == TGlyphVariant::Flat;
  if (Flat) {
    // With visual styles the button stays flat on the field's background and only shows an
    // edge while pressed.
    FillRect(DC, &R, GetSysColorBrush(COLOR_WINDOW));
    if (FDown) DrawEdge(DC, &R, BDR_SUNKENOUTER, BF_RECT);
  } else {
    DrawFrameControl(DC, &R, DFC_BUTTON, DFCS_BUTTONPUSH | (FDown ? DFCS_PUSHED : 0));
  }
  const int Shift = FDown ? 1 : 0;
  const int X = R.left + (R.right - R.left - kFolderGlyphWidth) / 2 + Shift;
  const int Y = R.top + (R.bottom - R.top - kFolderGlyphHeight) / 2 + Shift;
  DrawFolderGlyph(DC, X, Y, Flat ? TGlyphVariant::Flat : TGlyphVariant::Classic);
}

LRESULT CALLBACK TEditButton::WndProc(HWND Handle, UINT Msg, WPARAM WParam, LPARAM LParam) {
  if (Msg == WM_NCCREATE) {
    auto* Self =
        static_cast<TEditButton*>(reinterpret_cast<CREATESTRUCTW*>(LParam)->lpCreateParams);
    Self->FHandle = Handle;
    SetWindowLongPtrW(Handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(Self));
  }
  auto* Self = reinterpret_cast<TEditButton*>(GetWindowLongPtrW(Handle, GWLP_USERDATA));
  if (!Self) return DefWindowProcW(Handle, Msg, WParam, LParam);
  return Self->HandleMessage(Msg, WParam, LParam);
}

LRESULT TEditButton::HandleMessage(UINT Msg, WPARAM WParam, LPARAM LParam) {
  if (LRESULT Answer = 0;
      HandleAccessibilityMessage(FAccessible.get(), Msg, WParam, LParam, Answer))
    return Answer;
  switch (Msg) {
    case WM_PAINT: {
      PAINTSTRUCT Paint;
      HDC DC = BeginPaint(FHandle, &Paint);
      this->Paint(DC);
      EndPaint(FHandle, &Paint);
      return 0;
    }
    case WM_ERASEBKGND: return 1;  // Paint covers every pixel
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      FPressing = true;
      SetCapture(FHandle);
      SetDown(true);
      return 0;
    case WM_MOUSEMOVE:
      if (FPressing) {
        RECT R;
        GetClientRect(FHandle, &R);
        SetDown(PtInRect(&R, PointOf(LParam)) != FALSE);
      }
      return 0;
    case WM_LBUTTONUP: {
      if (!FPressing) return 0;
      RECT R;
      GetClientRect(FHandle, &R);
      const bool Inside = PtInRect(&R, PointOf(LParam)) != FALSE;
      FPressing = false;
      if (GetCapture() == FHandle) ReleaseCapture();
      SetDown(false);
      if (Inside && OnClick) OnClick();
      return 0;
    }
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(LParam) != FHandle) {
        FPressing = false;
        SetDown(false);
      }
      return 0;
    case WM_ENABLE: InvalidateRect(FHandle, nullptr, TRUE); return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrW(FHandle, GWLP_USERDATA, 0);
      FHandle = nullptr;
      return 0;
  }
  return DefWindowProcW(FHandle, Msg, WParam, LParam);
}

}  // namespace vlm
