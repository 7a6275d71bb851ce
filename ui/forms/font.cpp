// ui/forms/font.cpp -- font creation with the family fallback.
#include "ui/forms/font.h"

#include <cmath>

namespace vlm {

int PixelsToPoints(int PixelHeight) {
  return static_cast<int>(std::lround(PixelHeight * 72.0 / 96.0));
}

std::unique_ptr<Gdiplus::FontFamily> LookUpInstalledFamily(const String& Name) {
  auto Family = std::make_unique<Gdiplus::FontFamily>(WidePtr(Name));
  if (Family->GetLastStatus() != Gdiplus::Ok || !Family->IsAvailable()) return nullptr;
  return Family;
}

namespace {

TFontFamilyLookup FamilyLookup = LookUpInstalledFamily;

// The name of the family GDI+ calls generic sans-serif; empty when the system has none (wine
// without its own fonts answers with a family that has no native object).
String GenericSansSerifName() {
  const Gdiplus::FontFamily* Generic = Gdiplus::FontFamily::GenericSansSerif();
  WCHAR Name[LF_FACESIZE] = {};
  if (!Generic || Generic->GetLastStatus() != Gdiplus::Ok ||
      Generic->GetFamilyName(Name) != Gdiplus::Ok) {
    return {};
  }
  return FromWide(Name);
}

// The face the platform really selects for the stock GUI font: whatever the system still offers.
String StockGuiFontFace() {
  HDC Screen = GetDC(nullptr);
  if (!Screen) return {};
  const HGDIOBJ Old = SelectObject(Screen, GetStockObject(DEFAULT_GUI_FONT));
  WCHAR Face[LF_FACESIZE] = {};
  const int Length = GetTextFaceW(Screen, LF_FACESIZE, Face);
  SelectObject(Screen, Old);
  ReleaseDC(nullptr, Screen);
  return Length > 0 ? FromWide(Face) : String();
}

}  // namespace

TFontFamilyLookup SetFontFamilyLookup(TFontFamilyLookup Lookup) {
  const TFontFamilyLookup Previous = FamilyLookup;
  FamilyLookup = Lookup ? Lookup : LookUpInstalledFamily;
  return Previous;
}

std::unique_ptr<Gdiplus::FontFamily> ResolveFontFamily(const String& Name) {
  EnsureGraphics();
  for (const String& Candidate : {Name, String(u"Arial")}) {
    if (auto Family = FamilyLookup(Candidate)) return Family;
  }
  // A bare system may have neither family; then its generic sans-serif family, then the stock
  // GUI font's face. Each is asked for only when the one before it is missing.
  for (String (*Fallback)() : {GenericSansSerifName, StockGuiFontFace}) {
    const String Candidate = Fallback();
    if (Candidate.empty()) continue;
    if (auto Family = FamilyLookup(Candidate)) return Family;
  }
  return nullptr;
}

INT GdipFontStyle(const TFont& Font) {
  INT Style = Gdiplus::FontStyleRegular;
  if (Font.Bold) Style |= Gdiplus::FontStyleBold;
  if (Font.Italic) Style |= Gdiplus::FontStyleItalic;
  if (Font.Underline) Style |= Gdiplus::FontStyleUnderline;
  return Style;
}

std::unique_ptr<Gdiplus::Font> CreateGdipFont(const TFont& Font, float Size, Gdiplus::Unit Unit) {
  const auto Family = ResolveFontFamily(Font.Name);
  if (!Family) return nullptr;
  auto Made = std::make_unique<Gdiplus::Font>(Family.get(), Size, GdipFontStyle(Font), Unit);
  if (Made->GetLastStatus() != Gdiplus::Ok || !Made->IsAvailable()) return nullptr;
  return Made;
}

std::unique_ptr<Gdiplus::Font> CreateGdipFont(const TFont& Font) {
  return CreateGdipFont(Font, static_cast<float>(PixelsToPoints(Font.Height)), Gdiplus::UnitPoint);
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
