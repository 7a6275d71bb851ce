// ui/controls/smooth_label.cpp -- label layout and gradient text.
#include "ui/controls/smooth_label.h"

#include "runtime/upper_case.h"
#include "ui/forms/form.h"

#include <algorithm>
#include <memory>

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
    G.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    PaintFill(G, Fill, Box);
    const float Inset = Fill.BorderColor != clNone ? static_cast<float>(Fill.BorderWidth) : 0;
    Box.Inflate(-Inset, -Inset);
  }
  if (CaptionShadow.Visible && !CaptionShadow.Text.empty()) {
    DrawCaption(G, Box, CaptionShadow.Text, CaptionShadow.GradientType, CaptionShadow.ColorStart,
                CaptionShadow.ColorEnd, CaptionShadow.OpacityStart, CaptionShadow.OpacityEnd, 1);
  }
  if (!FCaption.empty()) {
    DrawCaption(G, Box, FCaption, GradientType, ColorStart, ColorEnd, OpacityStart, OpacityEnd, 0,
                AccessKey != 0 && Parent().KeyboardCuesShown());
  }
}

void TSmoothLabel::DrawCaption(Gdiplus::Graphics& G, const Gdiplus::RectF& Box, const String& Text,
                               TLabelGradient Gradient, TColor Start, TColor End, int StartOpacity,
                               int EndOpacity, float Offset, bool UnderlineAccessKey) {
  if (Start == clNone) return;
  const auto Font = CreateGdipFont(FFont);
  if (!Font) return;  // no font on this system: the fill and the pictures still show
  Gdiplus::StringFormat Format(WordWrap ? 0 : Gdiplus::StringFormatFlagsNoWrap);
  String Shown = Text;
  if (UnderlineAccessKey) {
    // "&" before the key's character, drawn as an underline under it.
    for (size_t I = 0; I < Shown.size(); ++I) {
      if (UpperCaseUnit(Shown[I]) != UpperCaseUnit(AccessKey)) continue;
      Shown.insert(I, 1, u'&');
      Format.SetHotkeyPrefix(Gdiplus::HotkeyPrefixShow);
      break;
    }
  }
  if (WordWrap) {
    // Wrapped lines line up by the column of Location.
    const int Column = FLocation == TLabelLocation::Custom ? 0 : static_cast<int>(FLocation) % 3;
    Format.SetAlignment(Column == 0   ? Gdiplus::StringAlignmentNear
                        : Column == 1 ? Gdiplus::StringAlignmentCenter
                                      : Gdiplus::StringAlignmentFar);
  }
  Gdiplus::RectF Measured;
  const Gdiplus::RectF Room(0, 0, WordWrap ? std::max(Box.Width, 1.0f) : 10000.0f, 10000);
  G.MeasureString(WidePtr(Shown), static_cast<INT>(Shown.size()), Font.get(), Room, &Format,
                  &Measured);
  const Gdiplus::PointF At =
      CaptionOrigin(FLocation, Box.Width, Box.Height, Measured.Width, Measured.Height,
                    static_cast<float>(CustomLeft), static_cast<float>(CustomTop));
  const Gdiplus::RectF TextBox(Box.X + At.X + Offset, Box.Y + At.Y + Offset, Measured.Width,
                               Measured.Height);
  const TColor Last = End == clNone ? Start : End;
  const int LastOpacity = End == clNone ? StartOpacity : EndOpacity;
  std::unique_ptr<Gdiplus::Brush> Brush;
  if (Gradient == TLabelGradient::Vertical && TextBox.Height > 0) {
    // From the text's top edge to its bottom edge, not over the label's height.
    auto Linear = std::make_unique<Gdiplus::LinearGradientBrush>(
        Gdiplus::RectF(TextBox.X, TextBox.Y - 0.5f, std::max(TextBox.Width, 1.0f),
                       TextBox.Height + 1),
        ToGdipColor(Start, StartOpacity), ToGdipColor(Last, LastOpacity),
        Gdiplus::LinearGradientModeVertical);
    Linear->SetWrapMode(Gdiplus::WrapModeTileFlipXY);
    Brush = std::move(Linear);
  } else {
    Brush = std::make_unique<Gdiplus::SolidBrush>(ToGdipColor(Start, StartOpacity));
  }
  G.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAliasGridFit);
  // What does not fit the layout box is cut off.
  const Gdiplus::GraphicsState Saved = G.Save();
  G.IntersectClip(Gdiplus::RectF(Box.X, Box.Y, Box.Width + 1, Box.Height + 1));
  G.DrawString(WidePtr(Shown), static_cast<INT>(Shown.size()), Font.get(), TextBox, &Format,
               Brush.get());
  G.Restore(Saved);
}

}  // namespace vlm
