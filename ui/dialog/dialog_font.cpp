// ui/dialog/dialog_font.cpp -- fonts, the family fallback and text measuring for the dialog.
#include "ui/dialog/dialog_font.h"

#include <cmath>

namespace vlm {

std::unique_ptr<Gdiplus::Font> MakeDialogFont(const TFont& Font, int Dpi) {
  // Sized in pixels at the screen's resolution so that the result does not depend on the
  // resolution GDI+ assumes for an off-screen bitmap.
  const float EmPixels = static_cast<float>(PixelsToPoints(Font.Height) * Dpi / 72.0);
  return CreateGdipFont(Font, EmPixels, Gdiplus::UnitPixel);
}

int ScreenDpi() {
  HDC Screen = GetDC(nullptr);
  const int Dpi = GetDeviceCaps(Screen, LOGPIXELSY);
  ReleaseDC(nullptr, Screen);
  return Dpi > 0 ? Dpi : 96;
}

Gdiplus::StringFormat& DialogTextFormat() {
  static Gdiplus::StringFormat* Format = [] {
    EnsureGraphics();
    auto* F = new Gdiplus::StringFormat();  // lives as long as the process, like GDI+ itself
    F->SetFormatFlags(Gdiplus::StringFormatFlagsNoWrap);
    F->SetHotkeyPrefix(Gdiplus::HotkeyPrefixShow);
    return F;
  }();
  return *Format;
}

TextExtent MeasureDialogText(const String& Text, const Gdiplus::Font* Font) {
  if (Text.empty() || !Font) return {};
  HDC Screen = GetDC(nullptr);
  TextExtent Extent;
  {
    Gdiplus::Graphics G(Screen);
    G.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAliasGridFit);
    Gdiplus::RectF Box;
    G.MeasureString(WidePtr(Text), static_cast<INT>(Text.size()), Font,
                    Gdiplus::RectF(0, 0, 10000, 10000), &DialogTextFormat(), &Box);
    Extent.Width = static_cast<int>(std::ceil(Box.Width));
    Extent.Height = static_cast<int>(std::ceil(Box.Height));
  }
  ReleaseDC(nullptr, Screen);
  return Extent;
}

}  // namespace vlm
