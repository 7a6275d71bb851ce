// ui/controls/smooth_fill.cpp -- painting of a fill with anti-aliased rounded paths.
#include "ui/controls/smooth_fill.h"

#include <algorithm>
#include <memory>

namespace vlm {

namespace {

bool Rounds(TRoundingType Corners, bool Top, bool Left) {
  switch (Corners) {
    case TRoundingType::None: return false;
    case TRoundingType::Top: return Top;
    case TRoundingType::Bottom: return !Top;
    case TRoundingType::Both: return true;
    case TRoundingType::Left: return Left;
    case TRoundingType::Right: return !Left;
  }
  return false;
}

// The brush of one gradient over R, or null when nothing is to be painted.
std::unique_ptr<Gdiplus::Brush> GradientBrush(TGradientType Type, TColor From, TColor To,
                                              int OpacityFrom, int OpacityTo,
                                              const Gdiplus::RectF& R) {
  if (From == clNone || Type == TGradientType::None) return nullptr;
  if (To == clNone || (Type != TGradientType::Vertical && Type != TGradientType::Horizontal))
    return std::make_unique<Gdiplus::SolidBrush>(ToGdipColor(From, OpacityFrom));
  // The brush rectangle is widened by a pixel so that rounding at its edges does not wrap the
  // gradient's first colour onto the last row.
  const Gdiplus::RectF Span(R.X - 0.5f, R.Y - 0.5f, R.Width + 1, R.Height + 1);
  const auto Mode = Type == TGradientType::Vertical ? Gdiplus::LinearGradientModeVertical
                                                    : Gdiplus::LinearGradientModeHorizontal;
  auto Brush = std::make_unique<Gdiplus::LinearGradientBrush>(Span, ToGdipColor(From, OpacityFrom),
                                                              ToGdipColor(To, OpacityTo), Mode);
  Brush->SetWrapMode(Gdiplus::WrapModeTileFlipXY);
  return Brush;
}

void PaintArea(Gdiplus::Graphics& G, Gdiplus::Brush* Brush, const Gdiplus::RectF& R, float Radius,
               TRoundingType Corners) {
  if (!Brush) return;
  Gdiplus::GraphicsPath Path;
  AddRoundedRectangle(Path, R, Radius, Corners);
  G.FillPath(Brush, &Path);
}

}  // namespace

void AddRoundedRectangle(Gdiplus::GraphicsPath& Path, const Gdiplus::RectF& R, float Radius,
                         TRoundingType Corners) {
  // A corner's arc takes half its diameter from each side it touches: with only the top (or
  // bottom) corners rounded the height may hold the whole radius, likewise the width with only
  // the left (or right) ones.
  const bool Horizontal = Corners == TRoundingType::Top || Corners == TRoundingType::Bottom;
  const bool Vertical = Corners == TRoundingType::Left || Corners == TRoundingType::Right;
  const float D = std::min({Radius * 2, Vertical ? 2 * R.Width : R.Width,
                            Horizontal ? 2 * R.Height : R.Height});
  if (Radius <= 0 || Corners == TRoundingType::None || D <= 0) {
    Path.AddRectangle(R);
    return;
  }
  const float L = R.X, T = R.Y, Rt = R.X + R.Width, B = R.Y + R.Height;
  Path.StartFigure();
  if (Rounds(Corners, true, true)) {
    Path.AddArc(L, T, D, D, 180, 90);
  } else {
    Path.AddLine(L, T, L, T);
  }
  if (Rounds(Corners, true, false)) {
    Path.AddArc(Rt - D, T, D, D, 270, 90);
  } else {
    Path.AddLine(Rt, T, Rt, T);
  }
  if (Rounds(Corners, false, false)) {
    Path.AddArc(Rt - D, B - D, D, D, 0, 90);
  } else {
    Path.AddLine(Rt, B, Rt, B);
  }
  if (Rounds(Corners, false, true)) {
    Path.AddArc(L, B - D, D, D, 90, 90);
  } else {
    Path.AddLine(L, B, L, B);
  }
  Path.CloseFigure();
}

void PaintFill(Gdiplus::Graphics& G, const TSmoothFill& Fill, const Gdiplus::RectF& R) {
  const bool HasOutline = Fill.BorderWidth > 0 && Fill.BorderColor != clNone;
  if (R.Width <= 1 || R.Height <= 1) {
    if (!HasOutline) return;
    Gdiplus::Pen Line(ToGdipColor(Fill.BorderColor, Fill.BorderOpacity),
                      static_cast<Gdiplus::REAL>(Fill.BorderWidth));
    G.DrawLine(&Line, R.X, R.Y, R.X + R.Width, R.Y + R.Height);
    return;
  }
  const float Radius = static_cast<float>(Fill.Rounding);
  if (Fill.ShadowOffset > 0 && Fill.ShadowColor != clNone) {
    Gdiplus::SolidBrush Shadow(ToGdipColor(Fill.ShadowColor, 120));
    Gdiplus::RectF Moved = R;
    Moved.Offset(static_cast<float>(Fill.ShadowOffset), static_cast<float>(Fill.ShadowOffset));
    PaintArea(G, &Shadow, Moved, Radius, Fill.RoundingType);
  }
  if (Fill.ColorMirror == clNone) {
    auto Main =
        GradientBrush(Fill.GradientType, Fill.Color, Fill.ColorTo, Fill.Opacity, Fill.OpacityTo, R);
    PaintArea(G, Main.get(), R, Radius, Fill.RoundingType);
  } else {
    const float Half = R.Height / 2;
    const Gdiplus::RectF Upper(R.X, R.Y, R.Width, Half);
    const Gdiplus::RectF Lower(R.X, R.Y + Half - 1, R.Width, R.Height - Half + 1);
    const bool Top =
        Rounds(Fill.RoundingType, true, true) || Rounds(Fill.RoundingType, true, false);
    const bool Bottom =
        Rounds(Fill.RoundingType, false, true) || Rounds(Fill.RoundingType, false, false);
    auto Main = GradientBrush(Fill.GradientType, Fill.Color, Fill.ColorTo, Fill.Opacity,
                              Fill.OpacityTo, Upper);
    PaintArea(G, Main.get(), Upper, Top ? Radius : 0, TRoundingType::Top);
    auto Mirror = GradientBrush(Fill.GradientMirrorType, Fill.ColorMirror, Fill.ColorMirrorTo,
                                Fill.OpacityMirror, Fill.OpacityMirrorTo, Lower);
    PaintArea(G, Mirror.get(), Lower, Bottom ? Radius : 0, TRoundingType::Bottom);
  }
  if (HasOutline) {
    Gdiplus::Pen Outline(ToGdipColor(Fill.BorderColor, Fill.BorderOpacity),
                         static_cast<Gdiplus::REAL>(Fill.BorderWidth));
    Gdiplus::GraphicsPath Path;
    AddRoundedRectangle(Path, R, Radius, Fill.RoundingType);
    G.DrawPath(&Outline, &Path);
  }
}

}  // namespace vlm
