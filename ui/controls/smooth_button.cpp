// ui/controls/smooth_button.cpp -- the button's input rules and its face.
#include "ui/controls/smooth_button.h"

#include <windowsx.h>
#include <algorithm>
#include <cmath>
#include <utility>

#include "runtime/application.h"
#include "ui/controls/smooth_fill.h"
#include "ui/forms/form.h"

namespace vlm {

namespace {

constexpr DWORD kFlashMs = 100;

TColor ScaleBrightness(TColor C, double Factor) {
  // Scaling the HSV value keeps hue and saturation: every component scales by the same factor.
  auto Part = [Factor](int V) {
    return std::clamp(static_cast<int>(std::lround(V * Factor)), 0, 255);
  };
  return RGBColor(Part(RedOf(C)), Part(GreenOf(C)), Part(BlueOf(C)));
}

}  // namespace

TColor ButtonStateColor(TColor Base, bool Enabled, bool DownInside) {
  TColor C = Enabled ? Base : 0x505050;
  if (DownInside) C = ScaleBrightness(C, 0.7);
  return C;
}

TSmoothButton::TSmoothButton(TForm& Parent, int Left, int Top, int Width, int Height)
    : TWinControl(Parent, L"TSmoothButton", Left, Top, Width, Height, /*TabStop=*/true) {}

void TSmoothButton::SetColor(TColor Value) {
  if (FColor == Value) return;
  FColor = Value;
  Invalidate();
}

void TSmoothButton::SetAppearance(const TSmoothButtonAppearance& Value) {
  FAppearance = Value;
  Invalidate();
}

void TSmoothButton::Click() {
  FLastModalResult = ModalResult;
  if (OnClick) OnClick(this);
}

void TSmoothButton::SetPressState(bool Down, bool Inside) {
  if (FDown == Down && FMouseInside == Inside) return;
  FDown = Down;
  FMouseInside = Inside;
  Invalidate();
}

void TSmoothButton::Flash() {
  // The press is shown after the click's work: 100 ms down, then 100 ms up, painting and
  // processing messages meanwhile.
  for (const bool Down : {true, false}) {
    if (!Enabled() || !IsWindow(Handle())) return;
    SetPressState(Down, true);
    const DWORD Start = GetTickCount();
    while (GetTickCount() - Start <= kFlashMs) {
      UpdateWindow(Handle());
      Application().ProcessMessages();
      Sleep(5);
    }
  }
}

LRESULT TSmoothButton::WndProc(UINT Msg, WPARAM W, LPARAM L) {
  switch (Msg) {
    case WM_PAINT: Paint(); return 0;
    case WM_GETDLGCODE: {
      // Enter belongs to the button, not to the dialog manager's default button.
      const auto* Pending = reinterpret_cast<const MSG*>(L);
      if (Pending && Pending->message == WM_KEYDOWN && Pending->wParam == VK_RETURN)
        return DLGC_WANTMESSAGE;
      return DLGC_BUTTON;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (!Enabled()) return 0;
      FPressed = true;
      if (Msg == WM_LBUTTONDOWN || Msg == WM_LBUTTONDBLCLK) SetCapture(Handle());
      SetFocus();
      SetPressState(true, true);
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
      const bool WasPressed = std::exchange(FPressed, false);
      if (GetCapture() == Handle()) ReleaseCapture();
      if (!WasPressed || !Enabled()) return 0;
      SetPressState(false, FMouseInside);
      Click();
      Flash();
      return 0;
    }
    case WM_MOUSEMOVE: {
      const POINT P = {GET_X_LPARAM(L), GET_Y_LPARAM(L)};
      RECT R;
      GetClientRect(Handle(), &R);
      const bool Inside = PtInRect(&R, P) != FALSE;
      if (Inside && !FMouseInside) {
        TRACKMOUSEEVENT Track = {sizeof(Track), TME_LEAVE, Handle(), 0};
        TrackMouseEvent(&Track);
      }
      SetPressState(Inside ? FDown || (FPressed && Inside) : false, Inside);
      return 0;
    }
    case WM_MOUSELEAVE: SetPressState(false, false); return 0;
    case WM_CAPTURECHANGED:
      // Another window took the mouse (a dialog, a menu): the press is abandoned.
      if (L && reinterpret_cast<HWND>(L) != Handle()) {
        FPressed = false;
        SetPressState(false, false);
      }
      return 0;
    case WM_KEYDOWN:
      // Held keys repeat; one press raises one click.
      if ((W == VK_RETURN || W == VK_SPACE) && Enabled() && !(L & (1 << 30))) {
        Click();
        return 0;
      }
      break;
    case WM_CHAR:
      if (W == u'\r' || W == u' ') return 0;  // already handled as a key press
      break;
  }
  return TWinControl::WndProc(Msg, W, L);
}

void TSmoothButton::Paint() {
  PAINTSTRUCT Ps;
  HDC Dc = BeginPaint(Handle(), &Ps);
  RECT Client;
  GetClientRect(Handle(), &Client);
  const int W = Client.right, H = Client.bottom;
  if (W > 0 && H > 0) {
    HDC Memory = CreateCompatibleDC(Dc);
    HBITMAP Bitmap = CreateCompatibleBitmap(Dc, W, H);
    HGDIOBJ Old = SelectObject(Memory, Bitmap);
    {
      Gdiplus::Graphics G(Memory);
      // What lies behind the button shows in its rounded corners.
      const Gdiplus::GraphicsState Saved = G.Save();
      G.TranslateTransform(static_cast<Gdiplus::REAL>(-Left()), static_cast<Gdiplus::REAL>(-Top()));
      Parent().PaintBackground(G, RECT{Left(), Top(), Left() + W, Top() + H});
      G.Restore(Saved);
      PaintFace(G);
    }
    BitBlt(Dc, 0, 0, W, H, Memory, 0, 0, SRCCOPY);
    SelectObject(Memory, Old);
    DeleteObject(Bitmap);
    DeleteDC(Memory);
  }
  EndPaint(Handle(), &Ps);
}

void TSmoothButton::PaintFace(Gdiplus::Graphics& G) {
  G.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
  const float W = static_cast<float>(Width()), H = static_cast<float>(Height());
  const TColor C = ButtonStateColor(FColor, Enabled(), FDown && FMouseInside);
  const double Glow = FAppearance.GlowPercentage / 100.0;
  const auto Plus = [&](double N) {
    return ShiftColor(C, static_cast<int>(std::lround(N * Glow)));
  };
  const Gdiplus::RectF Face(0, 0, W - 1, H - 1);
  constexpr float kRadius = 8;
  Gdiplus::GraphicsPath Outline;
  AddRoundedRectangle(Outline, Face, kRadius, TRoundingType::Both);
  // Upper part: C + 220 at the top through C + 100 at 20 % to C at the bottom; lower part: C - 40
  // at the top through C + 100 at 90 % to C + 220 at the bottom; the middle band in C - 40.
  Gdiplus::LinearGradientBrush Body(Gdiplus::RectF(0, -0.5f, W, H + 1), ToGdipColor(C),
                                    ToGdipColor(C), Gdiplus::LinearGradientModeVertical);
  const Gdiplus::Color Stops[] = {ToGdipColor(Plus(220)), ToGdipColor(Plus(100)),
                                  ToGdipColor(C),         ToGdipColor(ShiftColor(C, -40)),
                                  ToGdipColor(Plus(-40)), ToGdipColor(Plus(100)),
                                  ToGdipColor(Plus(220))};
  const Gdiplus::REAL Positions[] = {0.0f, 0.1f, 0.45f, 0.5f, 0.55f, 0.95f, 1.0f};
  Body.SetInterpolationColors(Stops, Positions, 7);
  G.FillPath(&Body, &Outline);
  if (Bevel) {
    Gdiplus::Pen Highlight(ToGdipColor(BevelColor, 160), 1);
    Gdiplus::GraphicsPath Top;
    AddRoundedRectangle(Top, Gdiplus::RectF(1, 1, W - 3, H / 2), 7, TRoundingType::Top);
    G.DrawPath(&Highlight, &Top);
  }
  const String Text = Caption();
  if (!Text.empty()) {
    const auto Font = CreateGdipFont(FAppearance.Font);
    Gdiplus::StringFormat Format;
    Format.SetAlignment(Gdiplus::StringAlignmentCenter);
    Format.SetLineAlignment(Gdiplus::StringAlignmentCenter);
    Format.SetFormatFlags(Gdiplus::StringFormatFlagsNoWrap);
    const float Shift = FDown && FMouseInside ? static_cast<float>(FAppearance.ShiftDown) : 0;
    Gdiplus::SolidBrush Brush(ToGdipColor(FAppearance.Font.Color));
    G.SetTextRenderingHint(Gdiplus::TextRenderingHintClearTypeGridFit);
    G.DrawString(WidePtr(Text), static_cast<INT>(Text.size()), Font.get(),
                 Gdiplus::RectF(Shift, Shift, W, H), &Format, &Brush);
  }
  if (Focused() && ShowFocus) {
    Gdiplus::Pen Dots(ToGdipColor(FAppearance.FocusColor), 1);
    Dots.SetDashStyle(Gdiplus::DashStyleDot);
    G.DrawPath(&Dots, &Outline);
  }
}

}  // namespace vlm
