// ui/controls/smooth_progress_bar.cpp -- position rules, animation and painting of the bar.
#include "ui/controls/smooth_progress_bar.h"

#include <algorithm>
#include <cmath>

namespace vlm {

namespace {

constexpr UINT_PTR kAnimationTimer = 1;
constexpr UINT kAnimationMs = 10;
constexpr double kInMotion = 0.001;  // a glide is under way while this far from the target
constexpr double kArrived = 1e-6;    // the glide ends this close to the target

}  // namespace

TSmoothProgressBar::TSmoothProgressBar(TForm& Parent, int Left, int Top, int Width, int Height)
    : TWinControl(Parent, L"TSmoothProgressBar", Left, Top, Width, Height, /*TabStop=*/true) {
  // The animation timer runs for the bar's whole life, also while the bar is hidden.
  FTimer = SetTimer(Handle(), kAnimationTimer, kAnimationMs, nullptr);
}

TSmoothProgressBar::~TSmoothProgressBar() {
  if (FTimer) KillTimer(Handle(), kAnimationTimer);
}

bool TSmoothProgressBar::Gliding() const {
  return std::fabs(FShown - FTarget) >= kInMotion;
}

void TSmoothProgressBar::SetPosition(double Value) {
  const bool Animating = FProgressAnimation;
  const bool InMotion = Animating && Gliding();
  double T = Value;
  if (T < FMinimum) T = FMinimum;
  if (!(T < FMaximum)) T = FMaximum;
  if (T == FTarget) return;  // an equal value changes nothing
  FTarget = T;
  // A burst of positions arriving during a glide is shown directly, not smoothed.
  if (InMotion) FShown = T;
  if (Animating) {
    FPending = true;
    Invalidate();
    return;
  }
  FShown = T;
  PositionChanged();
}

void TSmoothProgressBar::SetMaximum(double Value) {
  if (Value == FMaximum) return;
  FMaximum = Value;
  // The target never lies beyond a lowered maximum; the shown position follows at once when
  // the bar does not glide.
  if (FTarget > FMaximum) FTarget = FMaximum;
  if (FShown > FMaximum && !FProgressAnimation) FShown = FMaximum;
  Invalidate();
}

void TSmoothProgressBar::SetMinimum(double Value) {
  if (Value == FMinimum) return;
  FMinimum = Value;
  if (FTarget < FMinimum) FTarget = FMinimum;
  if (FShown < FMinimum && !FProgressAnimation) FShown = FMinimum;
  Invalidate();
}

void TSmoothProgressBar::PositionChanged() {
  if (OnPositionChanged) OnPositionChanged(this, FShown);
  Invalidate();
}

void TSmoothProgressBar::AnimationTick() {
  if ((FProgressAnimation && FPending) || FShown != FTarget) {
    const double Distance = std::fabs(FTarget - FShown);
    const double Step = std::max(kArrived, Distance / 15);
    if (Distance <= kArrived) {
      FShown = FTarget;
      FPending = false;
    } else {
      FShown += FTarget > FShown ? Step : -Step;
    }
    PositionChanged();
  }
  if (FShown > FMinimum && GlowAnimation) {
    if (FGlowCounter >= 1500) FGlowX += 3;
    RECT Client;
    GetClientRect(Handle(), &Client);
    const double Filled = FilledFraction() * std::max<LONG>(0, Client.right - 2);
    if (FGlowX > Filled) {
      FGlowCounter = 0;
      FGlowX = -60;
    } else {
      FGlowCounter += 10;
    }
    Invalidate();
  }
}

double TSmoothProgressBar::FilledFraction() const {
  const double Range = FMaximum - FMinimum;
  if (Range <= 0 || FShown <= FMinimum) return 0;
  return std::min(1.0, (FShown - FMinimum) / Range);
}

LRESULT TSmoothProgressBar::WndProc(UINT Msg, WPARAM W, LPARAM L) {
  switch (Msg) {
    case WM_PAINT: Paint(); return 0;
    case WM_TIMER:
      if (W == kAnimationTimer) {
        AnimationTick();
        return 0;
      }
      break;
    case WM_LBUTTONDOWN: SetFocus(); return 0;
  }
  return TWinControl::WndProc(Msg, W, L);
}

void TSmoothProgressBar::Paint() {
  PAINTSTRUCT Ps;
  HDC Dc = BeginPaint(Handle(), &Ps);
  RECT Client;
  GetClientRect(Handle(), &Client);
  const int W = Client.right, H = Client.bottom;
  if (W > 0 && H > 0) {
    // Double-buffered: the bar repaints every 10 ms while it moves.
    HDC Memory = CreateCompatibleDC(Dc);
    HBITMAP Bitmap = CreateCompatibleBitmap(Dc, W, H);
    HGDIOBJ Old = SelectObject(Memory, Bitmap);
    {
      Gdiplus::Graphics G(Memory);
      G.Clear(Gdiplus::Color(255, 255, 255, 255));
      PaintBar(G, W, H);
    }
    BitBlt(Dc, 0, 0, W, H, Memory, 0, 0, SRCCOPY);
    SelectObject(Memory, Old);
    DeleteObject(Bitmap);
    DeleteDC(Memory);
  }
  EndPaint(Handle(), &Ps);
}

void TSmoothProgressBar::PaintBar(Gdiplus::Graphics& G, int W, int H) {
  const bool BackOutline = BackGroundFill.BorderColor != clNone && BackGroundFill.BorderWidth > 0;
  const Gdiplus::RectF Back = BackOutline ? Gdiplus::RectF(0, 0, W - 1.0f, H - 1.0f)
                                          : Gdiplus::RectF(-1, -1, W + 2.0f, H + 2.0f);
  PaintFill(G, BackGroundFill, Back);
  const float Inset =
      ProgressFill.BorderColor != clNone ? static_cast<float>(ProgressFill.BorderWidth) : 0;
  const Gdiplus::RectF Inner(Inset, Inset, W - 2 * Inset, H - 2 * Inset);
  const float Filled = static_cast<float>(FilledFraction() * Inner.Width);
  if (Filled > 0) {
    const Gdiplus::RectF Part(Inner.X, Inner.Y, Filled, Inner.Height - 1);
    PaintFill(G, ProgressFill, Part);
    if (GlowAnimation && FShown > 0) {
      // The sheen: two white bands meeting at the sheen position, inside the filled part.
      const Gdiplus::GraphicsState Saved = G.Save();
      G.SetClip(Part);
      const float X = Part.X + FGlowX;
      Gdiplus::LinearGradientBrush Left(
          Gdiplus::RectF(X - 30, Part.Y, 30, Part.Height), Gdiplus::Color(0, 255, 255, 255),
          Gdiplus::Color(120, 255, 255, 255), Gdiplus::LinearGradientModeHorizontal);
      G.FillRectangle(&Left, X - 30, Part.Y, 30.0f, Part.Height);
      Gdiplus::LinearGradientBrush Right(
          Gdiplus::RectF(X, Part.Y, 30, Part.Height), Gdiplus::Color(120, 255, 255, 255),
          Gdiplus::Color(0, 255, 255, 255), Gdiplus::LinearGradientModeHorizontal);
      G.FillRectangle(&Right, X, Part.Y, 30.0f, Part.Height);
      G.Restore(Saved);
    }
  }
  if (Overlays && Inner.Height > 2) {
    const float TopH = Inner.Height / 2.5f, BottomH = Inner.Height / 5;
    Gdiplus::LinearGradientBrush Top(Gdiplus::RectF(Inner.X, Inner.Y - 0.5f, Inner.Width, TopH + 1),
                                     Gdiplus::Color(180, 255, 255, 255),
                                     Gdiplus::Color(0, 255, 255, 255),
                                     Gdiplus::LinearGradientModeVertical);
    G.FillRectangle(&Top, Inner.X, Inner.Y, Inner.Width, TopH);
    const float BottomY = Inner.Y + Inner.Height - BottomH;
    Gdiplus::LinearGradientBrush Bottom(
        Gdiplus::RectF(Inner.X, BottomY - 0.5f, Inner.Width, BottomH + 1),
        Gdiplus::Color(0, 255, 255, 255), Gdiplus::Color(255, 255, 255, 255),
        Gdiplus::LinearGradientModeVertical);
    G.FillRectangle(&Bottom, Inner.X, BottomY, Inner.Width, BottomH);
  }
}

}  // namespace vlm
