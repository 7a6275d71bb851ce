// tests/http/internet_date_test.cpp -- reading and writing Internet dates, GMT and local time.
#include "http/internet_date.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vlm {
namespace {

// 1994-11-06 08:49:37 GMT.
TDateTime Sample() {
  return EncodeDate(1994, 11, 6) + EncodeTime(8, 49, 37, 0);
}

// Equal to the second (TDateTime is a day count in a double).
void ExpectSameSecond(TDateTime A, TDateTime B) {
  EXPECT_LT(std::fabs(A - B) * 86400.0, 0.001) << A << " vs " << B;
}

TDateTime Parsed(const char16_t* Text) {
  TDateTime Gmt = 0;
  EXPECT_EQ(ParseInternetDate(Text, Gmt), InternetDateResult::Ok) << StringToUtf8(Text);
  return Gmt;
}

TEST(ParseInternetDate, ReadsTheThreeHTTPForms) {
  ExpectSameSecond(Parsed(u"Sun, 06 Nov 1994 08:49:37 GMT"), Sample());
  ExpectSameSecond(Parsed(u"Sunday, 06-Nov-94 08:49:37 GMT"), Sample());
  ExpectSameSecond(Parsed(u"Sun Nov  6 08:49:37 1994"), Sample());
}

TEST(ParseInternetDate, ReadsCookieAndLooseForms) {
  ExpectSameSecond(Parsed(u"Sun, 06-Nov-1994 08:49:37 GMT"), Sample());
  ExpectSameSecond(Parsed(u"sun, 6 nov 1994 08:49:37 gmt"), Sample());
  ExpectSameSecond(Parsed(u"06 November 1994 08:49:37 UTC"), Sample());
  ExpectSameSecond(Parsed(u"6 Nov 1994 08:49"), Sample() - EncodeTime(0, 0, 37, 0));
  ExpectSameSecond(Parsed(u"6 Nov 1994"), EncodeDate(1994, 11, 6));
}

TEST(ParseInternetDate, AppliesNumericAndNamedZones) {
  ExpectSameSecond(Parsed(u"Sun, 06 Nov 1994 10:49:37 +0200"), Sample());
  ExpectSameSecond(Parsed(u"Sun, 06 Nov 1994 03:19:37 -0530"), Sample());
  ExpectSameSecond(Parsed(u"Sun, 06 Nov 1994 00:49:37 PST"), Sample());
  // Crossing midnight backwards.
  ExpectSameSecond(Parsed(u"Mon, 07 Nov 1994 01:00:00 +0200"),
                   EncodeDate(1994, 11, 6) + EncodeTime(23, 0, 0, 0));
}

TEST(ParseInternetDate, ReadsTwoDigitYearsAroundTheEpoch) {
  TDateTime Gmt = 0;
  ASSERT_EQ(ParseInternetDate(u"01-Jan-69 00:00:00 GMT", Gmt), InternetDateResult::Ok);
  ExpectSameSecond(Gmt, EncodeDate(2069, 1, 1));
  ASSERT_EQ(ParseInternetDate(u"01-Jan-70 00:00:00 GMT", Gmt), InternetDateResult::Ok);
  ExpectSameSecond(Gmt, EncodeDate(1970, 1, 1));
}

TEST(ParseInternetDate, RejectsTextThatIsNoDate) {
  TDateTime Gmt = 0;
  for (const char16_t* Text : {u"", u"   ", u"tomorrow", u"12345", u"Sun, 06 Nov", u"06 Foo 1994",
                               u"06 Nov 1994 08:49:37 GMT GMT", u"06 Nov 1994 8:x:1",
                               u"06 Nov 1994 1994", u"06-Nov 1994", u"06 Nov 1994 +02"}) {
    EXPECT_EQ(ParseInternetDate(Text, Gmt), InternetDateResult::Unreadable) << StringToUtf8(Text);
  }
}

TEST(ParseInternetDate, ReportsADateThatNamesNoRealDay) {
  TDateTime Gmt = 0;
  EXPECT_EQ(ParseInternetDate(u"30 Feb 2020 00:00:00 GMT", Gmt), InternetDateResult::OutOfRange);
  EXPECT_EQ(ParseInternetDate(u"01 Feb 2020 25:00:00 GMT", Gmt), InternetDateResult::OutOfRange);
}

TEST(GmtToInternetDate, WritesTheHTTPDate) {
  EXPECT_EQ(GmtToInternetDate(Sample()), u"Sun, 06 Nov 1994 08:49:37 GMT");
  EXPECT_EQ(GmtToInternetDate(EncodeDate(2024, 2, 29) + EncodeTime(23, 59, 59, 0)),
            u"Thu, 29 Feb 2024 23:59:59 GMT");
  EXPECT_EQ(GmtToInternetDate(EncodeDate(1899, 12, 30)), u"Sat, 30 Dec 1899 00:00:00 GMT");
  EXPECT_EQ(GmtToInternetDate(EncodeDate(2001, 1, 1) + EncodeTime(0, 0, 5, 0)),
            u"Mon, 01 Jan 2001 00:00:05 GMT");
}

TEST(GmtToInternetDate, ReadsBackWhatItWrites) {
  for (int Day = 0; Day < 800; Day += 37) {
    const TDateTime Gmt = EncodeDate(2020, 1, 1) + Day + EncodeTime(Day % 24, Day % 60, 7, 0);
    ExpectSameSecond(Parsed(GmtToInternetDate(Gmt).c_str()), Gmt);
  }
}

TEST(LocalTime, ConvertsToGmtAndBack) {
  for (const TDateTime Gmt : {Sample(), EncodeDate(2021, 7, 1) + 0.5, EncodeDate(2030, 1, 15)}) {
    ExpectSameSecond(LocalToGmt(GmtToLocal(Gmt)), Gmt);
    // No zone on earth is more than 14 hours away from GMT.
    EXPECT_LE(std::fabs(GmtToLocal(Gmt) - Gmt), 14.0 / 24.0);
  }
  ExpectSameSecond(Parsed(LocalToInternetDate(GmtToLocal(Sample())).c_str()), Sample());
  ExpectSameSecond(InternetDateToLocal(u"Sun, 06 Nov 1994 08:49:37 GMT"), GmtToLocal(Sample()));
  EXPECT_EQ(InternetDateToLocal(u"not a date"), 0);
}

}  // namespace
}  // namespace vlm
