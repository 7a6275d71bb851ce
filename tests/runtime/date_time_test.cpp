// tests/runtime/date_time_test.cpp -- day-count dates, their text forms under explicit and process
// format settings, and floating-point text.
#include "runtime/date_time.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "runtime/exception.h"

namespace vlm {
namespace {

TFormatSettings UsSettings() {
  TFormatSettings S;
  S.ShortDateFormat = u"m/d/yyyy";
  S.LongTimeFormat = u"h:nn:ss ampm";
  S.DateSeparator = u'/';
  S.TimeSeparator = u':';
  S.DecimalSeparator = u'.';
  S.TimeAMString = u"AM";
  S.TimePMString = u"PM";
  return S;
}

TFormatSettings GermanSettings() {
  TFormatSettings S;
  S.ShortDateFormat = u"dd.mm.yyyy";
  S.LongTimeFormat = u"hh:nn:ss";
  S.DateSeparator = u'.';
  S.TimeSeparator = u':';
  S.DecimalSeparator = u',';
  return S;
}

// A locale whose dates end with their separator and whose markers are not Latin.
TFormatSettings TrailingSeparatorSettings() {
  TFormatSettings S;
  S.ShortDateFormat = u"yyyy. mm. dd.";
  S.LongTimeFormat = u"ampm h:nn:ss";
  S.DateSeparator = u'.';
  S.TimeSeparator = u':';
  S.DecimalSeparator = u',';
  S.TimeAMString = u"午前";
  S.TimePMString = u"午後";
  return S;
}

// ---- Day counts ------------------------------------------------------------------------------

TEST(DateTime, EncodesDaysSinceTheEndOf1899) {
  EXPECT_EQ(EncodeDate(1899, 12, 30), 0);
  EXPECT_EQ(EncodeDate(1899, 12, 31), 1);
  EXPECT_EQ(EncodeDate(1900, 3, 1), 61);
  EXPECT_EQ(EncodeDate(2000, 1, 1), 36526);
  EXPECT_EQ(EncodeDate(2024, 2, 29), 45351);
  EXPECT_EQ(EncodeDate(1, 1, 1), -693593);
  EXPECT_EQ(EncodeDate(9999, 12, 31), 2958465);
  EXPECT_EQ(EncodeTime(12, 0, 0, 0), 0.5);
  EXPECT_EQ(EncodeTime(6, 0, 0, 0), 0.25);
  EXPECT_EQ(EncodeTime(0, 0, 0, 0), 0);
}

TEST(DateTime, RefusesDatesAndTimesOutOfRange) {
  const int BadDates[][3] = {{2023, 2, 29}, {1900, 2, 29}, {2024, 13, 1}, {2024, 0, 1},
                             {2024, 4, 31}, {2024, 1, 0},  {0, 1, 1},     {10000, 1, 1}};
  for (const auto& D : BadDates) {
    EXPECT_THROW(EncodeDate(D[0], D[1], D[2]), EConvertError) << D[0] << "-" << D[1] << "-" << D[2];
  }
  EXPECT_NO_THROW(EncodeDate(2000, 2, 29));
  EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
  EXPECT_THROW(EncodeTime(0, 60, 0, 0), EConvertError);
  EXPECT_THROW(EncodeTime(0, 0, 60, 0), EConvertError);
  EXPECT_THROW(EncodeTime(0, 0, 0, 1000), EConvertError);
  EXPECT_THROW(EncodeTime(-1, 0, 0, 0), EConvertError);
}

TEST(DateTime, DecodeInvertsEncodeAcrossTheWholeRange) {
  for (int64_t Day = -693593; Day <= 2958465; Day += 997) {
    int Y = 0, M = 0, D = 0;
    DecodeDate(static_cast<double>(Day), Y, M, D);
    ASSERT_EQ(EncodeDate(Y, M, D), static_cast<double>(Day)) << Day;
  }
  int Y = 0, M = 0, D = 0;
  DecodeDate(EncodeDate(9999, 12, 31) + 0.999, Y, M, D);
  EXPECT_EQ(Y * 10000 + M * 100 + D, 99991231);
}

TEST(DateTime, NegativeValuesAddTheirFractionAsTimeOfDay) {
  // -1.25 is 1899-12-29 06:00: the day from the integer part, the time from the fraction's size.
  int Y = 0, M = 0, D = 0, H = 0, N = 0, S = 0, Ms = 0;
  DecodeDate(-1.25, Y, M, D);
  DecodeTime(-1.25, H, N, S, Ms);
  EXPECT_EQ(Y * 10000 + M * 100 + D, 18991229);
  EXPECT_EQ(H, 6);
  EXPECT_EQ(ComposeDateTime(EncodeDate(1899, 12, 29), EncodeTime(6, 0, 0, 0)), -1.25);
  EXPECT_EQ(ComposeDateTime(EncodeDate(2000, 1, 1), EncodeTime(6, 0, 0, 0)), 36526.25);
}

TEST(DateTime, DecodeTimeRoundsToTheMillisecondAndCarriesIntoTheNextDay) {
  int H = 0, N = 0, S = 0, Ms = 0;
  DecodeTime(EncodeTime(23, 59, 59, 999), H, N, S, Ms);
  EXPECT_EQ(H * 10000000 + N * 100000 + S * 1000 + Ms, 235959999);
  const double AlmostMidnight = 10 + (86400000.0 - 0.4) / 86400000.0;
  DecodeTime(AlmostMidnight, H, N, S, Ms);
  EXPECT_EQ(H + N + S + Ms, 0);
  int Y = 0, M = 0, D = 0;
  DecodeDate(AlmostMidnight, Y, M, D);
  EXPECT_EQ(D, 10);  // day 11 is 1900-01-10; day 10 would be the 9th
}

TEST(DateTime, DecodeRefusesValuesOutsideTheValidDates) {
  int Y = 0, M = 0, D = 0;
  EXPECT_THROW(DecodeDate(std::nan(""), Y, M, D), EConvertError);
  EXPECT_THROW(DecodeDate(HUGE_VAL, Y, M, D), EConvertError);
  EXPECT_THROW(DecodeDate(2958466.0, Y, M, D), EConvertError);
  EXPECT_THROW(DecodeDate(-693594.0, Y, M, D), EConvertError);
  EXPECT_THROW(DateToStr(1e300), EConvertError);
}

// ---- Formatting ------------------------------------------------------------------------------

TEST(DateTime, FormatsByTheElementsOfTheFormatString) {
  const TFormatSettings Iso = IsoFormatSettings();
  const TDateTime Value = EncodeDate(2024, 5, 6) + EncodeTime(13, 5, 9, 0);
  EXPECT_EQ(DateToStr(Value, Iso), u"2024-05-06");
  EXPECT_EQ(TimeToStr(Value, Iso), u"13:05:09");
  EXPECT_EQ(DateTimeToStr(Value, Iso), u"2024-05-06 13:05:09");
  EXPECT_EQ(DateToStr(Value, UsSettings()), u"5/6/2024");
  EXPECT_EQ(TimeToStr(Value, UsSettings()), u"1:05:09 PM");
  EXPECT_EQ(DateToStr(Value, GermanSettings()), u"06.05.2024");
  EXPECT_EQ(DateToStr(Value, TrailingSeparatorSettings()), u"2024. 05. 06.");
  EXPECT_EQ(TimeToStr(Value, TrailingSeparatorSettings()), u"午後 1:05:09");
  EXPECT_EQ(FormatDateTime(u"yy/m/d 'at' H:N", Value, GermanSettings()), u"24.5.6 at 13:5");
  EXPECT_EQ(FormatDateTime(u"\"d\"=d, 'y", Value, Iso), u"d=6, y");  // unterminated quote
  EXPECT_EQ(FormatDateTime(u"yyyy", EncodeDate(33, 1, 1), Iso), u"0033");
}

TEST(DateTime, TwelveHourClockShowsTwelveForMidnightAndNoon) {
  const TFormatSettings Us = UsSettings();
  EXPECT_EQ(TimeToStr(EncodeTime(0, 0, 0, 0), Us), u"12:00:00 AM");
  EXPECT_EQ(TimeToStr(EncodeTime(12, 30, 0, 0), Us), u"12:30:00 PM");
  TFormatSettings NoMarkers = Us;
  NoMarkers.TimeAMString.clear();
  NoMarkers.TimePMString.clear();
  EXPECT_EQ(TimeToStr(EncodeTime(23, 0, 0, 0), NoMarkers), u"11:00:00 PM");
}

// ---- Parsing ---------------------------------------------------------------------------------

TEST(DateTime, ParsesDatesInTheOrderOfTheShortDateFormat) {
  const TDateTime May6 = EncodeDate(2024, 5, 6);
  EXPECT_EQ(StrToDate(u"2024-05-06", IsoFormatSettings()), May6);
  EXPECT_EQ(StrToDate(u"  2024-5-6  ", IsoFormatSettings()), May6);
  EXPECT_EQ(StrToDate(u"5/6/2024", UsSettings()), May6);
  EXPECT_EQ(StrToDate(u"06.05.2024", GermanSettings()), May6);
  EXPECT_EQ(StrToDate(u"6 . 5 . 2024", GermanSettings()), May6);
  EXPECT_EQ(StrToDate(u"2024. 05. 06.", TrailingSeparatorSettings()), May6);
  EXPECT_EQ(StrToDate(u"24-05-06", IsoFormatSettings()), May6);  // within 50 years of today
}

TEST(DateTime, RefusesDatesThatDoNotParse) {
  for (const char16_t* Text :
       {u"", u"2024-05", u"2024-13-01", u"2024-02-30", u"2024/05/06", u"2024-05-06x",
        u"20245-05-06", u"2024--05-06", u"-2024-05-06", u"2024-05-06 13:00"}) {
    EXPECT_THROW(StrToDate(Text, IsoFormatSettings()), EConvertError) << StringToUtf8(Text);
  }
  try {
    StrToDate(u"nope", IsoFormatSettings());
  } catch (const EConvertError& E) {
    EXPECT_EQ(E.Message(), u"'nope' is not a valid date");
  }
}

TEST(DateTime, ParsesTimesWithOptionalSecondsAndMarkers) {
  const TFormatSettings Us = UsSettings();
  EXPECT_EQ(StrToTime(u"13:45", IsoFormatSettings()), EncodeTime(13, 45, 0, 0));
  EXPECT_EQ(StrToTime(u" 1:2:3 ", IsoFormatSettings()), EncodeTime(1, 2, 3, 0));
  EXPECT_EQ(StrToTime(u"1:45 PM", Us), EncodeTime(13, 45, 0, 0));
  EXPECT_EQ(StrToTime(u"1:45:30pm", Us), EncodeTime(13, 45, 30, 0));
  EXPECT_EQ(StrToTime(u"12:00 AM", Us), EncodeTime(0, 0, 0, 0));
  EXPECT_EQ(StrToTime(u"12:30 PM", Us), EncodeTime(12, 30, 0, 0));
  EXPECT_EQ(StrToTime(u"PM 1:45", Us), EncodeTime(13, 45, 0, 0));
  EXPECT_EQ(StrToTime(u"午後 1:05:09", TrailingSeparatorSettings()), EncodeTime(13, 5, 9, 0));
  // "AM" and "PM" are understood even where the settings name no markers.
  EXPECT_EQ(StrToTime(u"9:15 pm", IsoFormatSettings()), EncodeTime(21, 15, 0, 0));
}

TEST(DateTime, RefusesTimesThatDoNotParse) {
  for (const char16_t* Text : {u"", u"13", u"25:00", u"12:60", u"13:45 PM", u"1:2:3:4", u"1:45 XM",
                               u"AM PM 1:00", u"123:00", u"1.30"}) {
    EXPECT_THROW(StrToTime(Text, UsSettings()), EConvertError) << StringToUtf8(Text);
  }
}

TEST(DateTime, ParsesDateAndTimeTogetherOrAlone) {
  const TFormatSettings Iso = IsoFormatSettings();
  const TDateTime May6 = EncodeDate(2024, 5, 6);
  EXPECT_EQ(StrToDateTime(u"2024-05-06 13:45:00", Iso), May6 + EncodeTime(13, 45, 0, 0));
  EXPECT_EQ(StrToDateTime(u"2024-05-06", Iso), May6);
  EXPECT_EQ(StrToDateTime(u"13:45", Iso), EncodeTime(13, 45, 0, 0));
  EXPECT_EQ(StrToDateTime(u"2024. 05. 06. 午前 9:00", TrailingSeparatorSettings()),
            May6 + EncodeTime(9, 0, 0, 0));
  EXPECT_EQ(StrToDateTime(u"1899-12-29 06:00", Iso), -1.25);
  EXPECT_THROW(StrToDateTime(u"2024-05-06 13", Iso), EConvertError);
  EXPECT_THROW(StrToDateTime(u"2024-05-06 x", Iso), EConvertError);
}

TEST(DateTime, TextWrittenUnderASettingReadsBackUnderIt) {
  const TFormatSettings All[] = {IsoFormatSettings(), UsSettings(), GermanSettings(),
                                 TrailingSeparatorSettings(), FormatSettings()};
  const TDateTime Values[] = {EncodeDate(2024, 5, 6) + EncodeTime(13, 5, 9, 0),
                              EncodeDate(1999, 12, 31) + EncodeTime(0, 0, 0, 0),
                              EncodeDate(2000, 1, 1) + EncodeTime(12, 0, 1, 0),
                              EncodeDate(1985, 7, 15) + EncodeTime(23, 59, 59, 0)};
  for (const TFormatSettings& Settings : All) {
    for (const TDateTime Value : Values) {
      const String Date = DateToStr(Value, Settings);
      const String Time = TimeToStr(Value, Settings);
      const String Both = DateTimeToStr(Value, Settings);
      EXPECT_EQ(StrToDate(Date, Settings), std::floor(Value)) << StringToUtf8(Date);
      EXPECT_NEAR(StrToTime(Time, Settings), Value - std::floor(Value), 1e-9) << StringToUtf8(Time);
      EXPECT_NEAR(StrToDateTime(Both, Settings), Value, 1e-9) << StringToUtf8(Both);
    }
  }
}

TEST(DateTime, ProcessSettingsAreComplete) {
  // Whatever the locale, the settings must describe a date with all three numbers and a time
  // with hours and minutes; separators must be set.
  const TFormatSettings& Settings = FormatSettings();
  const String Date = DateToStr(EncodeDate(2031, 11, 22), Settings);
  EXPECT_NE(Date.find(u"2031"), String::npos) << StringToUtf8(Date);
  EXPECT_NE(Date.find(u"11"), String::npos) << StringToUtf8(Date);
  EXPECT_NE(Date.find(u"22"), String::npos) << StringToUtf8(Date);
  EXPECT_NE(Date.find(Settings.DateSeparator), String::npos) << StringToUtf8(Date);
  const String Time = TimeToStr(EncodeTime(10, 34, 0, 0), Settings);
  EXPECT_NE(Time.find(u"34"), String::npos) << StringToUtf8(Time);
  EXPECT_NE(Time.find(Settings.TimeSeparator), String::npos) << StringToUtf8(Time);
  EXPECT_NE(Settings.DecimalSeparator, 0);
  EXPECT_EQ(&Settings, &FormatSettings());  // determined once
}

// ---- Floating-point numbers ------------------------------------------------------------------

TEST(FloatText, WritesGeneralFormatWithFifteenSignificantDigits) {
  const TFormatSettings Iso = IsoFormatSettings();
  const std::pair<double, const char16_t*> Cases[] = {
      {0.0, u"0"},
      {-0.0, u"0"},
      {1.5, u"1.5"},
      {-2.5, u"-2.5"},
      {0.1, u"0.1"},
      {100, u"100"},
      {1.0 / 3, u"0.333333333333333"},
      {2.0 / 3, u"0.666666666666667"},
      {123456789012345.0, u"123456789012345"},
      {1e15, u"1E15"},
      {1.5e20, u"1.5E20"},
      {0.0001, u"0.0001"},
      {0.00001, u"1E-5"},
      {-1.25e-100, u"-1.25E-100"},
      {std::numeric_limits<double>::max(), u"1.79769313486232E308"},
      {std::nan(""), u"NAN"},
      {HUGE_VAL, u"INF"},
      {-HUGE_VAL, u"-INF"},
  };
  for (const auto& [Value, Expected] : Cases) EXPECT_EQ(FloatToStr(Value, Iso), Expected);
  EXPECT_EQ(FloatToStr(-1234.5, GermanSettings()), u"-1234,5");
}

TEST(FloatText, ReadsNumbersWithTheSettingsDecimalSeparator) {
  const TFormatSettings Iso = IsoFormatSettings();
  EXPECT_EQ(StrToFloat(u"1.5", Iso), 1.5);
  EXPECT_EQ(StrToFloat(u"  +1.5  ", Iso), 1.5);
  EXPECT_EQ(StrToFloat(u"-1e3", Iso), -1000);
  EXPECT_EQ(StrToFloat(u"1E-5", Iso), 1e-5);
  EXPECT_EQ(StrToFloat(u"2.5e+2", Iso), 250);
  EXPECT_EQ(StrToFloat(u".5", Iso), 0.5);
  EXPECT_EQ(StrToFloat(u"5.", Iso), 5);
  EXPECT_EQ(StrToFloat(u"inf", Iso), HUGE_VAL);
  EXPECT_EQ(StrToFloat(u"-INF", Iso), -HUGE_VAL);
  EXPECT_TRUE(std::isnan(StrToFloat(u"NaN", Iso)));
  EXPECT_EQ(StrToFloat(u"-1234,5", GermanSettings()), -1234.5);
}

TEST(FloatText, RefusesTextThatIsNoNumber) {
  for (const char16_t* Text : {u"", u" ", u"abc", u"1.5x", u"1,5", u"1e", u"1e+", u"+-1", u"--1",
                               u"1.2.3", u"0x10", u"1e400", u"1 5", u"infinity"}) {
    EXPECT_THROW(StrToFloat(Text, IsoFormatSettings()), EConvertError) << StringToUtf8(Text);
  }
  EXPECT_THROW(StrToFloat(u"1.5", GermanSettings()), EConvertError);
  double Value = 9;
  EXPECT_FALSE(TryStrToFloat(u"x", Value, IsoFormatSettings()));
  EXPECT_EQ(Value, 9);
}

TEST(FloatText, NumbersRoundTripToFifteenDigitsUnderEverySetting) {
  const double Values[] = {3.141592653589793, -0.000123456789012345, 6.02214076e23, 1e-300, 42,
                           0.1 + 0.2,         999999999999999.0,     1234.5678};
  for (const TFormatSettings& Settings :
       {IsoFormatSettings(), GermanSettings(), FormatSettings()}) {
    for (const double Value : Values) {
      const String Text = FloatToStr(Value, Settings);
      const double Back = StrToFloat(Text, Settings);
      EXPECT_NEAR(Back, Value, std::fabs(Value) * 1e-14) << StringToUtf8(Text);
    }
  }
}

}  // namespace
}  // namespace vlm
