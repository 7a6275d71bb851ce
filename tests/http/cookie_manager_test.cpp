// tests/http/cookie_manager_test.cpp -- the cookie store: capture, replacement, expiry, lines.
#include "http/cookie_manager.h"

#include <gtest/gtest.h>

#include <thread>

namespace vlm {
namespace {

// A clock the test moves by hand.
struct TestClock {
  TDateTime Now = EncodeDate(2025, 3, 1) + EncodeTime(12, 0, 0, 0);
  void Advance(double Seconds) { Now += SecondsToDateTime(Seconds); }
};

class CookieStore : public ::testing::Test {
protected:
  CookieStore() {
    Manager.SetClockForTesting([this] { return Clock.Now; });
  }

  // The cookie lines the store writes for URL, as "Name: value" lines.
  std::vector<String> LinesFor(const String& URL, bool SecureOnly = false) {
    TNetHeaderList Headers;
    Manager.GenerateClientCookies(TNetURI(URL), SecureOnly, Headers);
    std::vector<String> Lines;
    for (int I = 0; I < Headers.Count(); ++I) Lines.push_back(Headers.Strings(I));
    return Lines;
  }

  void Reply(const String& URL, std::initializer_list<const char16_t*> HeaderLines) {
    TNetHeaderList Headers;
    for (const char16_t* Line : HeaderLines) Headers.Add(Line);
    Manager.CaptureCookies(Headers, nullptr, TNetURI(URL));
  }

  TestClock Clock;
  TNetCookieManager Manager;
};

using Lines = std::vector<String>;

TEST_F(CookieStore, SendsACookieBackWithTheVersionLine) {
  EXPECT_TRUE(LinesFor(u"http://127.0.0.1:8080/deploy.vlm").empty());
  Reply(u"http://127.0.0.1:8080/deploy.vlm", {u"Set-Cookie: session=abc; path=/"});
  EXPECT_EQ(LinesFor(u"http://127.0.0.1:8080/dir/menu.pkg"),
            (Lines{u"Cookie: session=abc", u"Cookie2: $Version=\"1\""}));
  EXPECT_TRUE(LinesFor(u"http://127.0.0.2:8080/dir/menu.pkg").empty());
}

TEST_F(CookieStore, GivesLocalhostItsOwnCookiesBack) {
  Reply(u"http://localhost/", {u"Set-Cookie: a=1"});
  Reply(u"http://LOCALHOST/", {u"Set-Cookie: b=2; domain=localhost"});
  EXPECT_EQ(LinesFor(u"http://localhost/x"),
            (Lines{u"Cookie: a=1", u"Cookie: b=2", u"Cookie2: $Version=\"1\""}));
}

TEST_F(CookieStore, EvictsTheOldestOfAHostBeyondFiftyAndReplacesInPlace) {
  for (int I = 0; I < 50; ++I)
    Manager.AddServerCookie(S("c" + std::to_string(I) + "=v"), TNetURI(u"http://a.test/"));
  Manager.AddServerCookie(u"b0=v", TNetURI(u"http://b.test/"));    // another host's own count
  Manager.AddServerCookie(u"C0=new", TNetURI(u"http://a.test/"));  // replaced: now the newest
  Manager.AddServerCookie(u"c50=v", TNetURI(u"http://a.test/"));   // evicts c1, the oldest
  ASSERT_EQ(Manager.CookieCount(), 51);
  EXPECT_EQ(Manager.Cookie(0)->CookieName, u"C0");  // kept its place in store order
  EXPECT_EQ(Manager.Cookie(0)->Value, u"new");
  EXPECT_EQ(Manager.Cookie(1)->CookieName, u"c2");
  EXPECT_EQ(Manager.Cookie(49)->CookieName, u"b0");
  EXPECT_EQ(Manager.Cookie(50)->CookieName, u"c50");
  // A cookie taken over by another host counts for that host from then on.
  Manager.AddServerCookie(u"c2=v", TNetURI(u"http://b.test/"));
  Manager.AddServerCookie(u"c51=v", TNetURI(u"http://a.test/"));  // a.test has 49 + 1: no eviction
  EXPECT_EQ(Manager.CookieCount(), 52);
}

TEST_F(CookieStore, SplitsOneHeaderValueIntoSeveralCookies) {
  Reply(u"http://example.com/",
        {u"Set-Cookie: a=1; expires=Thu, 01 Jan 2099 00:00:00 GMT; path=/, b=2"});
  ASSERT_EQ(Manager.CookieCount(), 2);
  EXPECT_EQ(Manager.Cookie(0)->CookieName, u"a");
  EXPECT_NE(Manager.Cookie(0)->Expires, 0);
  EXPECT_EQ(Manager.Cookie(1)->CookieName, u"b");
}

TEST_F(CookieStore, ReadsFoldedSetCookieValues) {
  Reply(u"http://example.com/", {u"Set-Cookie: a=1;", u"\tSecure", u"Set-Cookie: b=2"});
  ASSERT_EQ(Manager.CookieCount(), 2);
  EXPECT_TRUE(Manager.Cookie(0)->Secure);
  // A Secure cookie never goes with a plain request.
  EXPECT_EQ(LinesFor(u"http://example.com/"), (Lines{u"Cookie: b=2", u"Cookie2: $Version=\"1\""}));
  EXPECT_EQ(LinesFor(u"https://example.com/", true),
            (Lines{u"Cookie: a=1", u"Cookie: b=2", u"Cookie2: $Version=\"1\""}));
}

TEST_F(CookieStore, ReplacesACookieOfTheSameNameInItsPlace) {
  Reply(u"http://example.com/", {u"Set-Cookie: a=1", u"Set-Cookie: b=2"});
  Reply(u"http://www.example.com/", {u"Set-Cookie: A=3; path=/sub"});
  ASSERT_EQ(Manager.CookieCount(), 2);
  EXPECT_EQ(Manager.Cookie(0)->Value, u"3");
  EXPECT_EQ(Manager.Cookie(0)->Domain, u"www.example.com");
  EXPECT_EQ(Manager.Cookie(0)->Path, u"/sub");
  EXPECT_EQ(Manager.Cookie(1)->CookieName, u"b");
}

TEST_F(CookieStore, DropsRejectedCookies) {
  Reply(u"http://www.example.com/",
        {u"Set-Cookie: a=1; domain=.com", u"Set-Cookie: b=2; domain=evil.org"});
  EXPECT_EQ(Manager.CookieCount(), 0);
}

TEST_F(CookieStore, LetsSetCookie2WinOverSetCookieOfTheSameName) {
  Reply(u"http://www.example.com/",
        {u"Set-Cookie: id=old, other=1", u"Set-Cookie2: ID=new; Version=1"});
  ASSERT_EQ(Manager.CookieCount(), 2);
  EXPECT_EQ(Manager.Cookie(0)->CookieName, u"other");
  EXPECT_EQ(Manager.Cookie(1)->Value, u"new");
  EXPECT_EQ(Manager.Cookie(1)->Version, 1);
  // A "Set-Cookie2" cookie goes as "Cookie2", and then no version line is added.
  EXPECT_EQ(
      LinesFor(u"http://www.example.com/"),
      (Lines{u"Cookie: other=1",
             u"Cookie2: $Version=\"1\"; ID=\"new\"; $Path=\"/\"; $Domain=\".www.example.com\""}));
}

TEST_F(CookieStore, ReadsCookiesFromThePagesHttpEquivLines) {
  TNetHeaderList Reply, Meta;
  Meta.Add(u"Set-Cookie: fromPage=1");
  Manager.CaptureCookies(Reply, &Meta, TNetURI(u"http://example.com/"));
  ASSERT_EQ(Manager.CookieCount(), 1);
  EXPECT_EQ(Manager.Cookie(0)->CookieName, u"fromPage");
}

TEST_F(CookieStore, RemovesCookiesOnceTheyExpire) {
  Reply(u"http://example.com/",
        {u"Set-Cookie: past=1; expires=Sun, 06 Nov 1994 08:49:37 GMT",
         u"Set-Cookie: now=1; expires=0", u"Set-Cookie: minute=1; expires=60",
         u"Set-Cookie: aged=1; Max-Age=30", u"Set-Cookie: forever=1"});
  ASSERT_EQ(Manager.CookieCount(), 5);
  EXPECT_EQ(LinesFor(u"http://example.com/"),
            (Lines{u"Cookie: minute=1", u"Cookie: aged=1", u"Cookie: forever=1",
                   u"Cookie2: $Version=\"1\""}));
  EXPECT_EQ(Manager.CookieCount(), 3);
  Clock.Advance(30);
  EXPECT_EQ(LinesFor(u"http://example.com/"),
            (Lines{u"Cookie: minute=1", u"Cookie: forever=1", u"Cookie2: $Version=\"1\""}));
  Clock.Advance(3600 * 24 * 365.0);
  EXPECT_EQ(LinesFor(u"http://example.com/"),
            (Lines{u"Cookie: forever=1", u"Cookie2: $Version=\"1\""}));
}

TEST_F(CookieStore, ExpiresAVersionedCookieByMaxAgeCountedFromReceipt) {
  Reply(u"http://www.example.com/", {u"Set-Cookie: v=1; Version=1; Max-Age=10"});
  ASSERT_EQ(Manager.CookieCount(), 1);
  Clock.Advance(5);
  EXPECT_EQ(LinesFor(u"http://www.example.com/").size(), 2u);
  Clock.Advance(5);
  EXPECT_TRUE(LinesFor(u"http://www.example.com/").empty());
  EXPECT_EQ(Manager.CookieCount(), 0);
}

TEST_F(CookieStore, AsksOnNewCookieBeforeStoring) {
  std::vector<String> Seen;
  Manager.OnNewCookie = [&](TNetCookieManager& Sender, const TNetCookieRFC2109& C, bool& Accept) {
    EXPECT_EQ(&Sender, &Manager);
    Seen.push_back(C.CookieName);
    Accept = C.CookieName != u"no";
  };
  Reply(u"http://example.com/", {u"Set-Cookie: yes=1, no=2", u"Set-Cookie: bad=3; domain=.com"});
  EXPECT_EQ(Seen, (Lines{u"yes", u"no"}));  // a rejected cookie is never offered
  ASSERT_EQ(Manager.CookieCount(), 1);
  EXPECT_EQ(Manager.Cookie(0)->CookieName, u"yes");
}

TEST_F(CookieStore, StaysConsistentUnderConcurrentUse) {
  std::thread Writer([this] {
    for (int I = 0; I < 200; ++I) {
      String Text = u"c";
      Text += static_cast<char16_t>(u'a' + I % 20);
      Text += u"=v";
      Manager.AddServerCookie(Text, TNetURI(u"http://example.com/"));
    }
  });
  for (int I = 0; I < 200; ++I) {
    const auto Sent = LinesFor(u"http://example.com/");
    EXPECT_LE(Sent.size(), 21u);
  }
  Writer.join();
  EXPECT_EQ(Manager.CookieCount(), 20);
}

}  // namespace
}  // namespace vlm
