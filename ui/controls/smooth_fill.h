// ui/controls/smooth_fill.h -- the description of one filled, outlined, rounded area shared by
// the smooth controls, and its painting. Fields start with the values of a new fill.
#pragma once

#include "ui/forms/color.h"
#include "ui/forms/gdiplus_api.h"

namespace vlm {

enum class TGradientType {
  Solid,
  Radial,
  Vertical,
  Horizontal,
  ForwardDiagonal,
  BackwardDiagonal,
  Angle,
  Hatch,
  Path,
  Texture,
  None
};
// Which corners a rounded area rounds.
enum class TRoundingType { None, Top, Bottom, Both, Left, Right };
enum class TFillGlow { None, Gradient, Radial, RadialGradient };

struct TSmoothFill {
  TColor Color = 0xC0C0C0;
  TColor ColorTo = 0x808080;
  TColor ColorMirror = clNone;  // none: no mirror half
  TColor ColorMirrorTo = clNone;
  TGradientType GradientType = TGradientType::Vertical;
  TGradientType GradientMirrorType = TGradientType::Solid;
  int Opacity = 255;
  int OpacityTo = 255;
  int OpacityMirror = 255;
  int OpacityMirrorTo = 255;
  TColor BorderColor = clNone;  // none: no outline
  int BorderWidth = 1;
  int BorderOpacity = 255;
  int Rounding = 0;  // corner radius in pixels
  TRoundingType RoundingType = TRoundingType::Both;
  TColor ShadowColor = 0x808080;
  int ShadowOffset = 0;  // 0: no shadow
  TFillGlow Glow = TFillGlow::None;
};

// Adds a rectangle whose chosen corners are rounded by Radius (a plain rectangle when Radius <= 0
// or no corner is chosen) to Path as one closed figure.
void AddRoundedRectangle(Gdiplus::GraphicsPath& Path, const Gdiplus::RectF& R, float Radius,
                         TRoundingType Corners);

// Paints Fill into R: a rectangle 1 pixel wide or high gets only its outline as a line;
// otherwise the shadow (when set), the main gradient (upper half only when there is a mirror
// half, which then paints the lower half), and the outline when BorderWidth > 0 and BorderColor
// is set. Radial, diagonal and the other kinds no control uses are painted solid.
void PaintFill(Gdiplus::Graphics& G, const TSmoothFill& Fill, const Gdiplus::RectF& R);

}  // namespace vlm
