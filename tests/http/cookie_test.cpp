// tests/http/cookie_test.cpp -- cookie texts, attributes, defaults, rejection and matching.
#include "http/cookie.h"

#include <gtest/gtest.h>

#include <vector>

namespace vlm {
namespace {

TDateTime FixedNow() {
  return EncodeDate(2025, 3, 1) + EncodeTime(12, 0, 0, 0);
}

std::vector<String> SplitAll(String Text) {
  std::vector<String> Out;
  while (!Text.empty()) Out.push_back(SplitNextCookie(Text));
  return Out;
}

template <class Cookie>
Cookie Received(const String& Text, const String& URL) {
  Cookie C;
  C.LoadProperties(ParseCookieAttributes(Text), FixedNow());
  C.ResolveDefaults(TNetURI(URL));
  return C;
}

TEST(SplitNextCookie, SplitsCookiesAtCommas) {
  const auto Parts = SplitAll(u"  a=1; path=/ ,  b=2");
  ASSERT_EQ(Parts.size(), 2u);
  EXPECT_EQ(Parts[0], u"a=1; path=/");
  EXPECT_EQ(Parts[1], u"b=2");
}

TEST(SplitNextCookie, KeepsTheCommaOfAnExpiresDate) {
  const auto Parts = SplitAll(
      u"a=1; Expires=Wed, 09 Jun 2021 10:18:14 GMT; path=/, b=2; expires=Thu, 01 Jan "
      u"2099 00:00:00 GMT, c=3");
  ASSERT_EQ(Parts.size(), 3u);
  EXPECT_EQ(Parts[0], u"a=1; Expires=Wed, 09 Jun 2021 10:18:14 GMT; path=/");
  EXPECT_EQ(Parts[1], u"b=2; expires=Thu, 01 Jan 2099 00:00:00 GMT");
  EXPECT_EQ(Parts[2], u"c=3");
}

TEST(SplitNextCookie, KeepsCommasInsideQuotes) {
  const auto Parts = SplitAll(u"a=\"x,y\"; Comment=\"p, q\", b=2");
  ASSERT_EQ(Parts.size(), 2u);
  EXPECT_EQ(Parts[0], u"a=\"x,y\"; Comment=\"p, q\"");
  EXPECT_EQ(Parts[1], u"b=2");
}

TEST(SplitNextCookie, HandlesFlagsAndOpenQuotes) {
  auto Parts = SplitAll(u"a=1; Secure, b=2; HttpOnly");
  ASSERT_EQ(Parts.size(), 2u);
  EXPECT_EQ(Parts[0], u"a=1; Secure");
  EXPECT_EQ(Parts[1], u"b=2; HttpOnly");

  Parts = SplitAll(u"flag, b=2");
  ASSERT_EQ(Parts.size(), 2u);
  EXPECT_EQ(Parts[0], u"flag");

  // An open quote swallows the rest: no cookie is invented out of its inside.
  Parts = SplitAll(u"a=\"x, b=2");
  ASSERT_EQ(Parts.size(), 1u);
  EXPECT_EQ(Parts[0], u"a=\"x, b=2");
}

TEST(SplitNextCookie, AlwaysEndsOnAnyInput) {
  const String Hostile = u",;=\",,\" ; = , expires=, ,\t;\"";
  for (size_t N = 0; N <= Hostile.size(); ++N) {
    String Text = Hostile.substr(0, N);
    for (int Round = 0; !Text.empty(); ++Round) {
      const size_t Before = Text.size();
      SplitNextCookie(Text);
      ASSERT_LT(Text.size(), Before) << "no progress at length " << N;
      ASSERT_LT(Round, 100);
    }
  }
}

TEST(ParseCookieAttributes, ReadsNamesValuesAndFlags) {
  const auto A =
      ParseCookieAttributes(u"SID = abc ; Path=/dir; secure;Domain=\"x.org\" junk; HttpOnly");
  ASSERT_EQ(A.size(), 5u);
  EXPECT_EQ(A[0], (std::pair<String, String>(u"SID", u"abc")));
  EXPECT_EQ(A[1], (std::pair<String, String>(u"Path", u"/dir")));
  EXPECT_EQ(A[2], (std::pair<String, String>(u"secure", u"")));
  EXPECT_EQ(A[3], (std::pair<String, String>(u"Domain", u"x.org")));  // text after the quote goes
  EXPECT_EQ(A[4], (std::pair<String, String>(u"HttpOnly", u"")));
}

TEST(ParseCookieAttributes, KeepsSemicolonsInsideQuotedValues) {
  const auto A = ParseCookieAttributes(u"a=\"x;y\"; b=2");
  ASSERT_EQ(A.size(), 2u);
  EXPECT_EQ(A[0].second, u"x;y");
  EXPECT_EQ(A[1].first, u"b");
}

TEST(TNetCookieRFC2109, LoadsAttributesAndDefaults) {
  TNetCookieRFC2109 C;
  C.LoadProperties(ParseCookieAttributes(u"id=7; Domain=example.com:8080; Comment=hi; Secure"),
                   FixedNow());
  EXPECT_EQ(C.CookieName, u"id");
  EXPECT_EQ(C.Value, u"7");
  EXPECT_EQ(C.Path, u"/");
  EXPECT_EQ(C.Domain, u"example.com");
  EXPECT_EQ(C.Comment, u"hi");
  EXPECT_TRUE(C.Secure);
  EXPECT_FALSE(C.HttpOnly);
  EXPECT_EQ(C.Version, 0);
  EXPECT_EQ(C.MaxAge, -1);
  EXPECT_EQ(C.Expires, 0);
}

TEST(TNetCookieRFC2109, ReadsExpiresAsSecondsOrDate) {
  TNetCookieRFC2109 Seconds;
  Seconds.LoadProperties(ParseCookieAttributes(u"a=1; expires=60"), FixedNow());
  EXPECT_DOUBLE_EQ(Seconds.Expires, FixedNow() + SecondsToDateTime(60));

  TNetCookieRFC2109 Negative;
  Negative.LoadProperties(ParseCookieAttributes(u"a=1; expires=-60"), FixedNow());
  EXPECT_EQ(Negative.Expires, 0);

  TNetCookieRFC2109 Date;
  Date.LoadProperties(ParseCookieAttributes(u"a=1; expires=Sun, 06 Nov 1994 08:49:37 GMT"),
                      FixedNow());
  EXPECT_NEAR(Date.Expires, GmtToLocal(EncodeDate(1994, 11, 6) + EncodeTime(8, 49, 37, 0)), 1e-8);

  TNetCookieRFC2109 Bad;
  Bad.LoadProperties(ParseCookieAttributes(u"a=1; expires=soon"), FixedNow());
  EXPECT_EQ(Bad.Expires, 0);

  TNetCookieRFC2109 MaxAge;
  MaxAge.LoadProperties(ParseCookieAttributes(u"a=1; Max-Age=10; Version=1"), FixedNow());
  EXPECT_EQ(MaxAge.MaxAge, 10);
  EXPECT_EQ(MaxAge.Version, 1);
  EXPECT_DOUBLE_EQ(MaxAge.Expires, FixedNow() + SecondsToDateTime(10));
}

TEST(CookieDotTest, LetsAHostKeepItsOwnCookies) {
  EXPECT_TRUE(PassesCookieDotTest(u"localhost", u"localhost"));
  EXPECT_TRUE(PassesCookieDotTest(u"127.0.0.1", u"127.0.0.1"));
  EXPECT_TRUE(PassesCookieDotTest(u"Example.COM", u"example.com"));
  EXPECT_TRUE(PassesCookieDotTest(u".example.com", u"example.com"));
}

TEST(CookieDotTest, CountsDotsAsIfTheDomainHadALeadingDot) {
  EXPECT_TRUE(PassesCookieDotTest(u"example.com", u"www.example.com"));
  EXPECT_TRUE(PassesCookieDotTest(u".example.com", u"www.example.com"));
  EXPECT_FALSE(PassesCookieDotTest(u".com", u"www.example.com"));
  EXPECT_FALSE(PassesCookieDotTest(u"com", u"www.example.com"));
  EXPECT_FALSE(PassesCookieDotTest(u".co.uk", u"www.example.co.uk"));
  EXPECT_TRUE(PassesCookieDotTest(u".example.co.uk", u"www.example.co.uk"));
  EXPECT_FALSE(PassesCookieDotTest(u"local", u"a.b.local"));
  EXPECT_FALSE(PassesCookieDotTest(u"", u"h"));
  EXPECT_FALSE(PassesCookieDotTest(u".0.0.1", u"127.0.0.1"));
}

TEST(CookieDomainMatches, FollowsTheVersionedRules) {
  EXPECT_TRUE(CookieDomainMatches(u"www.example.com", u".example.com"));
  EXPECT_TRUE(CookieDomainMatches(u"example.com", u".example.com"));
  EXPECT_FALSE(CookieDomainMatches(u"www.example.com", u"example.com"));
  EXPECT_TRUE(CookieDomainMatches(u"example.com", u"EXAMPLE.com"));
  EXPECT_FALSE(CookieDomainMatches(u"www.other.com", u".example.com"));
  EXPECT_TRUE(CookieDomainMatches(u"10.0.0.1", u"10.0.0.1"));
  EXPECT_FALSE(CookieDomainMatches(u"10.0.0.1", u".0.0.1"));
  EXPECT_FALSE(CookieDomainMatches(u"x.10.0.0.1", u".10.0.0.1"));  // the domain is an address
}

TEST(CookieHostTailMatches, MatchesTheHostAndTheHostsBelowIt) {
  EXPECT_TRUE(CookieHostTailMatches(u"example.com", u"example.com"));
  EXPECT_TRUE(CookieHostTailMatches(u"www.example.com", u"example.com"));
  EXPECT_TRUE(CookieHostTailMatches(u"www.example.com", u".example.com"));
  EXPECT_TRUE(CookieHostTailMatches(u"example.com", u".example.com"));
  EXPECT_FALSE(CookieHostTailMatches(u"badexample.com", u"example.com"));
  EXPECT_FALSE(CookieHostTailMatches(u"example.com", u"www.example.com"));
  EXPECT_FALSE(CookieHostTailMatches(u"h", u""));
}

TEST(IsIPAddress, KnowsDottedQuadsAndIPv6) {
  EXPECT_TRUE(IsIPAddress(u"127.0.0.1"));
  EXPECT_TRUE(IsIPAddress(u"::1"));
  EXPECT_FALSE(IsIPAddress(u"256.1.1.1"));
  EXPECT_FALSE(IsIPAddress(u"1.2.3"));
  EXPECT_FALSE(IsIPAddress(u"1.2.3.4.5"));
  EXPECT_FALSE(IsIPAddress(u"a.b.c.d"));
  EXPECT_FALSE(IsIPAddress(u""));
}

TEST(TNetCookieVersion0, DefaultsItsDomainToTheHostAndGoesBackToIt) {
  for (const char16_t* Host : {u"localhost", u"127.0.0.1", u"example.com", u"www.example.co.uk"}) {
    const String URL = u"http://" + String(Host) + u":8080/dir/f.txt";
    const auto C = Received<TNetCookieRFC2109>(u"id=1", URL);
    EXPECT_EQ(C.Domain, Host);
    EXPECT_FALSE(C.IsRejected(TNetURI(URL))) << StringToUtf8(Host);
    EXPECT_TRUE(C.IsAllowed(TNetURI(URL), false)) << StringToUtf8(Host);
  }
}

TEST(TNetCookieVersion0, RejectsDomainsTooWideOrForeign) {
  const String URL = u"http://www.example.com/";
  EXPECT_TRUE(Received<TNetCookieRFC2109>(u"a=1; domain=.com", URL).IsRejected(TNetURI(URL)));
  EXPECT_TRUE(Received<TNetCookieRFC2109>(u"a=1; domain=other.com", URL).IsRejected(TNetURI(URL)));
  EXPECT_FALSE(
      Received<TNetCookieRFC2109>(u"a=1; domain=example.com", URL).IsRejected(TNetURI(URL)));
  const String UK = u"http://www.example.co.uk/";
  EXPECT_TRUE(Received<TNetCookieRFC2109>(u"a=1; domain=.co.uk", UK).IsRejected(TNetURI(UK)));
  // A domain failing the dot test gets a leading "." and is still rejected.
  const auto Wide = Received<TNetCookieRFC2109>(u"a=1; domain=co.uk", UK);
  EXPECT_EQ(Wide.Domain, u".co.uk");
  EXPECT_TRUE(Wide.IsRejected(TNetURI(UK)));
}

TEST(TNetCookieVersion0, IsSentOnlyWhereItApplies) {
  const auto C = Received<TNetCookieRFC2109>(u"a=1; path=/dir", u"http://example.com/dir/x");
  EXPECT_TRUE(C.IsAllowed(TNetURI(u"http://www.example.com/DIR/sub/y"), false));
  EXPECT_FALSE(C.IsAllowed(TNetURI(u"http://example.com/other/y"), false));
  EXPECT_FALSE(C.IsAllowed(TNetURI(u"http://example.org/dir/y"), false));

  const auto Empty = Received<TNetCookieRFC2109>(u"a=", u"http://example.com/");
  EXPECT_FALSE(Empty.IsAllowed(TNetURI(u"http://example.com/"), false));

  const auto Secure = Received<TNetCookieRFC2109>(u"a=1; path=/; Secure", u"http://example.com/");
  EXPECT_FALSE(Secure.IsAllowed(TNetURI(u"http://example.com/"), false));
  EXPECT_TRUE(Secure.IsAllowed(TNetURI(u"http://example.com/"), true));
}

TEST(TNetCookieVersion1, DefaultsItsDomainAndChecksIt) {
  const String URL = u"http://www.example.com/dir/f";
  const auto C = Received<TNetCookieRFC2109>(u"a=1; Version=1", URL);
  EXPECT_EQ(C.Domain, u".www.example.com");
  EXPECT_FALSE(C.IsRejected(TNetURI(URL)));
  EXPECT_TRUE(C.IsAllowed(TNetURI(URL), false));

  const auto Parent = Received<TNetCookieRFC2109>(u"a=1; Version=1; Domain=.example.com", URL);
  EXPECT_FALSE(Parent.IsRejected(TNetURI(URL)));
  // The host part before the domain must not hold a dot.
  const String Deep = u"http://a.b.example.com/";
  EXPECT_TRUE(Received<TNetCookieRFC2109>(u"a=1; Version=1; Domain=.example.com", Deep)
                  .IsRejected(TNetURI(Deep)));
  // No leading dot, or no further dot.
  EXPECT_TRUE(
      Received<TNetCookieRFC2109>(u"a=1; Version=1; Domain=.com", URL).IsRejected(TNetURI(URL)));
  EXPECT_TRUE(
      Received<TNetCookieRFC2109>(u"a=1; Version=1; Path=/other", URL).IsRejected(TNetURI(URL)));
}

TEST(TNetCookieVersion1, WritesTheVersionedClientText) {
  const auto C =
      Received<TNetCookieRFC2109>(u"a=1; Version=1; Path=/p", u"http://www.example.com/p/x");
  EXPECT_EQ(C.ClientCookie(),
            u"$Version=\"1\"; a=\"1\"; $Path=\"/p\"; $Domain=\".www.example.com\"");
  const auto Plain = Received<TNetCookieRFC2109>(u"b=2", u"http://example.com/");
  EXPECT_EQ(Plain.ClientCookie(), u"b=2");
}

TEST(TNetCookieRFC2965, AppliesDefaultsAndPorts) {
  const String URL = u"http://localhost:8080/dir/f";
  auto C = Received<TNetCookieRFC2965>(u"a=1; Version=1; Port", URL);
  EXPECT_EQ(C.Domain, u".localhost.local");
  EXPECT_EQ(C.ReceivedPort, 8080);
  EXPECT_TRUE(C.Discard);
  EXPECT_FALSE(C.IsRejected(TNetURI(URL)));
  EXPECT_TRUE(C.IsAllowed(TNetURI(URL), false));
  EXPECT_FALSE(C.IsAllowed(TNetURI(u"http://localhost:8081/dir/f"), false));
  EXPECT_EQ(C.ClientCookie(),
            u"$Version=\"1\"; a=\"1\"; $Path=\"/\"; $Domain=\".localhost.local\"; $Port");

  auto Listed = Received<TNetCookieRFC2965>(u"a=1; Version=1; Port=\"80,8080\"", URL);
  EXPECT_TRUE(Listed.IsAllowed(TNetURI(u"http://localhost/dir/"), false));
  EXPECT_FALSE(Listed.IsAllowed(TNetURI(u"http://localhost:9/dir/"), false));
  EXPECT_EQ(Listed.ClientCookie().substr(Listed.ClientCookie().rfind(u';')),
            u"; $Port=\"80,8080\"");
  // Received on a port outside its own list.
  auto Outside = Received<TNetCookieRFC2965>(u"a=1; Port=\"81\"", URL);
  EXPECT_TRUE(Outside.IsRejected(TNetURI(URL)));

  auto Version2 = Received<TNetCookieRFC2965>(u"a=1; Version=2", URL);
  EXPECT_TRUE(Version2.IsRejected(TNetURI(URL)));
  auto NoVersion = Received<TNetCookieRFC2965>(u"a=1", URL);
  EXPECT_EQ(NoVersion.Version, 1);
}

}  // namespace
}  // namespace vlm
