// ui/forms/font.h -- fonts as the window describes them: a family, a character height in pixels
// at 96 dpi, a colour, and the styles bold, italic and underline.
#pragma once

#include <memory>

#include "runtime/string.h"
#include "ui/forms/color.h"
#include "ui/forms/gdiplus_api.h"

namespace vlm {

struct TFont {
  String Name = u"Tahoma";
  int Height = 27;  // character height in pixels at 96 dpi
  bool Bold = false;
  TColor Color = clBlack;
  bool Italic = false;
  bool Underline = false;
};

// Bold, italic and underline of Font as a GDI+ font style.
INT GdipFontStyle(const TFont& Font);

// The character height as whole points at 96 dpi (27 px -> 20 pt, 64 px -> 48 pt).
int PixelsToPoints(int PixelHeight);

// The family to draw with: Name when it is installed, else Arial, else the system's generic
// sans-serif family, so that text never silently vanishes.
std::unique_ptr<Gdiplus::FontFamily> ResolveFontFamily(const String& Name);

// The font at its size in whole points; the graphics' resolution scales it on screens of other
// than 96 dpi.
std::unique_ptr<Gdiplus::Font> CreateGdipFont(const TFont& Font);

// A plain window font (for child windows that draw with the platform's text routines) at Scale.
HFONT CreateWindowFont(const TFont& Font, double Scale);

}  // namespace vlm
