// ui/dialog/dialog_paint.cpp -- measuring and painting the message dialog into its 32-bit image:
// body, button area, buttons with gloss and focus mark, caption band and caption text.
#include "ui/dialog/smooth_message_dialog.h"

#include <algorithm>
#include <cmath>

#include "ui/dialog/dialog_font.h"
#include "ui/forms/dpi.h"

namespace vlm {

namespace {

constexpr float kButtonRadius = 4;  // at 96 dpi, like every length here

// Fill with its corner radius scaled to the screen's resolution.
TSmoothFill Scaled(TSmoothFill Fill, double Scale) {
  Fill.Rounding = ScaleValue(Fill.Rounding, Scale);
  return Fill;
}

// The dialog's areas run from their left/top to their right/bottom edge coordinates.
Gdiplus::RectF AreaOf(const RECT& R) {
  return Gdiplus::RectF(static_cast<float>(R.left), static_cast<float>(R.top),
                        static_cast<float>(R.right - R.left), static_cast<float>(R.bottom - R.top));
}

// Button rectangles are right/bottom exclusive; their shapes are painted up to the last pixel.
Gdiplus::RectF ButtonShape(const RECT& R) {
  return Gdiplus::RectF(static_cast<float>(R.left), static_cast<float>(R.top),
                        static_cast<float>(R.right - R.left - 1),
                        static_cast<float>(R.bottom - R.top - 1));
}

TColor StateColor(const TSmoothMessageDialogButton& B, const DialogButtonState& Mark,
                  bool Focused) {
  if (!B.Enabled) return B.ColorDisabled;
  if (Mark.Pressed) return B.ColorDown;
  if (Mark.Hover) return B.HoverColor;
  if (Focused) return B.ColorFocused;
  return B.Color;
}

void PaintButton(Gdiplus::Graphics& G, const TSmoothMessageDialogButton& B, const RECT& Cell,
                 const DialogButtonState& Mark, bool Focused, const Gdiplus::Font* Font,
                 TColor TextColor, float Radius) {
  const Gdiplus::RectF Shape = ButtonShape(Cell);
  Gdiplus::GraphicsPath Body;
  AddRoundedRectangle(Body, Shape, Radius, TRoundingType::Both);
  const TColor Face = StateColor(B, Mark, Focused);
  if (Face != clNone) {
    Gdiplus::SolidBrush Brush(ToGdipColor(Face, B.Opacity));
    G.FillPath(&Brush, &Body);
  }

  // The gloss: white over the upper half, fading from 125 at the top to 30 at the middle.
  const Gdiplus::RectF Upper(Shape.X, Shape.Y, Shape.Width, Shape.Height / 2);
  if (Upper.Height >= 1) {
    Gdiplus::GraphicsPath Gloss;
    AddRoundedRectangle(Gloss, Upper, Radius, TRoundingType::Top);
    const Gdiplus::RectF BrushRect(Upper.X, Upper.Y - 0.5f, Upper.Width, Upper.Height + 1.0f);
    Gdiplus::LinearGradientBrush Brush(BrushRect, Gdiplus::Color(125, 255, 255, 255),
                                       Gdiplus::Color(30, 255, 255, 255),
                                       Gdiplus::LinearGradientModeVertical);
    Brush.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
    G.FillPath(&Brush, &Gloss);
  }

  if (B.BorderWidth > 0 && B.BorderColor != clNone) {
    Gdiplus::Pen Pen(ToGdipColor(B.BorderColor, B.BorderOpacity),
                     static_cast<float>(B.BorderWidth));
    G.DrawPath(&Pen, &Body);
  }

  if (!B.Caption.empty() && Font) {
    Gdiplus::StringFormat Format(&DialogTextFormat());
    Format.SetAlignment(Gdiplus::StringAlignmentCenter);
    Format.SetLineAlignment(Gdiplus::StringAlignmentCenter);
    Gdiplus::SolidBrush Text(ToGdipColor(TextColor, 255));
    G.DrawString(WidePtr(B.Caption), static_cast<INT>(B.Caption.size()), Font, Shape, &Format,
                 &Text);
  }

  if (Focused) {
    // A dotted black frame one pixel outside the button's edge.
    const Gdiplus::RectF Outer(Shape.X - 1, Shape.Y - 1, Shape.Width + 2, Shape.Height + 2);
    Gdiplus::GraphicsPath Frame;
    AddRoundedRectangle(Frame, Outer, Radius, TRoundingType::Both);
    Gdiplus::Pen Pen(Gdiplus::Color(255, 0, 0, 0), 1);
    Pen.SetDashStyle(Gdiplus::DashStyleDot);
    G.DrawPath(&Pen, &Frame);
  }
}

// The caption's top-left corner inside its band, on whole pixels (halves cut towards zero).
Gdiplus::PointF CaptionOriginInBand(TCaptionLocation Location, const RECT& Band, TextExtent Text,
                                    int CustomLeft, int CustomTop) {
  const Gdiplus::PointF At =
      CaptionOrigin(Location, static_cast<float>(Band.right - Band.left),
                    static_cast<float>(Band.bottom - Band.top), static_cast<float>(Text.Width),
                    static_cast<float>(Text.Height), static_cast<float>(CustomLeft),
                    static_cast<float>(CustomTop));
  return Gdiplus::PointF(Band.left + std::trunc(At.X), Band.top + std::trunc(At.Y));
}

}  // namespace

DialogLayout TSmoothMessageDialog::ComputeLayout() const {
  const int Dpi = ScreenDpi();
  const auto Caption = MakeDialogFont(CaptionFont, Dpi);
  const auto Button = MakeDialogFont(ButtonFont, Dpi);
  DialogLayoutInput In;
  In.Caption = MeasureDialogText(FCaption, Caption.get());
  for (const auto& B : Buttons)
    In.ButtonCaptions.push_back(MeasureDialogText(B.Caption, Button.get()));
  // The fonts follow the screen's resolution; the sizes given in pixels at 96 dpi follow too,
  // so that the texts keep their room on a screen of higher resolution.
  In.Scale = Dpi / 96.0;
  In.CaptionHeight = ScaleValue(CaptionHeight, In.Scale);
  In.ButtonSpacing = ScaleValue(ButtonSpacing, In.Scale);
  In.Margin = ScaleValue(Margin, In.Scale);
  In.ButtonLayout = ButtonLayout;
  return ComputeDialogLayout(In);
}

DialogImage TSmoothMessageDialog::Render(const DialogLayout& L, int Focused,
                                         const std::vector<DialogButtonState>& Marks) const {
  EnsureGraphics();
  DialogImage Image;
  Image.Width = std::max(L.Width, 1);
  Image.Height = std::max(L.Height, 1);
  Image.Pixels.assign(static_cast<size_t>(Image.Width) * Image.Height, 0);

  const int Dpi = ScreenDpi();
  const auto CaptionGdiFont = MakeDialogFont(CaptionFont, Dpi);
  const auto ButtonGdiFont = MakeDialogFont(ButtonFont, Dpi);
  {
    Gdiplus::Bitmap Bitmap(Image.Width, Image.Height, Image.Width * 4, PixelFormat32bppPARGB,
                           reinterpret_cast<BYTE*>(Image.Pixels.data()));
    Gdiplus::Graphics G(&Bitmap);
    G.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    G.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    // Grey-scale anti-aliasing: colour-fringed text would look wrong on a translucent window.
    G.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAliasGridFit);
    G.Clear(Gdiplus::Color(0, 0, 0, 0));

    const double Scale = Dpi / 96.0;
    PaintFill(G, Scaled(Fill, Scale), AreaOf(RECT{0, 0, L.Width - 1, L.Height - 1}));
    PaintFill(G, Scaled(ButtonAreaFill, Scale), AreaOf(L.ButtonArea));
    for (size_t I = 0; I < Buttons.size() && I < L.Buttons.size(); ++I) {
      const DialogButtonState Mark = I < Marks.size() ? Marks[I] : DialogButtonState{};
      PaintButton(G, Buttons[I], L.Buttons[I], Mark, static_cast<int>(I) == Focused,
                  ButtonGdiFont.get(), ButtonFont.Color, static_cast<float>(kButtonRadius * Scale));
    }
    PaintFill(G, Scaled(CaptionFill, Scale), AreaOf(L.CaptionBand));
    if (!FCaption.empty() && CaptionFont.Color != clNone && CaptionGdiFont) {
      const TextExtent Extent = MeasureDialogText(FCaption, CaptionGdiFont.get());
      const Gdiplus::PointF At =
          CaptionOriginInBand(CaptionLocation, L.CaptionBand, Extent, CaptionLeft, CaptionTop);
      Gdiplus::SolidBrush Text(ToGdipColor(CaptionFont.Color, 255));
      G.DrawString(WidePtr(FCaption), static_cast<INT>(FCaption.size()), CaptionGdiFont.get(),
                   Gdiplus::RectF(At.X, At.Y, static_cast<float>(Extent.Width + 1),
                                  static_cast<float>(Extent.Height + 1)),
                   &DialogTextFormat(), &Text);
    }
    G.Flush(Gdiplus::FlushIntentionSync);
  }
  return Image;
}

}  // namespace vlm
