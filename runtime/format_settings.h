// runtime/format_settings.h -- how this process writes and reads dates, times and numbers as text.
// Windows takes the settings from the user's locale once, at the first use. Linux uses one fixed,
// locale-independent convention: ISO dates "yyyy-mm-dd", 24-hour times "hh:nn:ss", "." as the
// decimal separator and no AM/PM markers, so that files written there read the same anywhere.
//
// Format strings (ShortDateFormat, LongTimeFormat) are made of these elements; letters are
// matched without regard to case:
//   d, dd        day of the month, without / with a leading zero
//   m, mm        month number, without / with a leading zero
//   yy, yyyy     year in two / four digits (y alone counts as yy, three or more as yyyy)
//   h, hh        hour, without / with a leading zero (1..12 when an AM/PM element is present)
//   n, nn        minute;  s, ss  second
//   ampm         TimeAMString or TimePMString
//   /  :         DateSeparator, TimeSeparator
//   "..." '...'  literal text
// Every other character stands for itself. Only numeric forms exist, so that every date and time
// written can be read back by the parsers in runtime/date_time.h.
#pragma once

#include "runtime/string.h"

namespace vlm {

struct TFormatSettings {
  String ShortDateFormat;         // e.g. "yyyy-mm-dd"; the order of d, m and y also drives parsing
  String LongTimeFormat;          // e.g. "hh:nn:ss"
  char16_t DateSeparator = u'-';  // between the numbers of a date
  char16_t TimeSeparator = u':';  // between the numbers of a time
  char16_t DecimalSeparator = u'.';
  String TimeAMString;  // may be empty: then only "AM" is recognised when reading
  String TimePMString;
};

// The fixed convention described above (the settings of the Linux build).
inline TFormatSettings IsoFormatSettings() {
  TFormatSettings Settings;
  Settings.ShortDateFormat = u"yyyy-mm-dd";
  Settings.LongTimeFormat = u"hh:nn:ss";
  Settings.DateSeparator = u'-';
  Settings.TimeSeparator = u':';
  Settings.DecimalSeparator = u'.';
  return Settings;
}

// The settings in force for this process, determined once (thread-safe) and never changed.
const TFormatSettings& FormatSettings();

}  // namespace vlm
