// ui/forms/form.cpp -- the top-level window: creation, painting, click routing, focus, close.
#include "ui/forms/form.h"

#include <windowsx.h>
#include <algorithm>
#include <utility>

#include "runtime/application.h"
#include "runtime/win32/access_key_message.h"
#include "ui/forms/control.h"
#include "ui/forms/dpi.h"
#include "ui/forms/window_class.h"

namespace vlm {

namespace {

constexpr DWORD kFormStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kFormExStyle = WS_EX_APPWINDOW | WS_EX_CONTROLPARENT;

bool Intersects(const RECT& A, const RECT& B) {
  RECT Out;
  return IntersectRect(&Out, &A, &B) != FALSE;
}

}  // namespace

TForm::TForm(const wchar_t* ClassName, int ClientWidth, int ClientHeight, double Scale)
    : FScale(Scale > 0 ? Scale : ScreenScale()) {
  EnsureGraphics();
  HICON Icon = LoadIconW(GetModuleHandleW(nullptr), L"MAINICON");
  // Double clicks arrive as their own message so that the second press raises no click.
  EnsureWindowClass(ClassName, &TForm::WindowProcedure, CS_DBLCLKS,
                    Icon ? Icon : LoadIconW(nullptr, IDI_APPLICATION));
  RECT R = {0, 0, ScaleValue(ClientWidth, FScale), ScaleValue(ClientHeight, FScale)};
  AdjustWindowRectEx(&R, kFormStyle, FALSE, kFormExStyle);
  FHandle = CreateWindowExW(kFormExStyle, ClassName, L"", kFormStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                            R.right - R.left, R.bottom - R.top, nullptr, nullptr,
                            GetModuleHandleW(nullptr), this);
  // The access keys are underlined only once the keyboard is used (Alt pressed): until then the
  // window looks as it always has, whatever the platform's default for keyboard cues.
}

TForm::~TForm() {
  if (FHandle) {
    SetWindowLongPtrW(FHandle, GWLP_USERDATA, 0);
    DestroyWindow(FHandle);
  }
}

int TForm::ClientWidth() const {
  RECT R = {};
  GetClientRect(FHandle, &R);
  return R.right;
}

int TForm::ClientHeight() const {
  RECT R = {};
  GetClientRect(FHandle, &R);
  return R.bottom;
}

void TForm::Show() {
  ShowWindow(FHandle, SW_SHOWNORMAL);
  UpdateWindow(FHandle);
  HWND First = GetNextDlgTabItem(FHandle, nullptr, FALSE);
  if (First) ::SetFocus(First);
}

void TForm::CloseRequested() {
  ShowWindow(FHandle, SW_HIDE);
  Application().Terminate();
}

TAccessibleTree& TForm::MakeAccessible() {
  FAccessible = std::make_unique<TAccessibleTree>(FHandle);
  return *FAccessible;
}

void TForm::ControlChanged() {
  if (FAccessible) FAccessible->Announce();
}

void TForm::UiStateChanged(WPARAM W) {
  // Kept here rather than read back from the system: what a new window starts with differs
  // between platforms, and the window must look the same until the user asks for the cues.
  if (!(HIWORD(W) & UISF_HIDEACCEL)) return;
  const bool Shown = LOWORD(W) == UIS_CLEAR ? true : LOWORD(W) == UIS_SET ? false : FCuesShown;
  if (Shown == FCuesShown) return;
  FCuesShown = Shown;
  InvalidateRect(FHandle, nullptr, FALSE);
}

void TForm::RemoveControl(TControl* Control) {
  FControls.erase(std::remove(FControls.begin(), FControls.end(), Control), FControls.end());
  if (FPressed == Control) FPressed = nullptr;
}

TControl* TForm::ControlAt(int X, int Y) const {
  const POINT P = {X, Y};
  for (auto It = FControls.rbegin(); It != FControls.rend(); ++It) {
    const RECT R = (*It)->BoundsRect();
    if ((*It)->Visible() && PtInRect(&R, P)) return *It;
  }
  return nullptr;
}

void TForm::PaintBackground(Gdiplus::Graphics& G, const RECT& Area) {
  Gdiplus::SolidBrush White(Gdiplus::Color(255, 255, 255, 255));
  G.FillRectangle(&White, static_cast<INT>(Area.left), static_cast<INT>(Area.top),
                  static_cast<INT>(Area.right - Area.left),
                  static_cast<INT>(Area.bottom - Area.top));
  for (TControl* Control : FControls) {
    const RECT Bounds = Control->BoundsRect();
    if (!Control->Visible() || !Intersects(Bounds, Area)) continue;
    const Gdiplus::GraphicsState Saved = G.Save();
    G.TranslateTransform(static_cast<Gdiplus::REAL>(Bounds.left),
                         static_cast<Gdiplus::REAL>(Bounds.top));
    // A control paints inside its own rectangle: what does not fit is cut off.
    G.IntersectClip(Gdiplus::Rect(0, 0, Control->Width(), Control->Height()));
    Control->Paint(G);
    G.Restore(Saved);
  }
}

void TForm::Paint() {
  PAINTSTRUCT Ps;
  HDC Dc = BeginPaint(FHandle, &Ps);
  const RECT Area = Ps.rcPaint;
  const int W = Area.right - Area.left, H = Area.bottom - Area.top;
  if (W > 0 && H > 0) {
    // Painted off screen first, so the controls do not flicker over each other.
    HDC Memory = CreateCompatibleDC(Dc);
    HBITMAP Bitmap = CreateCompatibleBitmap(Dc, W, H);
    HGDIOBJ Old = SelectObject(Memory, Bitmap);
    {
      Gdiplus::Graphics G(Memory);
      G.TranslateTransform(static_cast<Gdiplus::REAL>(-Area.left),
                           static_cast<Gdiplus::REAL>(-Area.top));
      PaintBackground(G, Area);
    }
    BitBlt(Dc, Area.left, Area.top, W, H, Memory, 0, 0, SRCCOPY);
    SelectObject(Memory, Old);
    DeleteObject(Bitmap);
    DeleteDC(Memory);
  }
  EndPaint(FHandle, &Ps);
}

void TForm::MouseDown(int X, int Y) {
  TControl* Target = ControlAt(X, Y);
  FPressed = Target && Target->Enabled() ? Target : nullptr;
  if (FPressed) SetCapture(FHandle);
}

void TForm::MouseUp(int X, int Y) {
  TControl* Pressed = std::exchange(FPressed, nullptr);
  if (GetCapture() == FHandle) ReleaseCapture();
  if (Pressed && ControlAt(X, Y) == Pressed && Pressed->Enabled()) Pressed->Click();
}

void TForm::FocusNext(bool Backwards) {
  HWND Current = GetFocus();
  if (Current && !IsChild(FHandle, Current)) Current = nullptr;
  HWND Next = GetNextDlgTabItem(FHandle, Current, Backwards);
  if (Next) ::SetFocus(Next);
}

LRESULT TForm::WndProc(UINT Msg, WPARAM W, LPARAM L) {
  if (LRESULT Answer = 0; HandleAccessibilityMessage(FAccessible.get(), Msg, W, L, Answer))
    return Answer;
  if (Msg == AccessKeyMessage()) return Mnemonic(static_cast<char16_t>(W)) ? 1 : 0;
  switch (Msg) {
    case WM_PAINT: Paint(); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_LBUTTONDOWN: MouseDown(GET_X_LPARAM(L), GET_Y_LPARAM(L)); return 0;
    // The second press of a double click starts no click.
    case WM_LBUTTONDBLCLK: FPressed = nullptr; return 0;
    case WM_LBUTTONUP: MouseUp(GET_X_LPARAM(L), GET_Y_LPARAM(L)); return 0;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(L) != FHandle) FPressed = nullptr;
      return 0;
    // Sent by the dialog manager of the message loop for Tab and Shift+Tab.
    case WM_NEXTDLGCTL:
      if (L) {
        ::SetFocus(reinterpret_cast<HWND>(W));
      } else {
        FocusNext(W != 0);
      }
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(W) == WA_INACTIVE) {
        HWND Focus = GetFocus();
        if (Focus && IsChild(FHandle, Focus)) FLastFocus = Focus;
      }
      break;
    case WM_SETFOCUS:
      if (FLastFocus && IsWindow(FLastFocus) && IsWindowVisible(FLastFocus) &&
          IsWindowEnabled(FLastFocus)) {
        ::SetFocus(FLastFocus);
      } else {
        FocusNext(false);
      }
      return 0;
    case WM_CLOSE: CloseRequested(); return 0;
    case WM_SYSCHAR:
      if (Mnemonic(static_cast<char16_t>(W))) return 0;
      break;
    // A request to show or hide the cues (Alt pressed); the broadcast of the state the system
    // initialises a window with (WM_UPDATEUISTATE) is not followed.
    case WM_CHANGEUISTATE: UiStateChanged(W); break;
  }
  return DefWindowProcW(FHandle, Msg, W, L);
}

LRESULT CALLBACK TForm::WindowProcedure(HWND Window, UINT Msg, WPARAM W, LPARAM L) {
  if (Msg == WM_NCCREATE) {
    auto* Create = reinterpret_cast<CREATESTRUCTW*>(L);
    auto* Self = static_cast<TForm*>(Create->lpCreateParams);
    Self->FHandle = Window;
    SetWindowLongPtrW(Window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(Self));
  }
  auto* Self = reinterpret_cast<TForm*>(GetWindowLongPtrW(Window, GWLP_USERDATA));
  if (!Self) return DefWindowProcW(Window, Msg, W, L);
  return GuardedHandler([&] { return Self->WndProc(Msg, W, L); });
}

}  // namespace vlm
