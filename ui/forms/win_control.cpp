// ui/forms/win_control.cpp -- child windows bound to their control objects.
#include "ui/forms/win_control.h"

#include <vector>

#include "ui/forms/dpi.h"
#include "ui/forms/form.h"
#include "ui/forms/window_class.h"

namespace vlm {

TWinControl::TWinControl(TForm& Parent, const wchar_t* ClassName, int Left, int Top, int Width,
                         int Height, bool TabStop)
    : FParent(Parent) {
  EnsureWindowClass(ClassName, &TWinControl::WindowProcedure, 0);
  const double Scale = Parent.Scale();
  DWORD Style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
  if (TabStop) Style |= WS_TABSTOP;
  // Each new child goes to the bottom of the z-order, so the creation order is the tab order.
  FHandle =
      CreateWindowExW(0, ClassName, L"", Style, ScaleValue(Left, Scale), ScaleValue(Top, Scale),
                      ScaleValue(Width, Scale), ScaleValue(Height, Scale), Parent.Handle(), nullptr,
                      GetModuleHandleW(nullptr), this);
}

TWinControl::~TWinControl() {
  if (FHandle) {
    SetWindowLongPtrW(FHandle, GWLP_USERDATA, 0);
    DestroyWindow(FHandle);
  }
}

namespace {

RECT BoundsInParent(HWND Window) {
  RECT R = {};
  GetWindowRect(Window, &R);
  MapWindowPoints(HWND_DESKTOP, GetParent(Window), reinterpret_cast<POINT*>(&R), 2);
  return R;
}

}  // namespace

int TWinControl::Left() const {
  return BoundsInParent(FHandle).left;
}
int TWinControl::Top() const {
  return BoundsInParent(FHandle).top;
}
int TWinControl::Width() const {
  const RECT R = BoundsInParent(FHandle);
  return R.right - R.left;
}
int TWinControl::Height() const {
  const RECT R = BoundsInParent(FHandle);
  return R.bottom - R.top;
}

bool TWinControl::Visible() const {
  return (GetWindowLongW(FHandle, GWL_STYLE) & WS_VISIBLE) != 0;
}

void TWinControl::SetVisible(bool Value) {
  if (Visible() == Value) return;
  // A control that is hidden while it has the focus hands the focus on to the next tab stop.
  if (!Value && Focused()) {
    HWND Next = GetNextDlgTabItem(FParent.Handle(), FHandle, FALSE);
    ShowWindow(FHandle, SW_HIDE);
    ::SetFocus(Next && Next != FHandle ? Next : FParent.Handle());
    return;
  }
  ShowWindow(FHandle, Value ? SW_SHOWNA : SW_HIDE);
}

bool TWinControl::Enabled() const {
  return IsWindowEnabled(FHandle) != FALSE;
}

void TWinControl::SetEnabled(bool Value) {
  if (Enabled() == Value) return;
  EnableWindow(FHandle, Value);
  StateChanged();
  Invalidate();
}

String TWinControl::Caption() const {
  const int Length = GetWindowTextLengthW(FHandle);
  std::vector<wchar_t> Buffer(static_cast<size_t>(Length) + 1);
  const int Got = GetWindowTextW(FHandle, Buffer.data(), Length + 1);
  return FromWide(Buffer.data(), static_cast<size_t>(Got > 0 ? Got : 0));
}

void TWinControl::SetCaption(const String& Value) {
  if (Caption() == Value) return;
  SetWindowTextW(FHandle, WidePtr(Value));
  StateChanged();
  Invalidate();
}

void TWinControl::SetFocus() {
  ::SetFocus(FHandle);
}

void TWinControl::Invalidate() {
  InvalidateRect(FHandle, nullptr, FALSE);
  if (FAccessible) FAccessible->Announce();
}

TAccessibleTree& TWinControl::MakeAccessible() {
  FAccessible = std::make_unique<TAccessibleTree>(FHandle);
  TAccessibleElement& Self = FAccessible->Self;
  Self.Name = [this] { return Caption(); };
  Self.State = [this] {
    return VisibilityState(Visible(), Enabled()) |
           (Enabled() && (GetWindowLongW(FHandle, GWL_STYLE) & WS_TABSTOP) ? STATE_SYSTEM_FOCUSABLE
                                                                           : 0) |
           (Focused() ? STATE_SYSTEM_FOCUSED : 0);
  };
  return *FAccessible;
}

LRESULT TWinControl::WndProc(UINT Msg, WPARAM W, LPARAM L) {
  if (LRESULT Answer = 0; HandleAccessibilityMessage(FAccessible.get(), Msg, W, L, Answer))
    return Answer;
  switch (Msg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      StateChanged();
      Invalidate();
      return 0;
    case WM_ERASEBKGND: return 1;  // every control paints its whole surface
  }
  return DefaultHandler(Msg, W, L);
}

LRESULT CALLBACK TWinControl::WindowProcedure(HWND Window, UINT Msg, WPARAM W, LPARAM L) {
  if (Msg == WM_NCCREATE) {
    auto* Create = reinterpret_cast<CREATESTRUCTW*>(L);
    auto* Self = static_cast<TWinControl*>(Create->lpCreateParams);
    Self->FHandle = Window;
    SetWindowLongPtrW(Window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(Self));
  }
  auto* Self = reinterpret_cast<TWinControl*>(GetWindowLongPtrW(Window, GWLP_USERDATA));
  if (!Self) return DefWindowProcW(Window, Msg, W, L);
  return GuardedHandler([&] { return Self->WndProc(Msg, W, L); });
}

}  // namespace vlm
