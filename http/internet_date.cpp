// http/internet_date.cpp -- reading and writing Internet dates; GMT and local time.
#include "http/internet_date.h"

#include <chrono>
#include <cmath>
#include <cstdint>
#include <ctime>
#include <mutex>
#include <vector>

#include "runtime/exception.h"
#include "runtime/upper_case.h"

namespace vlm {

namespace {

constexpr const char16_t* kDayNames[7] = {u"Sun", u"Mon", u"Tue", u"Wed", u"Thu", u"Fri", u"Sat"};
constexpr const char16_t* kMonthNames[12] = {u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun",
                                             u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"};
constexpr const char16_t* kFullDayNames[7] = {u"Sunday",   u"Monday", u"Tuesday", u"Wednesday",
                                              u"Thursday", u"Friday", u"Saturday"};
constexpr const char16_t* kFullMonthNames[12] = {
    u"January", u"February", u"March",     u"April",   u"May",      u"June",
    u"July",    u"August",   u"September", u"October", u"November", u"December"};

// Day 0 of TDateTime (1899-12-30) is this many days before 1970-01-01.
constexpr double kUnixEpochDays = 25569.0;

bool IsDigit(char16_t C) {
  return C >= u'0' && C <= u'9';
}
bool IsLetter(char16_t C) {
  return (C >= u'a' && C <= u'z') || (C >= u'A' && C <= u'Z');
}

bool AllDigits(StringView Text) {
  if (Text.empty()) return false;
  for (char16_t C : Text) {
    if (!IsDigit(C)) return false;
  }
  return true;
}

// A short run of digits as a number; false for anything else (at most 9 digits, so no overflow).
bool SmallNumber(StringView Text, int& Value) {
  if (!AllDigits(Text) || Text.size() > 9) return false;
  Value = 0;
  for (char16_t C : Text) Value = Value * 10 + (C - u'0');
  return true;
}

int MonthOf(StringView Word) {
  for (int I = 0; I < 12; ++I) {
    if (SameText(Word, kMonthNames[I]) || SameText(Word, kFullMonthNames[I])) return I + 1;
  }
  return 0;
}

bool IsDayName(StringView Word) {
  for (int I = 0; I < 7; ++I) {
    if (SameText(Word, kDayNames[I]) || SameText(Word, kFullDayNames[I])) return true;
  }
  return false;
}

// Minutes east of GMT for a zone name; false when the word is no zone.
bool ZoneOffset(StringView Word, int& Minutes) {
  struct Zone {
    const char16_t* Name;
    int Minutes;
  };
  static constexpr Zone kZones[] = {{u"GMT", 0},       {u"UT", 0},        {u"UTC", 0},
                                    {u"Z", 0},         {u"EST", -5 * 60}, {u"EDT", -4 * 60},
                                    {u"CST", -6 * 60}, {u"CDT", -5 * 60}, {u"MST", -7 * 60},
                                    {u"MDT", -6 * 60}, {u"PST", -8 * 60}, {u"PDT", -7 * 60}};
  for (const Zone& Z : kZones) {
    if (SameText(Word, Z.Name)) {
      Minutes = Z.Minutes;
      return true;
    }
  }
  return false;
}

std::vector<StringView> SplitAt(StringView Text, char16_t Separator) {
  std::vector<StringView> Parts;
  size_t Start = 0;
  for (;;) {
    const size_t At = Text.find(Separator, Start);
    Parts.push_back(Text.substr(Start, At == StringView::npos ? StringView::npos : At - Start));
    if (At == StringView::npos) return Parts;
    Start = At + 1;
  }
}

struct DateParts {
  int Day = -1, Month = 0, Year = -1;
  int Hour = 0, Minute = 0, Second = 0;
  bool HasTime = false, HasZone = false;
  int ZoneMinutes = 0;
};

bool ReadTime(StringView Token, DateParts& P) {
  if (P.HasTime) return false;
  const auto Parts = SplitAt(Token, u':');
  if (Parts.size() < 2 || Parts.size() > 3) return false;
  if (!SmallNumber(Parts[0], P.Hour) || !SmallNumber(Parts[1], P.Minute)) return false;
  if (Parts.size() == 3 && !SmallNumber(Parts[2], P.Second)) return false;
  P.HasTime = true;
  return true;
}

bool ReadYear(StringView Token, DateParts& P) {
  if (P.Year >= 0 || !SmallNumber(Token, P.Year)) return false;
  if (Token.size() <= 2) P.Year += P.Year < 70 ? 2000 : 1900;
  return true;
}

bool ReadToken(StringView Token, DateParts& P) {
  if (Token.find(u':') != StringView::npos) return ReadTime(Token, P);

  // A numeric zone: "+0200", "-0530".
  if ((Token[0] == u'+' || Token[0] == u'-') && Token.size() == 5 && AllDigits(Token.substr(1))) {
    if (P.HasZone) return false;
    int Hours = 0, Minutes = 0;
    SmallNumber(Token.substr(1, 2), Hours);
    SmallNumber(Token.substr(3, 2), Minutes);
    if (Minutes > 59) return false;
    P.ZoneMinutes = (Token[0] == u'-' ? -1 : 1) * (Hours * 60 + Minutes);
    P.HasZone = true;
    return true;
  }

  // "06-Nov-94": day, month and year in one token.
  if (Token.find(u'-') != StringView::npos) {
    const auto Parts = SplitAt(Token, u'-');
    if (Parts.size() != 3 || P.Day >= 0 || P.Month != 0) return false;
    if (!SmallNumber(Parts[0], P.Day) || Parts[0].size() > 2) return false;
    P.Month = MonthOf(Parts[1]);
    return P.Month != 0 && ReadYear(Parts[2], P);
  }

  if (IsLetter(Token[0])) {
    for (char16_t C : Token) {
      if (!IsLetter(C)) return false;
    }
    if (IsDayName(Token)) return true;  // the day name carries nothing the date does not
    if (const int Month = MonthOf(Token); Month != 0) {
      if (P.Month != 0) return false;
      P.Month = Month;
      return true;
    }
    if (P.HasZone) return false;
    P.HasZone = ZoneOffset(Token, P.ZoneMinutes);
    return P.HasZone;
  }

  if (!AllDigits(Token)) return false;
  if (P.Day < 0 && Token.size() <= 2) return SmallNumber(Token, P.Day);
  return ReadYear(Token, P);
}

std::mutex& TimeLibraryLock() {
  static std::mutex Lock;  // localtime() returns shared storage
  return Lock;
}

int64_t DaysFromCivil(int64_t Y, int M, int D) {
  Y -= M <= 2;
  const int64_t Era = (Y >= 0 ? Y : Y - 399) / 400;
  const int64_t Yoe = Y - Era * 400;
  const int64_t Doy = (153 * (M + (M > 2 ? -3 : 9)) + 2) / 5 + D - 1;
  const int64_t Doe = Yoe * 365 + Yoe / 4 - Yoe / 100 + Doy;
  return Era * 146097 + Doe - 719468;
}

// Seconds that local time is ahead of GMT at the moment T; false when the platform cannot say.
bool TryLocalOffsetAt(std::time_t T, int64_t& Seconds) {
  std::lock_guard<std::mutex> Guard(TimeLibraryLock());
  const std::tm* Local = std::localtime(&T);
  if (!Local) return false;
  const int64_t LocalSeconds =
      DaysFromCivil(Local->tm_year + 1900, Local->tm_mon + 1, Local->tm_mday) * 86400 +
      Local->tm_hour * 3600 + Local->tm_min * 60 + Local->tm_sec;
  Seconds = LocalSeconds - static_cast<int64_t>(T);
  return true;
}

int64_t LocalOffsetAt(double UnixSeconds) {
  int64_t Offset = 0;
  // Beyond +-2^40 seconds no platform converts; the present offset is the best guess there.
  if (std::fabs(UnixSeconds) < 1e12 &&
      TryLocalOffsetAt(static_cast<std::time_t>(std::floor(UnixSeconds)), Offset)) {
    return Offset;
  }
  if (TryLocalOffsetAt(std::time(nullptr), Offset)) return Offset;
  return 0;
}

double ToUnixSeconds(TDateTime Value) {
  return (Value - kUnixEpochDays) * 86400.0;
}

String TwoDigits(int Value) {
  return String(1, static_cast<char16_t>(u'0' + Value / 10 % 10)) +
         static_cast<char16_t>(u'0' + Value % 10);
}

}  // namespace

InternetDateResult ParseInternetDate(StringView Text, TDateTime& Gmt) {
  DateParts P;
  size_t I = 0;
  bool Any = false;
  while (I < Text.size()) {
    const char16_t C = Text[I];
    if (C == u' ' || C == u'\t' || C == u',') {
      ++I;
      continue;
    }
    size_t End = I;
    while (End < Text.size() && Text[End] != u' ' && Text[End] != u'\t' && Text[End] != u',') {
      ++End;
    }
    if (!ReadToken(Text.substr(I, End - I), P)) return InternetDateResult::Unreadable;
    Any = true;
    I = End;
  }
  if (!Any || P.Day < 0 || P.Month == 0 || P.Year < 0) return InternetDateResult::Unreadable;

  TDateTime Date = 0, Time = 0;
  if (!TryEncodeDate(P.Year, P.Month, P.Day, Date) ||
      !TryEncodeTime(P.Hour, P.Minute, P.Second, 0, Time)) {
    return InternetDateResult::OutOfRange;
  }
  Gmt = Date + Time - SecondsToDateTime(P.ZoneMinutes * 60.0);
  return InternetDateResult::Ok;
}

TDateTime InternetDateToLocal(StringView Text) {
  TDateTime Gmt = 0;
  if (ParseInternetDate(Text, Gmt) != InternetDateResult::Ok) return 0;
  return GmtToLocal(Gmt);
}

String GmtToInternetDate(TDateTime Gmt) {
  int Year = 0, Month = 0, Day = 0, Hour = 0, Minute = 0, Second = 0, MilliSecond = 0;
  DecodeDate(Gmt, Year, Month, Day);
  DecodeTime(Gmt, Hour, Minute, Second, MilliSecond);
  // 1899-12-30 was a Saturday.
  const int64_t Days = static_cast<int64_t>(std::floor(Gmt + 0.5 / 86400000.0));
  const int DayOfWeek = static_cast<int>(((Days + 6) % 7 + 7) % 7);
  String YearText;
  for (int Div = 1000; Div >= 1; Div /= 10)
    YearText += static_cast<char16_t>(u'0' + Year / Div % 10);
  return String(kDayNames[DayOfWeek]) + u", " + TwoDigits(Day) + u" " + kMonthNames[Month - 1] +
         u" " + YearText + u" " + TwoDigits(Hour) + u":" + TwoDigits(Minute) + u":" +
         TwoDigits(Second) + u" GMT";
}

String LocalToInternetDate(TDateTime Local) {
  return GmtToInternetDate(LocalToGmt(Local));
}

TDateTime GmtToLocal(TDateTime Gmt) {
  return Gmt + SecondsToDateTime(static_cast<double>(LocalOffsetAt(ToUnixSeconds(Gmt))));
}

TDateTime LocalToGmt(TDateTime Local) {
  // The offset depends on the GMT moment we are looking for; two rounds settle it, also next to
  // a daylight saving change.
  const double AsIfGmt = ToUnixSeconds(Local);
  const int64_t First = LocalOffsetAt(AsIfGmt);
  const int64_t Second = LocalOffsetAt(AsIfGmt - static_cast<double>(First));
  return Local - SecondsToDateTime(static_cast<double>(Second));
}

TDateTime NetLocalNow() {
  using namespace std::chrono;
  const auto Ms = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
  return GmtToLocal(kUnixEpochDays + static_cast<double>(Ms) / 86400000.0);
}

}  // namespace vlm
