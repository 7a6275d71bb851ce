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

// How a family name becomes an installed family: GDI+'s lookup, answering null when the name is
// not installed. Tests replace it to play a system without fonts.
using TFontFamilyLookup = std::unique_ptr<Gdiplus::FontFamily> (*)(const String& Name);
std::unique_ptr<Gdiplus::FontFamily> LookUpInstalledFamily(const String& Name);
// Makes Lookup the one every later font creation uses; returns the one it replaces.
TFontFamilyLookup SetFontFamilyLookup(TFontFamilyLookup Lookup);

// The family to draw with: Name when it is installed, else Arial, else the system's generic
// sans-serif family, else the face of the stock GUI font; null when the system offers none of
// them (a system without fonts), and text is then left out.
std::unique_ptr<Gdiplus::FontFamily> ResolveFontFamily(const String& Name);

// The font at its size in whole points; the graphics' resolution scales it on screens of other
// than 96 dpi. Null when no family can be had (see ResolveFontFamily).
std::unique_ptr<Gdiplus::Font> CreateGdipFont(const TFont& Font);

// A font of Family at Size in Unit with Font's styles, or null when the family refuses them.
std::unique_ptr<Gdiplus::Font> CreateGdipFont(const TFont& Font, float Size, Gdiplus::Unit Unit);

// A plain window font (for child windows that draw with the platform's text routines) at Scale.
HFONT CreateWindowFont(const TFont& Font, double Scale);

}  // namespace vlm
