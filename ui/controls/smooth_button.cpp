// ui/controls/smooth_button.cpp -- the button's input rules and its face.
#include "ui/controls/smooth_button.h"

#include <windowsx.h>
#include <algorithm>
#include <cmath>
#include <utility>

#include "runtime/application.h"
#include "ui/controls/smooth_fill.h"
#include "ui/forms/double_buffer.h"
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
    : TWinControl(Parent, L"TSmoothButton", Left, Top, Width, Height, /*TabStop=*/true) {
  // A push button named by its caption; its default action is a click, as Enter raises it.
  TAccessibleElement& Self = MakeAccessible().Self;
  Self.Role = ROLE_SYSTEM_PUSHBUTTON;
  Self.DefaultAction = u"Press";
  Self.DoDefaultAction = [this] {
    if (Enabled()) Click();
  };
}

void TSmoothButton::SetColor(TColor Value) {
  if (FColor == Value) return;
  FColor = Value;
  InvalidateFace();
  Invalidate();
}

void TSmoothButton::SetAppearance(const TSmoothButtonAppearance& Value) {
  FAppearance = Value;
  InvalidateFace();
  Invalidate();
}

void TSmoothButton::Click() {
  Parent().ModalResult = ModalResult;
  if (OnClick) OnClick(this);
}

void TSmoothButton::SetPressState(bool Down, bool Inside) {
  if (FDown == Down && FMouseInside == Inside) return;
  FDown = Down;
  FMouseInside = Inside;
  InvalidateFace();
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
    case WM_SIZE: InvalidateFace(); break;
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
      // The click comes first, its work shown on the released face; the press is shown
      // after it, as the flash.
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
      // Entering marks the mouse inside; leaving also ends the pressed look (a held press
      // coming back does not show it again).
      SetPressState(Inside && FDown, Inside);
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
  PaintDoubleBuffered(Handle(), [this](Gdiplus::Graphics& G) { PaintTo(G); });
}

void TSmoothButton::PaintTo(Gdiplus::Graphics& G) {
  const int W = Width(), H = Height();
  if (W <= 0 || H <= 0) return;
  // What lies behind the button (the window's ground and its windowless controls) shows in its
  // rounded corners.
  const Gdiplus::GraphicsState Saved = G.Save();
  G.TranslateTransform(static_cast<Gdiplus::REAL>(-Left()), static_cast<Gdiplus::REAL>(-Top()));
  Parent().PaintBackground(G, RECT{Left(), Top(), Left() + W, Top() + H});
  G.Restore(Saved);
  G.DrawImage(&Face(), 0, 0, W, H);
}

Gdiplus::Bitmap& TSmoothButton::Face() {
  const int W = std::max(1, Width()), H = std::max(1, Height());
  if (!FFace || static_cast<int>(FFace->GetWidth()) != W ||
      static_cast<int>(FFace->GetHeight()) != H) {
    FFace = std::make_unique<Gdiplus::Bitmap>(W, H, PixelFormat32bppARGB);
    FFaceStale = true;
  }
  if (FFaceStale) {
    Gdiplus::Graphics G(FFace.get());
    G.Clear(Gdiplus::Color(0, 0, 0, 0));
    PaintFace(G, W, H);
    FFaceStale = false;
    ++FFaceBuilds;
  }
  return *FFace;
}

namespace {

// A vertical gradient over the rows Top..Top + Height through the given colours at the given
// fractions of that span.
std::unique_ptr<Gdiplus::LinearGradientBrush> Gradient(float Width, float Top, float Height,
                                                       const Gdiplus::Color* Colors,
                                                       const Gdiplus::REAL* Positions, int Count) {
  auto Brush = std::make_unique<Gdiplus::LinearGradientBrush>(
      Gdiplus::RectF(0, Top - 0.5f, Width, Height + 1), Colors[0], Colors[Count - 1],
      Gdiplus::LinearGradientModeVertical);
  Brush->SetInterpolationColors(Colors, Positions, Count);
  Brush->SetWrapMode(Gdiplus::WrapModeTileFlipXY);
  return Brush;
}

// A shallow arc from (0, Y) to (Width, Y) whose middle lies Depth pixels below Y (above when
// Depth is negative), as a cubic curve: its control points at Depth * 4 / 3 put the middle at
// exactly Depth.
void AddArc(Gdiplus::GraphicsPath& Path, float Width, float Y, float Depth, bool LeftToRight) {
  const float K = Depth * 4 / 3;
  if (LeftToRight) {
    Path.AddBezier(0.0f, Y, Width / 3, Y + K, Width * 2 / 3, Y + K, Width, Y);
  } else {
    Path.AddBezier(Width, Y, Width * 2 / 3, Y + K, Width / 3, Y + K, 0.0f, Y);
  }
}

}  // namespace

void TSmoothButton::PaintFace(Gdiplus::Graphics& G, int Width, int Height) {
  G.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
  const float W = static_cast<float>(Width), H = static_cast<float>(Height);
  const TColor C = ButtonStateColor(FColor, Enabled(), FDown && FMouseInside);
  const double Glow = FAppearance.GlowPercentage / 100.0;
  const auto Plus = [&](double N) {
    return ToGdipColor(ShiftColor(C, static_cast<int>(std::lround(N * Glow))));
  };
  const Gdiplus::RectF Edge(0, 0, W - 1, H - 1);
  constexpr float kRadius = 8;
  Gdiplus::GraphicsPath Outline;
  AddRoundedRectangle(Outline, Edge, kRadius, TRoundingType::Both);
  {
    // Every layer stays inside the rounded face.
    Gdiplus::Region Inside(&Outline);
    G.SetClip(&Inside);
    const float Middle = H / 2, Depth = H / 6;
    // Layer 1: a band of a third of the height across the middle, C - 40.
    Gdiplus::SolidBrush Band(ToGdipColor(ShiftColor(C, -40)));
    G.FillRectangle(&Band, -1.0f, H / 3, W + 2, H / 3);
    // Layer 2: the lower part, its top edge an arc bowing Depth downwards, so that the band
    // shows above it in the middle: C - 40g at its top, C + 100g at 90 %, C + 220g at the bottom.
    {
      Gdiplus::GraphicsPath Lower;
      Lower.StartFigure();
      AddArc(Lower, W, Middle, Depth, true);
      Lower.AddLine(W, Middle, W + 1, H + 1);
      Lower.AddLine(W + 1, H + 1, -1.0f, H + 1);
      Lower.CloseFigure();
      const Gdiplus::Color Colors[] = {Plus(-40), Plus(100), Plus(220)};
      const Gdiplus::REAL Positions[] = {0, 0.9f, 1};
      const auto Brush = Gradient(W, Middle, H - Middle, Colors, Positions, 3);
      G.FillPath(Brush.get(), &Lower);
    }
    // Layer 3: the upper part, its bottom edge an arc bowing Depth upwards: C + 220g at its
    // top, C + 100g at 20 %, C at its bottom.
    {
      Gdiplus::GraphicsPath Upper;
      Upper.StartFigure();
      Upper.AddLine(-1.0f, -1.0f, W + 1, -1.0f);
      Upper.AddLine(W + 1, -1.0f, W, Middle);
      AddArc(Upper, W, Middle, -Depth, false);
      Upper.CloseFigure();
      const Gdiplus::Color Colors[] = {Plus(220), Plus(100), ToGdipColor(C)};
      const Gdiplus::REAL Positions[] = {0, 0.2f, 1};
      const auto Brush = Gradient(W, 0, Middle, Colors, Positions, 3);
      G.FillPath(Brush.get(), &Upper);
    }
    G.ResetClip();
  }
  if (Bevel && BevelColor != clNone) {
    // The highlight follows the upper edge one pixel inside the face: down the upper corners
    // (radius 7) and along the top.
    constexpr float kBevelRadius = 7, D = kBevelRadius * 2;
    const float L = 1, T = 1, R = W - 2, Side = std::min(H / 3, T + kBevelRadius + 4);
    Gdiplus::GraphicsPath Path;
    Path.AddLine(L, Side, L, T + kBevelRadius);
    Path.AddArc(L, T, D, D, 180, 90);
    Path.AddArc(R - D, T, D, D, 270, 90);
    Path.AddLine(R, T + kBevelRadius, R, Side);
    Gdiplus::Pen Highlight(ToGdipColor(BevelColor, 160), 1);
    G.DrawPath(&Highlight, &Path);
  }
  const String Text = Caption();
  const auto Font = Text.empty() ? nullptr : CreateGdipFont(FAppearance.Font);
  if (Font) {
    Gdiplus::StringFormat Format;
    Format.SetAlignment(Gdiplus::StringAlignmentCenter);
    Format.SetLineAlignment(Gdiplus::StringAlignmentCenter);
    Format.SetFormatFlags(Gdiplus::StringFormatFlagsNoWrap);
    // While down, the caption moves right and down.
    const float Shift = FDown && FMouseInside ? static_cast<float>(FAppearance.ShiftDown) : 0;
    Gdiplus::SolidBrush Brush(ToGdipColor(FAppearance.Font.Color));
    G.SetTextRenderingHint(Gdiplus::TextRenderingHintClearTypeGridFit);
    G.DrawString(WidePtr(Text), static_cast<INT>(Text.size()), Font.get(),
                 Gdiplus::RectF(Shift, Shift, W, H), &Format, &Brush);
  }
  if (Focused() && ShowFocus && (GetWindowLongW(Handle(), GWL_STYLE) & WS_TABSTOP)) {
    Gdiplus::Pen Dots(ToGdipColor(FAppearance.FocusColor), 1);
    Dots.SetDashStyle(Gdiplus::DashStyleDot);
    G.DrawPath(&Dots, &Outline);
  }
}

}  // namespace vlm
