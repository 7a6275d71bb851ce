// tests/http/net_http_exchange_test.cpp -- the GET exchange against a scripted server on
// 127.0.0.1: the request head byte for byte, replies cut at awkward places, keep-alive reuse and
// "Connection: close", relative URLs, cookies sent back, a change of endpoint, and the work events.
#include "http/net_http.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "http/net_socket_exceptions.h"
#include "runtime/memory_stream.h"
#include "tests/http/net_http_test_support.h"
#include "tests/support/loopback_server.h"

namespace vlm {
namespace {

using test::EventLog;
using test::InstallerHead;
using test::LoopbackServer;
using test::Reply;

std::string HostPort(const LoopbackServer& Server) {
  return "127.0.0.1:" + std::to_string(Server.Port());
}

String Url(const LoopbackServer& Server, const std::string& Path) {
  return S("http://" + HostPort(Server) + Path);
}

struct InstallerClient {
  InstallerClient() {
    ApplyInstallerSettings(Client);
    Events.Attach(Client);
  }
  std::string Get(const String& AURL) {
    TMemoryStream Body;
    Client.Get(AURL, Body);
    return std::string(Body.View());
  }
  TNetHTTP Client;
  EventLog Events;
};

TEST(TNetHTTPExchange, SendsTheInstallerHeadAndReadsAReplyCutAtAwkwardPlaces) {
  LoopbackServer Server({LoopbackServer::Expect(1), LoopbackServer::Send("HTTP/1.1 200 OK\r"),
                         LoopbackServer::Send("\nContent-Len"),
                         LoopbackServer::Send("gth: 11\r\nServer: t\r\n\r"),
                         LoopbackServer::Send("\nhello"), LoopbackServer::Send(" world")});
  ASSERT_NE(Server.Port(), 0);
  InstallerClient C;
  EXPECT_EQ(C.Get(Url(Server, "/dir/deploy.vlm")), "hello world");
  EXPECT_EQ(Server.Received(), InstallerHead("/dir/deploy.vlm", HostPort(Server)));
  EXPECT_EQ(C.Client.ResponseCode(), 200);
  EXPECT_EQ(C.Client.ResponseText(), u"HTTP/1.1 200 OK");
  EXPECT_EQ(C.Client.Response().Server, u"t");
  // Only the body produces work events: the head is read outside any work.
  ASSERT_FALSE(C.Events.Lines.empty());
  EXPECT_EQ(C.Events.Lines.front(), "begin read 11");
  EXPECT_EQ(C.Events.Lines[C.Events.Lines.size() - 2], "work read 11");
  EXPECT_EQ(C.Events.Lines.back(), "end read");
}

TEST(TNetHTTPExchange, SendsTheTargetWithoutPercentEncodingAndKeepsParams) {
  LoopbackServer Server({LoopbackServer::Expect(1), LoopbackServer::Send(Reply("200 OK", "x"))});
  InstallerClient C;
  C.Get(Url(Server, "/my dir/deploy.vlm?x=1#top"));
  // The "#" follows the "?", so it is part of the params and goes out too.
  EXPECT_EQ(Server.Received(), InstallerHead("/my dir/deploy.vlm?x=1#top", HostPort(Server)));
}

// The installer's three heads for a server on APort: the second and third carry the cookie the
// first reply set, and the relative URLs resolve against the first request.
std::vector<std::string> ThreeHeads(int APort) {
  const std::string H = "127.0.0.1:" + std::to_string(APort);
  const std::string Cookies = "Cookie: sid=abc\r\nCookie2: $Version=\"1\"\r\n";
  return {InstallerHead("/dir/deploy.vlm", H), InstallerHead("/dir/menu.pkg", H, Cookies),
          InstallerHead("/x/release.inf", H, Cookies)};
}

TEST(TNetHTTPExchange, ThreeCallsOverKeepAliveUseOneConnectionWithRelativeUrlsAndCookies) {
  // The server waits for each whole head before it replies, so it needs their lengths before its
  // port is known; a port of another number of digits (never seen in practice) skips the test.
  const int ModelPort = 50000;
  const std::vector<std::string> Model = ThreeHeads(ModelPort);
  LoopbackServer Server(
      {LoopbackServer::Expect(Model[0].size()),
       LoopbackServer::Send(Reply("200 OK", "one", "Set-Cookie: sid=abc\r\n")),
       LoopbackServer::Expect(Model[0].size() + Model[1].size()),
       LoopbackServer::Send(Reply("200 OK", "two")),
       LoopbackServer::Expect(Model[0].size() + Model[1].size() + Model[2].size()),
       LoopbackServer::Send(Reply("200 OK", "three"))});
  if (std::to_string(Server.Port()).size() != std::to_string(ModelPort).size())
    GTEST_SKIP() << "skip: port " << Server.Port() << " has another number of digits";
  const std::vector<std::string> Heads = ThreeHeads(Server.Port());
  InstallerClient C;
  EXPECT_EQ(C.Get(Url(Server, "/dir/deploy.vlm")), "one");
  EXPECT_EQ(C.Get(u"menu.pkg"), "two");
  EXPECT_EQ(C.Get(u"../x/release.inf"), "three");
  EXPECT_EQ(Server.Received(), Heads[0] + Heads[1] + Heads[2]);
  EXPECT_EQ(Server.Connections(), 1);
  EXPECT_TRUE(C.Client.Connected());
}

TEST(TNetHTTPExchange, ConnectionCloseMakesEachCallConnectAnew) {
  LoopbackServer Server({LoopbackServer::Expect(1),
                         LoopbackServer::Send(Reply("200 OK", "body", "Connection: close\r\n")),
                         LoopbackServer::Close()});
  InstallerClient C;
  for (int I = 0; I < 3; ++I) {
    EXPECT_EQ(C.Get(Url(Server, "/f" + std::to_string(I))), "body");
    EXPECT_FALSE(C.Client.Connected());  // closed at the end of the call
  }
  EXPECT_TRUE(Server.WaitForScriptsDone(3));
  EXPECT_EQ(Server.Connections(), 3);
  EXPECT_EQ(Server.Received(), InstallerHead("/f0", HostPort(Server)) +
                                   InstallerHead("/f1", HostPort(Server)) +
                                   InstallerHead("/f2", HostPort(Server)));
}

TEST(TNetHTTPExchange, AnHttp10ReplyWithoutKeepAliveClosesTheConnection) {
  LoopbackServer Server({LoopbackServer::Expect(1),
                         LoopbackServer::Send("HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nok")});
  InstallerClient C;
  EXPECT_EQ(C.Get(Url(Server, "/a")), "ok");
  EXPECT_EQ(C.Client.Response().ResponseVersion, TNetHTTPProtocolVersion::pv1_0);
  EXPECT_FALSE(C.Client.Connected());
}

TEST(TNetHTTPExchange, ABodyReadUntilCloseEndsWithTheConnectionClosed) {
  LoopbackServer Server({LoopbackServer::Expect(1),
                         LoopbackServer::Send("HTTP/1.1 200 OK\nContent-Type: x/y\n\npart one, "),
                         LoopbackServer::Send("part two"), LoopbackServer::Close()});
  InstallerClient C;
  EXPECT_EQ(C.Get(Url(Server, "/a")), "part one, part two");
  EXPECT_FALSE(C.Client.Connected());
  ASSERT_GE(C.Events.Lines.size(), 3u);
  EXPECT_EQ(C.Events.Lines.front(), "begin read 0");
  EXPECT_EQ(C.Events.Lines[C.Events.Lines.size() - 2], "work read 18");
}

TEST(TNetHTTPExchange, AnotherHostNameDropsTheOpenConnection) {
  LoopbackServer Server({LoopbackServer::Expect(1), LoopbackServer::Send(Reply("200 OK", "x"))});
  InstallerClient C;
  C.Get(Url(Server, "/a"));
  // "localhost" reaches the same server, but it is another host name: a new connection.
  C.Get(S("http://localhost:" + std::to_string(Server.Port()) + "/b"));
  EXPECT_EQ(Server.Connections(), 2);
  EXPECT_EQ(Server.Received(),
            InstallerHead("/a", HostPort(Server)) +
                InstallerHead("/b", "localhost:" + std::to_string(Server.Port())));
}

TEST(TNetHTTPExchange, ReportsTheWorkEventsOfA70000ByteBody) {
  const std::string Body(70000, 'v');
  LoopbackServer Server({LoopbackServer::Expect(1), LoopbackServer::Send(Reply("200 OK", Body))});
  InstallerClient C;
  EXPECT_EQ(C.Get(Url(Server, "/package.zip")), Body);
  const auto& L = C.Events.Lines;
  ASSERT_GE(L.size(), 4u);
  EXPECT_EQ(L.front(), "begin read 70000");
  EXPECT_EQ(L[L.size() - 2], "work read 70000");
  EXPECT_EQ(L.back(), "end read");
  long long Previous = 0;
  for (size_t I = 1; I + 1 < L.size(); ++I) {
    ASSERT_EQ(L[I].rfind("work read ", 0), 0u) << L[I];
    const long long Count = std::stoll(L[I].substr(10));
    EXPECT_GT(Count, Previous);
    EXPECT_LE(Count - Previous, 32768);  // one event per block of at most 32768 bytes
    Previous = Count;
  }
}

TEST(TNetHTTPExchange, ASilentServerFailsWithTheReadTimeout) {
  LoopbackServer Server({LoopbackServer::Silent()});
  TNetHTTP Client;
  ApplyInstallerSettings(Client);
  Client.ReadTimeout = 200;  // a short setting; the installer's is kNetInstallerReadTimeout
  TMemoryStream Body;
  try {
    Client.Get(Url(Server, "/a"), Body);
    FAIL() << "no exception";
  } catch (const ENetReadTimeout& E) {
    EXPECT_EQ(E.Message(), u"Read timed out.");
  }
  EXPECT_FALSE(Client.Connected());
}

TEST(TNetHTTPExchange, AClosedKeepAliveConnectionIsNoticedBeforeTheNextRequest) {
  // The server replies without "Connection: close" and then closes anyway.
  LoopbackServer Server({LoopbackServer::Expect(1), LoopbackServer::Send(Reply("200 OK", "x")),
                         LoopbackServer::Close()});
  InstallerClient C;
  EXPECT_EQ(C.Get(Url(Server, "/a")), "x");
  ASSERT_TRUE(Server.WaitForScriptsDone(1));
  EXPECT_EQ(C.Get(Url(Server, "/b")), "x");
  EXPECT_EQ(Server.Connections(), 2);
}

}  // namespace
}  // namespace vlm
