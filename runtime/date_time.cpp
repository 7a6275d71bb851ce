// runtime/date_time.cpp -- day-count dates, their text forms, and floating-point text.
// Numbers are converted with std::to_chars/std::from_chars, which ignore the C locale; the
// settings' separators are put in and taken out by hand.
#include "runtime/date_time.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <string>
#include <system_error>

#include "runtime/exception.h"
#include "runtime/upper_case.h"

namespace vlm {

namespace {

constexpr int64_t kMsPerDay = 86400000;
constexpr int64_t kMinDay = -693593;  // 0001-01-01
constexpr int64_t kMaxDay = 2958465;  // 9999-12-31

// Days since 1970-01-01 of a proleptic Gregorian date (era-based civil calendar arithmetic).
int64_t DaysFromCivil(int64_t Year, unsigned Month, unsigned Day) {
  Year -= Month <= 2;
  const int64_t Era = (Year >= 0 ? Year : Year - 399) / 400;
  const auto YearOfEra = static_cast<unsigned>(Year - Era * 400);
  const unsigned DayOfYear = (153 * (Month > 2 ? Month - 3 : Month + 9) + 2) / 5 + Day - 1;
  const unsigned DayOfEra = YearOfEra * 365 + YearOfEra / 4 - YearOfEra / 100 + DayOfYear;
  return Era * 146097 + static_cast<int64_t>(DayOfEra) - 719468;
}

void CivilFromDays(int64_t Days, int& Year, int& Month, int& Day) {
  Days += 719468;
  const int64_t Era = (Days >= 0 ? Days : Days - 146096) / 146097;
  const auto DayOfEra = static_cast<unsigned>(Days - Era * 146097);
  const unsigned YearOfEra =
      (DayOfEra - DayOfEra / 1460 + DayOfEra / 36524 - DayOfEra / 146096) / 365;
  const unsigned DayOfYear = DayOfEra - (365 * YearOfEra + YearOfEra / 4 - YearOfEra / 100);
  const unsigned MonthIndex = (5 * DayOfYear + 2) / 153;
  Day = static_cast<int>(DayOfYear - (153 * MonthIndex + 2) / 5 + 1);
  Month = static_cast<int>(MonthIndex < 10 ? MonthIndex + 3 : MonthIndex - 9);
  Year = static_cast<int>(static_cast<int64_t>(YearOfEra) + Era * 400 + (Month <= 2));
}

// 1899-12-30, day 0 of TDateTime, counted from 1970-01-01.
const int64_t kDateDelta = DaysFromCivil(1899, 12, 30);

bool IsLeapYear(int Year) {
  return Year % 4 == 0 && (Year % 100 != 0 || Year % 400 == 0);
}

int DaysInMonth(int Year, int Month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return Month == 2 && IsLeapYear(Year) ? 29 : kDays[Month - 1];
}

// Splits Value into its day (the integer part, toward zero) and the milliseconds of its time of
// day (the fraction without its sign, rounded). False for a value that is no valid date.
bool SplitDateTime(TDateTime Value, int64_t& Day, int64_t& Millis) {
  if (!std::isfinite(Value) || Value <= static_cast<double>(kMinDay - 1) ||
      Value >= static_cast<double>(kMaxDay + 1)) {
    return false;
  }
  double IntegerPart = 0;
  const double Fraction = std::modf(Value, &IntegerPart);
  Day = static_cast<int64_t>(IntegerPart);
  Millis = std::llround(std::fabs(Fraction) * static_cast<double>(kMsPerDay));
  if (Millis >= kMsPerDay) {  // rounded up into the next day, which lies away from day 0
    Millis -= kMsPerDay;
    Day += Value < 0 ? -1 : 1;
  }
  return Day >= kMinDay && Day <= kMaxDay;
}

void SplitOrRaise(TDateTime Value, int64_t& Day, int64_t& Millis) {
  if (!SplitDateTime(Value, Day, Millis)) {
    throw EConvertError(u"Invalid date and time value: " + FloatToStr(Value, IsoFormatSettings()));
  }
}

String Quoted(StringView Text) {
  return u"'" + String(Text) + u"'";
}

char16_t LowerAscii(char16_t C) {
  return C >= u'A' && C <= u'Z' ? static_cast<char16_t>(C + 32) : C;
}

bool IsDigit(char16_t C) {
  return C >= u'0' && C <= u'9';
}

// Whether Text continues at Pos with Word, ASCII letters compared without regard to case.
bool HasWordAt(StringView Format, size_t Pos, StringView Word) {
  if (Format.size() - Pos < Word.size()) return false;
  for (size_t I = 0; I < Word.size(); ++I) {
    if (LowerAscii(Format[Pos + I]) != Word[I]) return false;
  }
  return true;
}

// Whether Format holds an AM/PM element outside quoted text.
bool HasAmPmElement(StringView Format) {
  for (size_t I = 0; I < Format.size(); ++I) {
    const char16_t C = Format[I];
    if (C == u'"' || C == u'\'') {
      const size_t Close = Format.find(C, I + 1);
      if (Close == StringView::npos) return false;
      I = Close;
    } else if (HasWordAt(Format, I, u"ampm")) {
      return true;
    }
  }
  return false;
}

void AppendNumber(String& Out, int64_t Number, int MinDigits) {
  std::string Digits = std::to_string(Number);
  while (static_cast<int>(Digits.size()) < MinDigits) Digits.insert(Digits.begin(), '0');
  for (const char C : Digits) Out.push_back(static_cast<char16_t>(C));
}

// ---- Parsing -------------------------------------------------------------------------------

// A cursor over the text being parsed.
struct Scanner {
  StringView Text;
  size_t Pos = 0;

  bool AtEnd() const { return Pos >= Text.size(); }
  // Skips blanks (U+0020); returns how many.
  size_t SkipBlanks() {
    const size_t Start = Pos;
    while (!AtEnd() && Text[Pos] == u' ') ++Pos;
    return Pos - Start;
  }
  // Reads 1..MaxDigits decimal digits; false (and nothing consumed) when there are none or more.
  bool Number(int MaxDigits, int& Value, int& Digits) {
    size_t End = Pos;
    while (End < Text.size() && IsDigit(Text[End])) ++End;
    const size_t Count = End - Pos;
    if (Count == 0 || Count > static_cast<size_t>(MaxDigits)) return false;
    Value = 0;
    for (size_t I = Pos; I < End; ++I) Value = Value * 10 + (Text[I] - u'0');
    Digits = static_cast<int>(Count);
    Pos = End;
    return true;
  }
  // A separator with optional blanks around it. A blank separator is any run of blanks.
  bool Separator(char16_t Sep) {
    const size_t Start = Pos;
    const size_t Blanks = SkipBlanks();
    if (!AtEnd() && Text[Pos] == Sep) {
      ++Pos;
      SkipBlanks();
      return true;
    }
    if (Sep == u' ' && Blanks > 0) return true;
    Pos = Start;
    return false;
  }
};

// The order of the day, month and year numbers as the short date format shows them ("ymd",
// "dmy", "mdy"...). A format that lacks one of them is read as year, month, day.
String DateOrder(StringView Format) {
  String Order;
  for (size_t I = 0; I < Format.size(); ++I) {
    const char16_t C = Format[I];
    if (C == u'"' || C == u'\'') {
      const size_t Close = Format.find(C, I + 1);
      if (Close == StringView::npos) break;
      I = Close;
      continue;
    }
    const char16_t L = LowerAscii(C);
    if ((L == u'd' || L == u'm' || L == u'y') && Order.find(L) == String::npos) Order.push_back(L);
  }
  return Order.size() == 3 ? Order : String(u"ymd");
}

// A year written with one or two digits lies within 50 years of the current year.
int ExpandTwoDigitYear(int Year) {
  const auto Today = std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now());
  const int CurrentYear = static_cast<int>(std::chrono::year_month_day(Today).year());
  int Result = CurrentYear / 100 * 100 + Year;
  if (Result > CurrentYear + 50) Result -= 100;
  if (Result < CurrentYear - 50) Result += 100;
  return Result;
}

bool ScanDate(Scanner& In, const TFormatSettings& Settings, TDateTime& Value) {
  const String Order = DateOrder(Settings.ShortDateFormat);
  int Year = 0, Month = 0, Day = 0, YearDigits = 0;
  In.SkipBlanks();
  for (size_t I = 0; I < 3; ++I) {
    if (I > 0 && !In.Separator(Settings.DateSeparator)) return false;
    int Number = 0, Digits = 0;
    if (!In.Number(/*MaxDigits=*/4, Number, Digits)) return false;
    if (Order[I] == u'y') {
      Year = Number;
      YearDigits = Digits;
    } else if (Order[I] == u'm') {
      Month = Number;
    } else {
      Day = Number;
    }
  }
  // Some locales end a date with its separator ("2024. 05. 06.").
  const size_t BeforeTrailing = In.Pos;
  In.SkipBlanks();
  if (!In.AtEnd() && In.Text[In.Pos] == Settings.DateSeparator && Settings.DateSeparator != u' ') {
    ++In.Pos;
  } else {
    In.Pos = BeforeTrailing;
  }
  if (YearDigits <= 2) Year = ExpandTwoDigitYear(Year);
  return TryEncodeDate(Year, Month, Day, Value);
}

// An AM/PM marker at the cursor: 1 for AM, 2 for PM, 0 when there is none.
int ScanMarker(Scanner& In, const TFormatSettings& Settings) {
  const StringView Rest = In.Text.substr(In.Pos);
  const StringView Candidates[4] = {Settings.TimeAMString, Settings.TimePMString, u"AM", u"PM"};
  for (int I = 0; I < 4; ++I) {
    const StringView Marker = Candidates[I];
    if (Marker.empty() || Rest.size() < Marker.size()) continue;
    if (!SameText(Rest.substr(0, Marker.size()), Marker)) continue;
    In.Pos += Marker.size();
    return I % 2 == 0 ? 1 : 2;
  }
  return 0;
}

bool ScanTime(Scanner& In, const TFormatSettings& Settings, TDateTime& Value) {
  In.SkipBlanks();
  int Marker = ScanMarker(In, Settings);
  In.SkipBlanks();
  int Hour = 0, Minute = 0, Second = 0, Digits = 0;
  if (!In.Number(/*MaxDigits=*/2, Hour, Digits)) return false;
  if (!In.Separator(Settings.TimeSeparator)) return false;
  if (!In.Number(/*MaxDigits=*/2, Minute, Digits)) return false;
  const size_t AfterMinutes = In.Pos;
  if (!In.Separator(Settings.TimeSeparator) || !In.Number(/*MaxDigits=*/2, Second, Digits)) {
    In.Pos = AfterMinutes;
    Second = 0;
  }
  if (Marker == 0) {
    const size_t BeforeMarker = In.Pos;
    In.SkipBlanks();
    Marker = ScanMarker(In, Settings);
    if (Marker == 0) In.Pos = BeforeMarker;
  }
  if (Marker != 0) {
    if (Hour > 12) return false;
    Hour = Hour % 12 + (Marker == 2 ? 12 : 0);
  }
  return TryEncodeTime(Hour, Minute, Second, 0, Value);
}

bool AtEndAfterBlanks(Scanner& In) {
  In.SkipBlanks();
  return In.AtEnd();
}

}  // namespace

// ---- Encoding and decoding -------------------------------------------------------------------

bool TryEncodeDate(int Year, int Month, int Day, TDateTime& Value) {
  if (Year < 1 || Year > 9999 || Month < 1 || Month > 12) return false;
  if (Day < 1 || Day > DaysInMonth(Year, Month)) return false;
  Value = static_cast<double>(
      DaysFromCivil(Year, static_cast<unsigned>(Month), static_cast<unsigned>(Day)) - kDateDelta);
  return true;
}

bool TryEncodeTime(int Hour, int Minute, int Second, int MilliSecond, TDateTime& Value) {
  if (Hour < 0 || Hour > 23 || Minute < 0 || Minute > 59 || Second < 0 || Second > 59) return false;
  if (MilliSecond < 0 || MilliSecond > 999) return false;
  const int64_t Millis = ((Hour * 60 + Minute) * 60 + Second) * int64_t{1000} + MilliSecond;
  Value = static_cast<double>(Millis) / static_cast<double>(kMsPerDay);
  return true;
}

TDateTime EncodeDate(int Year, int Month, int Day) {
  TDateTime Value = 0;
  if (!TryEncodeDate(Year, Month, Day, Value))
    throw EConvertError(u"Invalid argument to date encode");
  return Value;
}

TDateTime EncodeTime(int Hour, int Minute, int Second, int MilliSecond) {
  TDateTime Value = 0;
  if (!TryEncodeTime(Hour, Minute, Second, MilliSecond, Value)) {
    throw EConvertError(u"Invalid argument to time encode");
  }
  return Value;
}

TDateTime ComposeDateTime(TDateTime Date, TDateTime Time) {
  return Date < 0 ? Date - std::fabs(Time) : Date + std::fabs(Time);
}

void DecodeDate(TDateTime Value, int& Year, int& Month, int& Day) {
  int64_t DayNumber = 0, Millis = 0;
  SplitOrRaise(Value, DayNumber, Millis);
  CivilFromDays(DayNumber + kDateDelta, Year, Month, Day);
}

void DecodeTime(TDateTime Value, int& Hour, int& Minute, int& Second, int& MilliSecond) {
  int64_t DayNumber = 0, Millis = 0;
  SplitOrRaise(Value, DayNumber, Millis);
  MilliSecond = static_cast<int>(Millis % 1000);
  Second = static_cast<int>(Millis / 1000 % 60);
  Minute = static_cast<int>(Millis / 60000 % 60);
  Hour = static_cast<int>(Millis / 3600000);
}

// ---- Formatting ------------------------------------------------------------------------------

String FormatDateTime(StringView Format, TDateTime Value, const TFormatSettings& Settings) {
  int Year = 0, Month = 0, Day = 0, Hour = 0, Minute = 0, Second = 0, MilliSecond = 0;
  DecodeDate(Value, Year, Month, Day);
  DecodeTime(Value, Hour, Minute, Second, MilliSecond);
  const bool TwelveHour = HasAmPmElement(Format);

  String Out;
  size_t I = 0;
  while (I < Format.size()) {
    const char16_t C = Format[I];
    const char16_t L = LowerAscii(C);
    if (C == u'"' || C == u'\'') {
      size_t Close = Format.find(C, I + 1);
      if (Close == StringView::npos) Close = Format.size();  // unterminated: the rest is literal
      Out.append(Format.substr(I + 1, Close - I - 1));
      I = Close + 1;
      continue;
    }
    if (HasWordAt(Format, I, u"ampm")) {
      const bool Pm = Hour >= 12;
      const String& Marker = Pm ? Settings.TimePMString : Settings.TimeAMString;
      Out += Marker.empty() ? String(Pm ? u"PM" : u"AM") : Marker;
      I += 4;
      continue;
    }
    if (L == u'd' || L == u'm' || L == u'y' || L == u'h' || L == u'n' || L == u's') {
      size_t Run = 1;
      while (I + Run < Format.size() && LowerAscii(Format[I + Run]) == L) ++Run;
      I += Run;
      const int Width = Run >= 2 ? 2 : 1;
      switch (L) {
        case u'd': AppendNumber(Out, Day, Width); break;
        case u'm': AppendNumber(Out, Month, Width); break;
        case u'y':
          if (Run <= 2) {
            AppendNumber(Out, Year % 100, 2);
          } else {
            AppendNumber(Out, Year, 4);
          }
          break;
        case u'h': {
          const int Shown = TwelveHour ? (Hour % 12 == 0 ? 12 : Hour % 12) : Hour;
          AppendNumber(Out, Shown, Width);
          break;
        }
        case u'n': AppendNumber(Out, Minute, Width); break;
        default: AppendNumber(Out, Second, Width); break;
      }
      continue;
    }
    if (C == u'/') {
      Out.push_back(Settings.DateSeparator);
    } else if (C == u':') {
      Out.push_back(Settings.TimeSeparator);
    } else {
      Out.push_back(C);
    }
    ++I;
  }
  return Out;
}

String DateToStr(TDateTime Value, const TFormatSettings& Settings) {
  return FormatDateTime(Settings.ShortDateFormat, Value, Settings);
}

String TimeToStr(TDateTime Value, const TFormatSettings& Settings) {
  return FormatDateTime(Settings.LongTimeFormat, Value, Settings);
}

String DateTimeToStr(TDateTime Value, const TFormatSettings& Settings) {
  return DateToStr(Value, Settings) + u" " + TimeToStr(Value, Settings);
}

// ---- Parsing dates and times -----------------------------------------------------------------

bool TryStrToDate(StringView Text, TDateTime& Value, const TFormatSettings& Settings) {
  Scanner In{Text};
  TDateTime Date = 0;
  if (!ScanDate(In, Settings, Date) || !AtEndAfterBlanks(In)) return false;
  Value = Date;
  return true;
}

bool TryStrToTime(StringView Text, TDateTime& Value, const TFormatSettings& Settings) {
  Scanner In{Text};
  TDateTime Time = 0;
  if (!ScanTime(In, Settings, Time) || !AtEndAfterBlanks(In)) return false;
  Value = Time;
  return true;
}

bool TryStrToDateTime(StringView Text, TDateTime& Value, const TFormatSettings& Settings) {
  Scanner In{Text};
  TDateTime Date = 0;
  if (ScanDate(In, Settings, Date)) {
    if (AtEndAfterBlanks(In)) {
      Value = Date;
      return true;
    }
    // The time follows after at least one blank (or directly after a trailing date separator).
    TDateTime Time = 0;
    Scanner TimeIn{Text, In.Pos};
    if (ScanTime(TimeIn, Settings, Time) && AtEndAfterBlanks(TimeIn)) {
      Value = ComposeDateTime(Date, Time);
      return true;
    }
  }
  return TryStrToTime(Text, Value, Settings);
}

TDateTime StrToDate(StringView Text, const TFormatSettings& Settings) {
  TDateTime Value = 0;
  if (!TryStrToDate(Text, Value, Settings))
    throw EConvertError(Quoted(Text) + u" is not a valid date");
  return Value;
}

TDateTime StrToTime(StringView Text, const TFormatSettings& Settings) {
  TDateTime Value = 0;
  if (!TryStrToTime(Text, Value, Settings))
    throw EConvertError(Quoted(Text) + u" is not a valid time");
  return Value;
}

TDateTime StrToDateTime(StringView Text, const TFormatSettings& Settings) {
  TDateTime Value = 0;
  if (!TryStrToDateTime(Text, Value, Settings)) {
    throw EConvertError(Quoted(Text) + u" is not a valid date and time");
  }
  return Value;
}

// ---- Floating-point numbers ------------------------------------------------------------------

String FloatToStr(double Value, const TFormatSettings& Settings) {
  if (std::isnan(Value)) return u"NAN";
  if (std::isinf(Value)) return Value < 0 ? u"-INF" : u"INF";
  if (Value == 0) return u"0";  // also for negative zero
  char Buffer[64];
  const auto Result = std::to_chars(Buffer, Buffer + sizeof Buffer, Value,
                                    std::chars_format::general, /*precision=*/15);
  const std::string_view Text(Buffer, static_cast<size_t>(Result.ptr - Buffer));
  String Out;
  const size_t Exponent = Text.find('e');
  for (const char C : Text.substr(0, Exponent)) {
    Out.push_back(C == '.' ? Settings.DecimalSeparator : static_cast<char16_t>(C));
  }
  if (Exponent != std::string_view::npos) {
    // "e+20" becomes "E20", "e-07" becomes "E-7".
    std::string_view Power = Text.substr(Exponent + 1);
    Out.push_back(u'E');
    if (Power.front() == '-') Out.push_back(u'-');
    if (Power.front() == '-' || Power.front() == '+') Power.remove_prefix(1);
    while (Power.size() > 1 && Power.front() == '0') Power.remove_prefix(1);
    for (const char C : Power) Out.push_back(static_cast<char16_t>(C));
  }
  return Out;
}

bool TryStrToFloat(StringView Text, double& Value, const TFormatSettings& Settings) {
  size_t Start = 0, End = Text.size();
  while (Start < End && Text[Start] == u' ') ++Start;
  while (End > Start && Text[End - 1] == u' ') --End;
  const StringView Body = Text.substr(Start, End - Start);
  if (SameText(Body, u"NAN")) {
    Value = std::nan("");
    return true;
  }
  for (const StringView Infinity : {u"INF", u"+INF", u"-INF"}) {
    if (SameText(Body, Infinity)) {
      Value = Infinity[0] == u'-' ? -HUGE_VAL : HUGE_VAL;
      return true;
    }
  }
  // Rewrite into the form from_chars reads: ASCII, "." as the point, no leading "+".
  std::string Ascii;
  size_t I = 0;
  if (I < Body.size() && (Body[I] == u'+' || Body[I] == u'-')) {
    if (Body[I] == u'-') Ascii.push_back('-');
    ++I;
  }
  if (I == Body.size() || Body[I] == u'+' || Body[I] == u'-') return false;
  for (; I < Body.size(); ++I) {
    const char16_t C = Body[I];
    if (C == Settings.DecimalSeparator) {
      Ascii.push_back('.');
    } else if (IsDigit(C) || C == u'+' || C == u'-') {
      Ascii.push_back(static_cast<char>(C));
    } else if (C == u'e' || C == u'E') {
      Ascii.push_back('e');
    } else {
      return false;  // also "." when the separator is another character
    }
  }
  double Parsed = 0;
  const char* First = Ascii.data();
  const char* Last = First + Ascii.size();
  const auto Result = std::from_chars(First, Last, Parsed, std::chars_format::general);
  if (Result.ec != std::errc() || Result.ptr != Last) return false;
  Value = Parsed;
  return true;
}

double StrToFloat(StringView Text, const TFormatSettings& Settings) {
  double Value = 0;
  if (!TryStrToFloat(Text, Value, Settings)) {
    throw EConvertError(Quoted(Text) + u" is not a valid floating point value");
  }
  return Value;
}

}  // namespace vlm
