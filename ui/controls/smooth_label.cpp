// ui/controls/smooth_label.cpp -- label layout and gradient text.
#include "ui/controls/smooth_label.h"

namespace vlm {

Gdiplus::PointF CaptionOrigin(TLabelLocation Location, float BoxW, float BoxH, float TextW,
                              float TextH, float CustomLeft, float CustomTop) {
  if (Location == TLabelLocation::Custom) return Gdiplus::PointF(CustomLeft, CustomTop);
  const int Column = static_cast<int>(Location) % 3, Row = static_cast<int>(Location) / 3;
  const float X = Column == 0 ? 0 : Column == 1 ? (BoxW - TextW) / 2 : BoxW - TextW;
  const float Y = Row == 0 ? 0 : Row == 1 ? (BoxH - TextH) / 2 : BoxH - TextH;
  return Gdiplus::PointF(X, Y);
}

TSmoothLabel::TSmoothLabel(TForm& Parent, int Left, int Top, int Width, int Height)
    : TControl(Parent, Left, Top, Width, Height) {}

void TSmoothLabel::SetCaption(const String& Value) {
  if (FCaption == Value) return;
  FCaption = Value;
  Invalidate();
}

void TSmoothLabel::SetLocation(TLabelLocation Value) {
  if (FLocation == Value) return;
  FLocation = Value;
  Invalidate();
}

void TSmoothLabel::SetFont(const TFont& Value) {
  FFont = Value;
  Invalidate();
}

void TSmoothLabel::Paint(Gdiplus::Graphics& G) {
  if (Width() < 2 || Height() < 2) return;
  Gdiplus::RectF Box(0, 0, static_cast<float>(Width() - 1), static_cast<float>(Height() - 1));
  if (!Transparent) {
    PaintFill(G, Fill, Box);
    const float Inset = Fill.BorderColor != clNone ? static_cast<float>(Fill.BorderWidth) : 0;
    Box.Inflate(-Inset, -Inset);
  }
  if (FCaption.empty()) return;
  const auto Font = CreateGdipFont(FFont);
  Gdiplus::StringFormat Format(Gdiplus::StringFormatFlagsNoWrap);
  Gdiplus::RectF Measured;
  G.MeasureString(WidePtr(FCaption), static_cast<INT>(FCaption.size()), Font.get(),
                  Gdiplus::RectF(0, 0, 10000, 10000), &Format, &Measured);
  const Gdiplus::PointF At =
      CaptionOrigin(FLocation, Box.Width, Box.Height, Measured.Width, Measured.Height,
                    static_cast<float>(CustomLeft), static_cast<float>(CustomTop));
  const Gdiplus::RectF TextBox(Box.X + At.X, Box.Y + At.Y, Measured.Width, Measured.Height);
  const TColor End = ColorEnd == clNone ? ColorStart : ColorEnd;
  const int EndOpacity = ColorEnd == clNone ? OpacityStart : OpacityEnd;
  std::unique_ptr<Gdiplus::Brush> Brush;
  if (GradientType == TLabelGradient::Vertical && TextBox.Height > 0) {
    auto Linear = std::make_unique<Gdiplus::LinearGradientBrush>(
        Gdiplus::RectF(TextBox.X, TextBox.Y - 0.5f, std::max(TextBox.Width, 1.0f),
                       TextBox.Height + 1),
        ToGdipColor(ColorStart, OpacityStart), ToGdipColor(End, EndOpacity),
        Gdiplus::LinearGradientModeVertical);
    Linear->SetWrapMode(Gdiplus::WrapModeTileFlipXY);
    Brush = std::move(Linear);
  } else {
    Brush = std::make_unique<Gdiplus::SolidBrush>(ToGdipColor(ColorStart, OpacityStart));
  }
  G.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAliasGridFit);
  // What does not fit the layout box is cut off.
  const Gdiplus::GraphicsState Saved = G.Save();
  G.IntersectClip(Gdiplus::RectF(Box.X, Box.Y, Box.Width + 1, Box.Height + 1));
  G.DrawString(WidePtr(FCaption), static_cast<INT>(FCaption.size()), Font.get(), TextBox, &Format,
               Brush.get());
  G.Restore(Saved);
}

}  // namespace vlm
