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
  if (!FCaption.empty()) PaintCaption(G);
  // The gloss lies over the upper half of the body and of the caption.
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
}

void TSmoothStatusIndicator::PaintCaption(Gdiplus::Graphics& G) {
  const auto Font = CreateGdipFont(FAppearance.Font);
  if (!Font) return;  // no font on this system: the pill and its gloss still show
  // x = Spacing + (W - 2 Spacing - text width) / 2 and y = (H - text height) / 2: the measured
  // text centred in the control inset by Spacing on the left and right, as the format's centre
  // alignment places it.
  Gdiplus::StringFormat Format(Gdiplus::StringFormatFlagsNoWrap);
  Format.SetAlignment(Gdiplus::StringAlignmentCenter);
  Format.SetLineAlignment(Gdiplus::StringAlignmentCenter);
  const Gdiplus::RectF Room(static_cast<float>(FAppearance.Spacing), 0,
                            Width() - 2.0f * FAppearance.Spacing, static_cast<float>(Height()));
  // The caption is filled as the glyphs' outlines: anti-aliased and in its real weight at every
  // size, also where a font carries hand-made bitmaps for small sizes that text drawing would
  // pick instead (thin, jagged and without the bold weight).
  Gdiplus::FontFamily Family;
  Font->GetFamily(&Family);
  const float EmPixels = Font->GetSize() * G.GetDpiY() / 72.0f;
  Gdiplus::GraphicsPath Glyphs;
  Glyphs.AddString(WidePtr(FCaption), static_cast<INT>(FCaption.size()), &Family, Font->GetStyle(),
                   EmPixels, Room, &Format);
  Gdiplus::SolidBrush Text(ToGdipColor(FAppearance.Font.Color, 255));
  G.FillPath(&Text, &Glyphs);
}

}  // namespace vlm
