// tests/http/net_http_hostile_server_test.cpp -- the client against scripted loopback servers that
// misbehave on purpose, one table-driven test per family: cookies that would break the request
// head, cookies of one host sent to another, cookie floods, endless interim replies, stalled
// transfers and bodies beyond their limit.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "http/net_http.h"
#include "http/net_socket_exceptions.h"
#include "runtime/memory_stream.h"
#include "tests/http/net_http_test_support.h"
#include "tests/support/loopback_server.h"

namespace vlm {
namespace {

using test::InstallerHead;
using test::LoopbackServer;
using test::Reply;

std::string HostPort(const LoopbackServer& Server, const std::string& Address = "127.0.0.1") {
  return Address + ":" + std::to_string(Server.Port());
}

String Url(const LoopbackServer& Server, const std::string& Path,
           const std::string& Address = "127.0.0.1") {
  return S("http://" + HostPort(Server, Address) + Path);
}

std::string Get(TNetHTTP& Client, const String& AURL) {
  TMemoryStream Body;
  Client.Get(AURL, Body);
  return std::string(Body.View());
}

// An HTML page whose head sets a cookie by META with AContent as the tag's quoted content.
std::string MetaCookiePage(const std::string& AContent) {
  return "<html><head><meta http-equiv=\"Set-Cookie\" content=\"" + AContent +
         "\"></head><body>page</body></html>";
}

const std::string kHtml = "Content-Type: text/html\r\n";
const std::string kCookieOk = "Cookie: ok=1\r\nCookie2: $Version=\"1\"\r\n";

TEST(TNetHTTPHostileServer, CookiesThatWouldBreakTheRequestHeadAreRefused) {
  // Each first reply also sets ok=1, which must come back alone on the second request.
  const std::string Ok = "Set-Cookie: ok=1\r\n";
  const struct {
    const char* Name;
    std::string FirstReply;
  } Cases[] = {
      {"META content with CR LF and a header",
       Reply("200 OK", MetaCookiePage("sid=1\r\nX-Injected: 1"), Ok + kHtml)},
      {"META content with a smuggled request",
       Reply("200 OK",
             MetaCookiePage("sid=1\r\n\r\nGET /smuggled HTTP/1.1\r\nHost: elsewhere.invalid"),
             Ok + kHtml)},
      {"bare CR in Set-Cookie", Reply("200 OK", "x", Ok + "Set-Cookie: sid=1\rX-Injected: 1\r\n")},
      {"NUL in the value",
       Reply("200 OK", "x", Ok + "Set-Cookie: sid=1" + std::string(1, '\0') + "X-Injected: 1\r\n")},
      {"control character", Reply("200 OK", "x", Ok + "Set-Cookie: sid=a\x01z\r\n")},
      {"DEL", Reply("200 OK", "x", Ok + "Set-Cookie: sid=a\x7fz\r\n")},
      {"control character in the name", Reply("200 OK", "x", Ok + "Set-Cookie: s\x02id=1\r\n")},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Name);
    LoopbackServer Server({LoopbackServer::ExpectHeads(1), LoopbackServer::Send(C.FirstReply),
                           LoopbackServer::ExpectHeads(2),
                           LoopbackServer::Send(Reply("200 OK", "two"))});
    TNetHTTP Client;
    ApplyInstallerSettings(Client);
    Get(Client, Url(Server, "/a"));
    EXPECT_EQ(Get(Client, Url(Server, "/b")), "two");
    EXPECT_EQ(Server.Received(), InstallerHead("/a", HostPort(Server)) +
                                     InstallerHead("/b", HostPort(Server), kCookieOk));
    EXPECT_EQ(Server.Connections(), 1);
  }
}

TEST(TNetHTTPHostileServer, TheRequestWriterRefusesLinesWithCrLfOrNul) {
  const struct {
    const char* Name;
    std::function<void(TNetHTTP&)> Spoil;
  } Cases[] = {
      {"LF in a header value", [](TNetHTTP& C) { C.Request().UserAgent = u"a\nX-Injected: 1"; }},
      {"CR in a header value", [](TNetHTTP& C) { C.Request().Referer = u"a\rb"; }},
      {"NUL in a custom header",
       [](TNetHTTP& C) { C.Request().CustomHeaders().Add(String(u"X-A: 1\0b", 8)); }},
      {"CR LF in a custom cookie line",
       [](TNetHTTP& C) { C.Request().CustomHeaders().Add(u"Cookie: sid=1\r\nX-Injected: 1"); }},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Name);
    LoopbackServer Server(
        {LoopbackServer::ExpectHeads(1), LoopbackServer::Send(Reply("200 OK", "ok"))});
    {
      TNetHTTP Client;
      ApplyInstallerSettings(Client);
      C.Spoil(Client);
      try {
        Get(Client, Url(Server, "/a"));
        ADD_FAILURE() << "no exception";
      } catch (const ENetHTTPInvalidRequestLine& E) {
        EXPECT_EQ(E.Message(),
                  u"The request to 127.0.0.1 is not sent: one of its lines holds a "
                  u"CR, LF or NUL character.");
      }
    }
    // A sound request on a second connection: the server saw nothing of the first.
    TNetHTTP Client;
    ApplyInstallerSettings(Client);
    EXPECT_EQ(Get(Client, Url(Server, "/b")), "ok");
    EXPECT_EQ(Server.Received(), InstallerHead("/b", HostPort(Server)));
  }
}

TEST(TNetHTTPHostileServer, APagesCookiesBelongToThePagesHostAndAreTakenOnce) {
  // Calls to 127.0.0.1 (A) and 127.0.0.2 (B), each with the Cookie lines it must carry.
  struct Call {
    char Server;
    std::string Path;
    std::string Cookies;
  };
  const std::string FromA = "Cookie: sid=fromA\r\nCookie2: $Version=\"1\"\r\n";
  const std::string MetaPage = Reply("200 OK", MetaCookiePage("sid=fromA"), kHtml);
  const struct {
    const char* Name;
    std::vector<LoopbackServer::Step> ScriptA;
    std::vector<Call> Calls;
  } Cases[] = {
      {"a META cookie stays with its host",
       {LoopbackServer::ExpectHeads(1), LoopbackServer::Send(MetaPage)},
       {{'A', "/page", ""}, {'B', "/b", ""}, {'A', "/again", FromA}}},
      {"a header cookie stays with its host",
       {LoopbackServer::ExpectHeads(1),
        LoopbackServer::Send(Reply("200 OK", "x", "Set-Cookie: sid=fromA\r\n"))},
       {{'A', "/page", ""}, {'B', "/b", ""}, {'A', "/again", FromA}}},
      {"a META cookie is not taken again over a later header cookie",
       {LoopbackServer::ExpectHeads(1), LoopbackServer::Send(MetaPage),
        LoopbackServer::ExpectHeads(2),
        LoopbackServer::Send(Reply("200 OK", "x", "Set-Cookie: sid=new\r\n")),
        LoopbackServer::ExpectHeads(3), LoopbackServer::Send(Reply("200 OK", "x"))},
       {{'A', "/page", ""},
        {'A', "/second", FromA},
        {'A', "/third", "Cookie: sid=new\r\nCookie2: $Version=\"1\"\r\n"}}},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Name);
    LoopbackServer A(C.ScriptA);
    LoopbackServer B({LoopbackServer::ExpectHeads(1), LoopbackServer::Send(Reply("200 OK", "b"))},
                     2);
    TNetHTTP Client;
    ApplyInstallerSettings(Client);
    std::string ExpectA, ExpectB;
    for (const Call& Next : C.Calls) {
      const std::string Address = Next.Server == 'A' ? "127.0.0.1" : "127.0.0.2";
      LoopbackServer& Server = Next.Server == 'A' ? A : B;
      Get(Client, Url(Server, Next.Path, Address));
      (Next.Server == 'A' ? ExpectA : ExpectB) +=
          InstallerHead(Next.Path, HostPort(Server, Address), Next.Cookies);
    }
    EXPECT_EQ(A.Received(), ExpectA);
    EXPECT_EQ(B.Received(), ExpectB);
  }
}

// Cookies c<First>..c<Last-1> (value v), as comma-joined Set-Cookie lines of at most 1000 each.
std::string SetCookieLines(int AFirst, int ALast) {
  std::string Lines;
  for (int I = AFirst; I < ALast; I += 1000) {
    Lines += "Set-Cookie: ";
    for (int J = I; J < std::min(ALast, I + 1000); ++J)
      Lines += (J > I ? ", c" : "c") + std::to_string(J) + "=v";
    Lines += "\r\n";
  }
  return Lines;
}

// The Cookie lines for cookies c<First>..c<Last-1>, with the version line.
std::string CookieLines(int AFirst, int ALast) {
  std::string Lines;
  for (int I = AFirst; I < ALast; ++I) Lines += "Cookie: c" + std::to_string(I) + "=v\r\n";
  return Lines + "Cookie2: $Version=\"1\"\r\n";
}

TEST(TNetHTTPHostileServer, TheCookieStoreKeepsFiftyCookiesPerHostOfAtMost4096Bytes) {
  std::string MetaPage = "<html><head>";
  for (int I = 0; I < 3000; ++I)
    MetaPage += "<meta http-equiv=\"Set-Cookie\" content=\"c" + std::to_string(I) + "=v\">";
  MetaPage += "</head><body></body></html>";
  const std::string Big = std::string(4093, 'b');  // "big" and this value: 4096 characters
  const struct {
    const char* Name;
    std::string FirstReply;
    std::string CookiesBack;
  } Cases[] = {
      {"3000 cookies in comma-joined lines", Reply("200 OK", "x", SetCookieLines(0, 3000)),
       CookieLines(2950, 3000)},
      {"3000 cookies by META", Reply("200 OK", MetaPage, kHtml), CookieLines(2950, 3000)},
      {"a cookie of 4096 characters is kept (its long line folded as any)",
       Reply("200 OK", "x", "Set-Cookie: big=" + Big + "\r\n"),
       "Cookie:\r\n big=" + Big + "\r\nCookie2: $Version=\"1\"\r\n"},
      {"a cookie of 4097 characters is refused",
       Reply("200 OK", "x", "Set-Cookie: big=" + Big + "b\r\nSet-Cookie: c0=v\r\n"),
       CookieLines(0, 1)},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Name);
    LoopbackServer Server({LoopbackServer::ExpectHeads(1), LoopbackServer::Send(C.FirstReply),
                           LoopbackServer::ExpectHeads(2),
                           LoopbackServer::Send(Reply("200 OK", "two"))});
    TNetHTTP Client;
    ApplyInstallerSettings(Client);
    Get(Client, Url(Server, "/a"));
    EXPECT_EQ(Get(Client, Url(Server, "/b")), "two");
    EXPECT_EQ(Server.Received(), InstallerHead("/a", HostPort(Server)) +
                                     InstallerHead("/b", HostPort(Server), C.CookiesBack));
  }
}

// ACount copies of AText.
std::string Repeat(const std::string& AText, int ACount) {
  std::string All;
  for (int I = 0; I < ACount; ++I) All += AText;
  return All;
}

TEST(TNetHTTPHostileServer, InterimRepliesAndReplyHeadsAreBounded) {
  const std::string Continue = "HTTP/1.1 100 Continue\r\n\r\n";
  const std::string Filler = "X-Filler: " + std::string(14990, 'f') + "\r\n";  // 15002 bytes
  const std::string TooMany = "The server 127.0.0.1 sent more than 16 interim replies.";
  const std::string TooLong = "The server 127.0.0.1 sent more than 262144 bytes of reply head.";
  const struct {
    const char* Name;
    std::string Replies;
    std::string Error;  // empty: the body "ok" arrives
  } Cases[] = {
      {"16 interim replies, then the reply", Repeat(Continue, 16) + Reply("200 OK", "ok"), ""},
      {"interim replies without end", Repeat(Continue, 1000), TooMany},
      {"a head of 17 long lines",
       "HTTP/1.1 200 OK\r\n" + Repeat(Filler, 17) + "Content-Length: 2\r\n\r\nok", ""},
      {"a head of 18 long lines",
       "HTTP/1.1 200 OK\r\n" + Repeat(Filler, 18) + "Content-Length: 2\r\n\r\nok", TooLong},
      {"six interim replies of three long lines",
       Repeat("HTTP/1.1 100 Continue\r\n" + Repeat(Filler, 3) + "\r\n", 6) + Reply("200 OK", "ok"),
       TooLong},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Name);
    LoopbackServer Server({LoopbackServer::ExpectHeads(1), LoopbackServer::Send(C.Replies)});
    TNetHTTP Client;
    ApplyInstallerSettings(Client);
    if (C.Error.empty()) {
      EXPECT_EQ(Get(Client, Url(Server, "/a")), "ok");
      continue;
    }
    try {
      Get(Client, Url(Server, "/a"));
      ADD_FAILURE() << "no exception";
    } catch (const ENetHTTPReplyHeadTooLarge& E) {
      EXPECT_EQ(E.Message(), S(C.Error));
    }
    EXPECT_FALSE(Client.Connected());
  }
}

// AHead, then APieces pieces of APiece, each after a pause of APauseMs.
std::vector<LoopbackServer::Step> Trickle(const std::string& AHead, const std::string& APiece,
                                          int APieces, size_t APauseMs) {
  std::vector<LoopbackServer::Step> Script{LoopbackServer::ExpectHeads(1),
                                           LoopbackServer::Send(AHead)};
  for (int I = 0; I < APieces; ++I) {
    Script.push_back(LoopbackServer::Pause(APauseMs));
    Script.push_back(LoopbackServer::Send(APiece));
  }
  return Script;
}

TEST(TNetHTTPHostileServer, ATransferThatStallsFailsAfterTheStallWindow) {
  // Short windows stand in for the installer's 60 s; the read time-out stays 60 s throughout, so
  // only the stall rule can end the failing cases quickly.
  const std::string Stopped = "The server 127.0.0.1 stopped sending data.";
  const std::string Steady = "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n";
  const std::vector<LoopbackServer::Step> TwoReplies{
      LoopbackServer::ExpectHeads(1), LoopbackServer::Send(Reply("200 OK", "one")),
      LoopbackServer::ExpectHeads(2), LoopbackServer::Send(Reply("200 OK", "two"))};
  const struct {
    const char* Name;
    std::vector<LoopbackServer::Step> Script;
    int Window;         // ms
    int PauseBetween;   // ms between two calls; -1: one call
    std::string Error;  // empty: the calls succeed
  } Cases[] = {
      {"a counted body, one byte every 100 ms",
       Trickle("HTTP/1.1 200 OK\r\nContent-Length: 1000000\r\n\r\n", "x", 40, 100), 300, -1,
       Stopped},
      {"a chunked body, one chunk of a byte every 100 ms",
       Trickle("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n", "1\r\nx\r\n", 40, 100), 300,
       -1, Stopped},
      {"a head, one line every 100 ms", Trickle("HTTP/1.1 200 OK\r\n", "X-A: 1\r\n", 40, 100), 300,
       -1, Stopped},
      {"a body that keeps moving", Trickle(Steady, std::string(100, 's'), 10, 100), 1000, -1, ""},
      {"an idle keep-alive connection between two calls", TwoReplies, 300, 600, ""},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Name);
    LoopbackServer Server(C.Script);
    TNetHTTP Client;
    ApplyInstallerSettings(Client);
    Client.StallWindow = C.Window;
    Client.StallMinBytes = C.Error.empty() ? 64 : 1024;
    try {
      const std::string First = Get(Client, Url(Server, "/a"));
      if (C.PauseBetween >= 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(C.PauseBetween));
        EXPECT_EQ(First + Get(Client, Url(Server, "/b")), "onetwo");
      } else {
        EXPECT_EQ(First, std::string(1000, 's'));
      }
      EXPECT_EQ(C.Error, "");
    } catch (const ENetTransferStalled& E) {
      EXPECT_EQ(E.Message(), S(C.Error));
      EXPECT_FALSE(Client.Connected());
    }
  }
}

TEST(TNetHTTPHostileServer, BodiesBeyondTheLimitFailInEveryFraming) {
  const std::string Counted = "HTTP/1.1 200 OK\r\nContent-Length: ";
  const std::string Chunked = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
  const std::string UntilClose = "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n";
  const std::string Chunk400 = "190\r\n" + std::string(400, 'c') + "\r\n";
  const std::vector<LoopbackServer::Step> Endless =
      Trickle(UntilClose, std::string(4096, 'e'), 200, 0);
  const struct {
    const char* Name;
    int64_t MaxBodySize;  // 0: the library's limit only
    std::vector<LoopbackServer::Step> Script;
    int64_t Limit;    // -1: the body arrives whole
    size_t BodySize;  // the bytes the stream holds at the end
  } Cases[] = {
      {"a counted body at the limit",
       1000,
       {LoopbackServer::ExpectHeads(1),
        LoopbackServer::Send(Counted + "1000\r\n\r\n" + std::string(1000, 'n'))},
       -1,
       1000},
      {"a counted body above the limit, refused before it is read",
       1000,
       {LoopbackServer::ExpectHeads(1), LoopbackServer::Send(Counted + "1001\r\n\r\nn"),
        LoopbackServer::Silent()},
       1000,
       0},
      {"a counted body above the library's limit",
       0,
       {LoopbackServer::ExpectHeads(1), LoopbackServer::Send(Counted + "2147483648\r\n\r\nn"),
        LoopbackServer::Silent()},
       2147483647,
       0},
      {"a chunked body at the limit",
       1200,
       {LoopbackServer::ExpectHeads(1),
        LoopbackServer::Send(Chunked + Chunk400 + Chunk400 + Chunk400 + "0\r\n\r\n")},
       -1,
       1200},
      {"a chunked body passing the limit, refused at the chunk",
       1000,
       {LoopbackServer::ExpectHeads(1),
        LoopbackServer::Send(Chunked + Chunk400 + Chunk400 + "190\r\n"), LoopbackServer::Silent()},
       1000,
       800},
      {"a chunk above the library's limit",
       0,
       {LoopbackServer::ExpectHeads(1), LoopbackServer::Send(Chunked + "80000000\r\nc"),
        LoopbackServer::Silent()},
       2147483647,
       0},
      {"a body until close at the limit",
       1000,
       {LoopbackServer::ExpectHeads(1), LoopbackServer::Send(UntilClose + std::string(1000, 'u')),
        LoopbackServer::Close()},
       -1,
       1000},
      {"a body until close passing the limit",
       1000,
       {LoopbackServer::ExpectHeads(1), LoopbackServer::Send(UntilClose + std::string(1001, 'u')),
        LoopbackServer::Close()},
       1000,
       1000},
      {"a body until close without end", 100000, Endless, 100000, 100000},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Name);
    LoopbackServer Server(C.Script);
    TNetHTTP Client;
    ApplyInstallerSettings(Client);
    Client.MaxBodySize = C.MaxBodySize;
    TMemoryStream Body;
    try {
      Client.Get(Url(Server, "/a"), Body);
      EXPECT_EQ(C.Limit, -1);
    } catch (const ENetBodyTooLarge& E) {
      EXPECT_EQ(E.Message(),
                S("The download from http://" + HostPort(Server) +
                  "/a is larger than the limit of " + std::to_string(C.Limit) + " bytes."));
      EXPECT_FALSE(Client.Connected());
    }
    EXPECT_EQ(Body.View().size(), C.BodySize);
  }
}

}  // namespace
}  // namespace vlm
