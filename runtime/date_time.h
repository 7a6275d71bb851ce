// runtime/date_time.h -- dates and times as day counts, and their text forms; floating-point text.
// A TDateTime counts days since 1899-12-30 00:00; the fraction is the time of day. Before that
// day the value is negative and its fraction still adds the time of day to the date given by the
// integer part (-1.25 is 1899-12-29 06:00). Valid dates run from 0001-01-01 to 9999-12-31.
//
// Text conversions follow a TFormatSettings (runtime/format_settings.h), by default the process's.
// They use no C library locale, so the results depend on the settings alone. Every Str... parser
// raises EConvertError for text that does not parse; the Try... forms return false instead.
#pragma once

#include "runtime/format_settings.h"
#include "runtime/string.h"

namespace vlm {

using TDateTime = double;

// Date and time from their parts; EConvertError for parts out of range (month 1..12, day within
// the month, year 1..9999; hour 0..23, minute and second 0..59, millisecond 0..999).
TDateTime EncodeDate(int Year, int Month, int Day);
TDateTime EncodeTime(int Hour, int Minute, int Second, int MilliSecond);
bool TryEncodeDate(int Year, int Month, int Day, TDateTime& Value);
bool TryEncodeTime(int Hour, int Minute, int Second, int MilliSecond, TDateTime& Value);
// A date plus a time of day under the sign rule above.
TDateTime ComposeDateTime(TDateTime Date, TDateTime Time);

// The parts of Value, rounded to the nearest millisecond; EConvertError for a value that is not a
// number or lies outside the valid dates.
void DecodeDate(TDateTime Value, int& Year, int& Month, int& Day);
void DecodeTime(TDateTime Value, int& Hour, int& Minute, int& Second, int& MilliSecond);

// Value written by a format string (elements in runtime/format_settings.h); EConvertError for a
// value outside the valid dates.
String FormatDateTime(StringView Format, TDateTime Value,
                      const TFormatSettings& Settings = FormatSettings());
// The short date form, the long time form, and both separated by one blank.
String DateToStr(TDateTime Value, const TFormatSettings& Settings = FormatSettings());
String TimeToStr(TDateTime Value, const TFormatSettings& Settings = FormatSettings());
String DateTimeToStr(TDateTime Value, const TFormatSettings& Settings = FormatSettings());

// Dates are three numbers separated by DateSeparator in the order d, m, y take in
// ShortDateFormat; blanks around the numbers and one trailing DateSeparator are allowed. A year
// of one or two digits lies within 50 years of the current year. Times are h, n and optionally s
// separated by TimeSeparator, with an optional AM/PM marker (TimeAMString, TimePMString, "AM" or
// "PM", any letter case) before or after. A date and time is a date, a time, or a date followed
// by blanks and a time. Blanks may surround the whole text.
TDateTime StrToDate(StringView Text, const TFormatSettings& Settings = FormatSettings());
TDateTime StrToTime(StringView Text, const TFormatSettings& Settings = FormatSettings());
TDateTime StrToDateTime(StringView Text, const TFormatSettings& Settings = FormatSettings());
bool TryStrToDate(StringView Text, TDateTime& Value,
                  const TFormatSettings& Settings = FormatSettings());
bool TryStrToTime(StringView Text, TDateTime& Value,
                  const TFormatSettings& Settings = FormatSettings());
bool TryStrToDateTime(StringView Text, TDateTime& Value,
                      const TFormatSettings& Settings = FormatSettings());

// General format with at most 15 significant digits: fixed notation for decimal exponents from
// -4 to 14, else scientific ("1.5E20", "1E-7"); no trailing zeros; DecimalSeparator for the point;
// "NAN", "INF" and "-INF" for the special values; negative zero is "0".
String FloatToStr(double Value, const TFormatSettings& Settings = FormatSettings());
// Optional blanks, optional sign, digits with at most one DecimalSeparator, optional exponent
// ("E" or "e", optional sign, digits), optional blanks; also "INF", "-INF" and "NAN". A value
// beyond the range of a double raises EConvertError (Try: false).
double StrToFloat(StringView Text, const TFormatSettings& Settings = FormatSettings());
bool TryStrToFloat(StringView Text, double& Value,
                   const TFormatSettings& Settings = FormatSettings());

}  // namespace vlm
