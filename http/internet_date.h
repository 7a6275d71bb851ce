// http/internet_date.h -- dates as HTTP heads write them, and the local-time conversions.
// Header and cookie dates travel in GMT; the header sets and the cookie store keep them as local
// TDateTime values, as the rest of the system does. 0 stands for "no date".
#pragma once

#include <functional>

#include "runtime/date_time.h"
#include "runtime/string.h"

namespace vlm {

// A source of the current local time. The header sets and the cookie store take one so that
// tests can fix "now".
using NetClock = std::function<TDateTime()>;

enum class InternetDateResult {
  Ok,          // the text was read
  Unreadable,  // the text is not a date in any accepted form
  OutOfRange,  // the text has a date's form but names no real date or time (Feb 30, 25:00)
};

// Reads an Internet date into GMT. Accepted, with any letter case and an optional day name:
//   "Sun, 06 Nov 1994 08:49:37 GMT"      (the HTTP date)
//   "Sunday, 06-Nov-94 08:49:37 GMT"     (the old cookie and Usenet form)
//   "Sun Nov  6 08:49:37 1994"           (the C library's form; no zone means GMT)
// The zone may be GMT, UT, UTC, Z, a North American zone name (EST, EDT, CST, CDT, MST, MDT,
// PST, PDT) or a numeric offset "+hhmm"/"-hhmm", which is taken away to reach GMT. The time may
// lack its seconds; a missing time is midnight. A two-digit year is 1970..2069.
InternetDateResult ParseInternetDate(StringView Text, TDateTime& Gmt);

// An Internet date converted to local time, or 0 when it cannot be read.
TDateTime InternetDateToLocal(StringView Text);

// "Sun, 06 Nov 1994 08:49:37 GMT" for a local time (converted to GMT first).
String LocalToInternetDate(TDateTime Local);
// The same for a time already in GMT.
String GmtToInternetDate(TDateTime Gmt);

// Conversions between GMT and this machine's local time, with the zone rules in force at that
// moment (daylight saving time included). Outside the range the platform can convert, the
// current offset is used.
TDateTime GmtToLocal(TDateTime Gmt);
TDateTime LocalToGmt(TDateTime Local);

// The current local time; the default NetClock.
TDateTime NetLocalNow();

// Seconds as a TDateTime interval.
inline TDateTime SecondsToDateTime(double Seconds) {
  return Seconds / 86400.0;
}

}  // namespace vlm
