// runtime/win32/format_settings_win32.cpp -- format settings from the user's Windows locale.
// The locale's date and time pictures ("M/d/yyyy", "h:mm:ss tt") are translated into the format
// elements of runtime/format_settings.h. Only numeric dates exist there, so that what is written
// can be read back: a picture with month or weekday names, eras or anything else unknown is
// replaced by a numeric one in the locale's own order of day, month and year.
#include "runtime/format_settings.h"

#include <vector>

#include "runtime/win32/win32_api.h"

namespace vlm {

namespace {

String LocaleText(LCTYPE Type) {
  wchar_t Buffer[128];
  const int Length = ::GetLocaleInfoW(LOCALE_USER_DEFAULT, Type, Buffer, 128);
  if (Length <= 1) return String();
  return FromWide(Buffer, static_cast<size_t>(Length - 1));  // the count includes the U+0000
}

char16_t FirstCharOr(const String& Text, char16_t Fallback) {
  return Text.empty() ? Fallback : Text[0];
}

bool IsLetter(char16_t C) {
  return (C >= u'a' && C <= u'z') || (C >= u'A' && C <= u'Z');
}

// One element of a picture: a run of one letter, or one other character (Letter 0).
struct Element {
  char16_t Letter;
  size_t Run;
  char16_t Literal;
};

// Splits a picture into elements; false for quoted text, which the translation does not carry.
bool SplitPicture(const String& Picture, std::vector<Element>& Elements) {
  for (size_t I = 0; I < Picture.size();) {
    const char16_t C = Picture[I];
    if (C == u'\'' || C == u'"') return false;
    size_t Run = 1;
    if (IsLetter(C)) {
      while (I + Run < Picture.size() && Picture[I + Run] == C) ++Run;
      Elements.push_back({C, Run, 0});
    } else {
      Elements.push_back({0, 1, C});
    }
    I += Run;
  }
  return true;
}

// The separator of a picture: its first non-blank literal character after a number element.
char16_t PictureSeparator(const std::vector<Element>& Elements) {
  bool SawNumber = false;
  for (const Element& E : Elements) {
    if (E.Letter != 0 && E.Letter != u't') SawNumber = true;
    if (E.Letter == 0 && SawNumber && E.Literal != u' ') return E.Literal;
  }
  return 0;
}

// A literal character of a picture in our notation: "/" and ":" stand for the separators there,
// so they stay bare only where they are the separator and are quoted otherwise.
void AppendLiteral(String& Out, char16_t C, char16_t Separator, char16_t SeparatorSymbol) {
  const bool Special = C == u'/' || C == u':';
  if (Special && !(C == SeparatorSymbol && C == Separator)) {
    Out += u"'";
    Out.push_back(C);
    Out += u"'";
  } else {
    Out.push_back(C);
  }
}

// The date picture: d and dd, M and MM, y to yyyy, and punctuation between them. DateSeparator
// becomes the first non-blank character after a number.
void TranslateDate(const String& Picture, TFormatSettings& Settings) {
  std::vector<Element> Elements;
  bool Usable = SplitPicture(Picture, Elements);
  char16_t Separator = PictureSeparator(Elements);
  if (Separator == 0) Separator = FirstCharOr(LocaleText(LOCALE_SDATE), u'/');
  String Out, Order;
  for (const Element& E : Elements) {
    if (!Usable) break;
    if (E.Letter == 0) {
      AppendLiteral(Out, E.Literal, Separator, u'/');
    } else if (E.Letter == u'd' && E.Run <= 2) {
      Out.append(E.Run, u'd');
      Order.push_back(u'd');
    } else if (E.Letter == u'M' && E.Run <= 2) {
      Out.append(E.Run, u'm');
      Order.push_back(u'm');
    } else if (E.Letter == u'y') {
      Out += E.Run <= 2 ? u"yy" : u"yyyy";
      Order.push_back(u'y');
    } else {
      Usable = false;  // names of months or weekdays, eras: not carried
    }
  }
  Settings.DateSeparator = Separator;
  const bool Complete = Order.size() == 3 && Order.find(u'd') != String::npos &&
                        Order.find(u'm') != String::npos && Order.find(u'y') != String::npos;
  if (Usable && Complete) {
    Settings.ShortDateFormat = Out;
    return;
  }
  // The numeric form in the locale's order (LOCALE_IDATE: 0 month-day-year, 1 day-month-year,
  // 2 year-month-day).
  const String Kind = LocaleText(LOCALE_IDATE);
  if (Kind == u"0") {
    Settings.ShortDateFormat = u"mm/dd/yyyy";
  } else if (Kind == u"1") {
    Settings.ShortDateFormat = u"dd/mm/yyyy";
  } else {
    Settings.ShortDateFormat = u"yyyy/mm/dd";
  }
}

// The time picture: h and hh (12-hour), H and HH (24-hour), m and mm, s and ss, t and tt (the
// AM/PM marker). Our hours follow the marker: 12-hour exactly when an "ampm" element is present.
void TranslateTime(const String& Picture, TFormatSettings& Settings) {
  std::vector<Element> Elements;
  bool Usable = SplitPicture(Picture, Elements);
  char16_t Separator = PictureSeparator(Elements);
  if (Separator == 0) Separator = FirstCharOr(LocaleText(LOCALE_STIME), u':');
  String Out;
  bool SawHour = false, SawMinute = false, SawMarker = false;
  for (const Element& E : Elements) {
    if (!Usable) break;
    if (E.Letter == 0) {
      AppendLiteral(Out, E.Literal, Separator, u':');
    } else if ((E.Letter == u'h' || E.Letter == u'H') && E.Run <= 2) {
      Out.append(E.Run, u'h');
      SawHour = true;
    } else if (E.Letter == u'm' && E.Run <= 2) {
      Out.append(E.Run, u'n');
      SawMinute = true;
    } else if (E.Letter == u's' && E.Run <= 2) {
      Out.append(E.Run, u's');
    } else if (E.Letter == u't' && E.Run <= 2) {
      Out += u"ampm";
      SawMarker = true;
    } else {
      Usable = false;
    }
  }
  Settings.TimeSeparator = Separator;
  if (Usable && SawHour && SawMinute) {
    Settings.LongTimeFormat = Out;
    return;
  }
  Settings.LongTimeFormat = SawMarker ? u"hh:nn:ss ampm" : u"hh:nn:ss";
}

TFormatSettings LocaleFormatSettings() {
  TFormatSettings Settings = IsoFormatSettings();
  TranslateDate(LocaleText(LOCALE_SSHORTDATE), Settings);
  TranslateTime(LocaleText(LOCALE_STIMEFORMAT), Settings);
  Settings.DecimalSeparator = FirstCharOr(LocaleText(LOCALE_SDECIMAL), u'.');
  Settings.TimeAMString = LocaleText(LOCALE_S1159);
  Settings.TimePMString = LocaleText(LOCALE_S2359);
  return Settings;
}

}  // namespace

const TFormatSettings& FormatSettings() {
  static const TFormatSettings Settings = LocaleFormatSettings();
  return Settings;
}

}  // namespace vlm
