// ui/controls/smooth_progress_bar.cpp -- position rules, animation and painting of the bar.
#include "ui/controls/smooth_progress_bar.h"
#include "ui/forms/double_buffer.h"

#include <algorithm>
#include <cmath>
#include <string>

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
  // The value is the shown position in whole percent; screen readers are told of it every ten
  // percentage points and at 100, not at every step of the glide.
  TAccessibleElement& Self = MakeAccessible().Self;
  Self.Role = ROLE_SYSTEM_PROGRESSBAR;
  Self.Value = [this] { return Utf8ToString(std::to_string(ShownPercent())) + u"%"; };
  Self.ValueKey = [this] {
    const int Percent = ShownPercent();
    return Utf8ToString(std::to_string(Percent == 100 ? 100 : Percent / 10 * 10));
  };
}

int TSmoothProgressBar::ShownPercent() const {
  const double Range = FMaximum - FMinimum;
  if (Range <= 0) return 0;
  const double Percent = (FShown - FMinimum) * 100 / Range;
  return static_cast<int>(std::clamp(std::floor(Percent + 1e-9), 0.0, 100.0));
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
    FPending = true;  // the next tick moves the shown position and paints it
    return;
  }
  FShown = T;
  PositionChanged();
}

void TSmoothProgressBar::SetMaximum(double Value) {
  if (Value == FMaximum) return;
  FMaximum = Value;
  // A maximum below the shown position becomes the target (so a following position, 0 say, is
  // a change that shows at once); the shown position follows at once when the bar does not
  // glide. A target beyond the new maximum is lowered to it in any case.
  if (FMaximum < FShown) {
    FTarget = FMaximum;
    if (!FProgressAnimation) FShown = FMaximum;
  } else if (FTarget > FMaximum) {
    FTarget = FMaximum;
  }
  Invalidate();
}

void TSmoothProgressBar::SetMinimum(double Value) {
  if (Value == FMinimum) return;
  FMinimum = Value;
  if (FMinimum > FShown) {
    FTarget = FMinimum;
    if (!FProgressAnimation) FShown = FMinimum;
  } else if (FTarget < FMinimum) {
    FTarget = FMinimum;
  }
  Invalidate();
}

void TSmoothProgressBar::PositionChanged() {
  if (OnPositionChanged) OnPositionChanged(this, FShown);
  FPaintDue = true;
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
    const int GlowWas = FGlowX;
    if (FGlowCounter >= 1500) FGlowX += 3;
    RECT Client;
    GetClientRect(Handle(), &Client);
    const double Filled =
        FilledFraction() * std::max(0.0f, InnerBox(Client.right, Client.bottom).Width);
    if (FGlowX > Filled) {
      FGlowCounter = 0;
      FGlowX = -60;
    } else {
      FGlowCounter += 10;
    }
    // While the sheen pauses it stays where it is and the picture does not change.
    if (FGlowX != GlowWas) FPaintDue = true;
  }
  if (FPaintDue) {
    FPaintDue = false;
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

Gdiplus::RectF TSmoothProgressBar::InnerBox(int W, int H) const {
  const float Inset = ProgressFill.BorderColor != clNone && ProgressFill.BorderWidth > 0
                          ? static_cast<float>(ProgressFill.BorderWidth)
                          : 0;
  // The trough's rectangle (0, 0, W - 1, H - 1), inset by the outline on every side: at 100 %
  // the part's outline lies inside the trough's, right and bottom as left and top.
  return Gdiplus::RectF(Inset, Inset, W - 1 - 2 * Inset, H - 1 - 2 * Inset);
}

void TSmoothProgressBar::Paint() {
  // Double-buffered: the bar repaints every 10 ms while it moves, without flicker. PaintTo fills
  // the whole bar with opaque white first.
  FPaintBuffer.Paint(Handle(), [this](Gdiplus::Graphics& G) { PaintTo(G); });
}

void TSmoothProgressBar::PaintTo(Gdiplus::Graphics& G) {
  const int W = Width(), H = Height();
  if (W <= 0 || H <= 0) return;
  Gdiplus::SolidBrush White(Gdiplus::Color(255, 255, 255, 255));
  G.FillRectangle(&White, 0, 0, W, H);
  PaintBar(G, W, H);
}

namespace {

// A band of white or black over R whose opacity runs from From to To along the band
// (horizontally or vertically).
void FadeBand(Gdiplus::Graphics& G, const Gdiplus::RectF& R, BYTE Gray, int From, int To,
              bool Horizontal) {
  if (R.Width <= 0 || R.Height <= 0) return;
  const Gdiplus::RectF Span = Horizontal ? Gdiplus::RectF(R.X - 0.5f, R.Y, R.Width + 1, R.Height)
                                         : Gdiplus::RectF(R.X, R.Y - 0.5f, R.Width, R.Height + 1);
  Gdiplus::LinearGradientBrush Brush(
      Span, Gdiplus::Color(static_cast<BYTE>(From), Gray, Gray, Gray),
      Gdiplus::Color(static_cast<BYTE>(To), Gray, Gray, Gray),
      Horizontal ? Gdiplus::LinearGradientModeHorizontal : Gdiplus::LinearGradientModeVertical);
  Brush.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
  G.FillRectangle(&Brush, R);
}

}  // namespace

void TSmoothProgressBar::PaintBar(Gdiplus::Graphics& G, int W, int H) {
  G.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
  // 1. The trough: inside its outline when it has one, else over the whole bar and beyond.
  const bool BackOutline = BackGroundFill.BorderColor != clNone && BackGroundFill.BorderWidth > 0;
  const Gdiplus::RectF Back = BackOutline ? Gdiplus::RectF(0, 0, W - 1.0f, H - 1.0f)
                                          : Gdiplus::RectF(-1, -1, W + 2.0f, H + 2.0f);
  PaintFill(G, BackGroundFill, Back);
  // 2. The filled part, from the inner box's left edge.
  const Gdiplus::RectF Inner = InnerBox(W, H);
  const float Filled = static_cast<float>(FilledFraction() * std::max(0.0f, Inner.Width));
  const Gdiplus::RectF Part(Inner.X, Inner.Y, Filled, Inner.Height);
  if (Filled > 0) PaintFill(G, ProgressFill, Part);
  // 3. Shadows: 10-pixel bands of black fading from opacity 30 at each end of the filled part
  // and of the inner box to nothing inwards.
  if (Shadows && Filled > 0) {
    constexpr float kBand = 10;
    constexpr int kDark = 30;
    const auto Ends = [&](const Gdiplus::RectF& Box) {
      const float Band = std::min(kBand, Box.Width);
      FadeBand(G, Gdiplus::RectF(Box.X, Box.Y, Band, Box.Height), 0, kDark, 0, true);
      FadeBand(G, Gdiplus::RectF(Box.X + Box.Width - Band, Box.Y, Band, Box.Height), 0, 0, kDark,
               true);
    };
    Ends(Part);
    Ends(Inner);
  }
  // 4. Overlays: white gloss over the top 40 % of the inner box (opacity 180 to 0 downwards)
  // and over the bottom 20 % (0 to 255 at the bottom edge).
  if (Overlays && Inner.Height > 2) {
    const float TopH = Inner.Height / 2.5f, BottomH = Inner.Height / 5;
    FadeBand(G, Gdiplus::RectF(Inner.X, Inner.Y, Inner.Width, TopH), 255, 180, 0, false);
    FadeBand(G, Gdiplus::RectF(Inner.X, Inner.Y + Inner.Height - BottomH, Inner.Width, BottomH),
             255, 0, 255, false);
  }
  // 5. The sheen: two 30-pixel white bands meeting at the sheen position, inside the filled
  // part, rising from nothing to opacity 120 and falling back.
  if (GlowAnimation && FShown > 0 && Filled > 0) {
    const Gdiplus::GraphicsState Saved = G.Save();
    G.SetClip(Part);
    const float X = Part.X + static_cast<float>(FGlowX);
    constexpr float kSheen = 30;
    constexpr int kBright = 120;
    FadeBand(G, Gdiplus::RectF(X - kSheen, Part.Y, kSheen, Part.Height), 255, 0, kBright, true);
    FadeBand(G, Gdiplus::RectF(X, Part.Y, kSheen, Part.Height), 255, kBright, 0, true);
    G.Restore(Saved);
  }
  // 6. The value text is not drawn: the window keeps it switched off.
}

}  // namespace vlm
