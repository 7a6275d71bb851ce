// ui/forms/font.cpp -- font creation with the family fallback.
#include "ui/forms/font.h"

#include <cmath>

namespace vlm {

int PixelsToPoints(int PixelHeight) {
  return static_cast<int>(std::lround(PixelHeight * 72.0 / 96.0));
}

std::unique_ptr<Gdiplus::FontFamily> ResolveFontFamily(const String& Name) {
  EnsureGraphics();
  for (const String& Candidate : {Name, String(u"Arial")}) {
    auto Family = std::make_unique<Gdiplus::FontFamily>(WidePtr(Candidate));
    if (Family->GetLastStatus() == Gdiplus::Ok && Family->IsAvailable()) return Family;
  }
  // A bare system may have neither family; its generic sans-serif family is always there.
  return std::unique_ptr<Gdiplus::FontFamily>(Gdiplus::FontFamily::GenericSansSerif()->Clone());
}

INT GdipFontStyle(const TFont& Font) {
  INT Style = Gdiplus::FontStyleRegular;
  if (Font.Bold) Style |= Gdiplus::FontStyleBold;
  if (Font.Italic) Style |= Gdiplus::FontStyleItalic;
  if (Font.Underline) Style |= Gdiplus::FontStyleUnderline;
  return Style;
}

std::unique_ptr<Gdiplus::Font> CreateGdipFont(const TFont& Font) {
  const auto Family = ResolveFontFamily(Font.Name);
  return std::make_unique<Gdiplus::Font>(Family.get(),
                                         static_cast<Gdiplus::REAL>(PixelsToPoints(Font.Height)),
                                         GdipFontStyle(Font), Gdiplus::UnitPoint);
}

HFONT CreateWindowFont(const TFont& Font, double Scale) {
  LOGFONTW Log = {};
  Log.lfHeight = -static_cast<LONG>(std::lround(Font.Height * Scale));
  Log.lfWeight = Font.Bold ? FW_BOLD : FW_NORMAL;
  Log.lfItalic = Font.Italic;
  Log.lfUnderline = Font.Underline;
  Log.lfCharSet = DEFAULT_CHARSET;
  Log.lfQuality = CLEARTYPE_QUALITY;
  const String Name = Font.Name.substr(0, LF_FACESIZE - 1);
  wcsncpy(Log.lfFaceName, WidePtr(Name), LF_FACESIZE - 1);
  return CreateFontIndirectW(&Log);
}

}  // namespace vlm
