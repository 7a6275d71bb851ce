// ui/controls/smooth_status_indicator.cpp -- the pill body, its caption and gloss.
#include "ui/controls/smooth_status_indicator.h"

#include <cmath>

namespace vlm {

TSmoothStatusIndicator::TSmoothStatusIndicator(TForm& Parent, int Left, int Top, int Width,
                                               int Height)
    : TControl(Parent, Left, Top, Width, Height) {}

void TSmoothStatusIndicator::SetCaption(const String& Value) {
  if (FCaption == Value) return;
  FCaption = Value;
  Invalidate();
}

void TSmoothStatusIndicator::SetFillColor(TColor Value) {
  if (FAppearance.Fill.Color == Value) return;
  FAppearance.Fill.Color = Value;
  Invalidate();
}

void TSmoothStatusIndicator::SetAppearance(const TSmoothStatusAppearance& Value) {
  FAppearance = Value;
  Invalidate();
}

void TSmoothStatusIndicator::Paint(Gdiplus::Graphics& G) {
  G.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
  const TSmoothFill& Fill = FAppearance.Fill;
  // Inset by half the outline, so that the outline (centred on the body's edge, whose pixels
  // are centred on whole coordinates) falls on the control's first and last rows and columns.
  const float Inset = Fill.BorderColor != clNone ? Fill.BorderWidth / 2.0f : 0;
  const Gdiplus::RectF Body(0, 0, Width() - 2 * Inset, Height() - 2 * Inset);
  // The body is a pill: the corner radius is forced to half its height on every corner. The
  // forced radius belongs to this drawing only, not to the stored fill.
  TSmoothFill Pill = Fill;
  Pill.Rounding = static_cast<int>(std::lround(Body.Height / 2));
  Pill.RoundingType = TRoundingType::Both;
  PaintFill(G, Pill, Body);
  if (FAppearance.Glow) {
    const Gdiplus::RectF Upper(Body.X, Body.Y, Body.Width, Body.Height / 2);
    Gdiplus::LinearGradientBrush Gloss(
        Gdiplus::RectF(Upper.X, Upper.Y - 0.5f, Upper.Width, Upper.Height + 1),
        Gdiplus::Color(170, 255, 255, 255), Gdiplus::Color(30, 255, 255, 255),
        Gdiplus::LinearGradientModeVertical);
    Gdiplus::GraphicsPath Path;
    AddRoundedRectangle(Path, Upper, static_cast<float>(Pill.Rounding), TRoundingType::Top);
    G.FillPath(&Gloss, &Path);
  }
  if (FCaption.empty()) return;
  const auto Font = CreateGdipFont(FAppearance.Font);
  Gdiplus::StringFormat Format(Gdiplus::StringFormatFlagsNoWrap);
  Gdiplus::RectF Measured;
  G.MeasureString(WidePtr(FCaption), static_cast<INT>(FCaption.size()), Font.get(),
                  Gdiplus::RectF(0, 0, 10000, 10000), &Format, &Measured);
  const float X = FAppearance.Spacing + (Width() - 2.0f * FAppearance.Spacing - Measured.Width) / 2;
  const float Y = (Height() - Measured.Height) / 2;
  Gdiplus::SolidBrush Text(ToGdipColor(FAppearance.Font.Color, 255));
  G.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAlias);
  G.DrawString(WidePtr(FCaption), static_cast<INT>(FCaption.size()), Font.get(),
               Gdiplus::RectF(X, Y, Measured.Width, Measured.Height), &Format, &Text);
}

}  // namespace vlm
