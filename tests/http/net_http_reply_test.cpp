// tests/http/net_http_reply_test.cpp -- the GET exchange over a scripted in-memory peer: how the
// target and Host value are formed, the URL failures, reply heads with LF-only lines, chunked
// bodies with extensions and trailers, early closes, the header-line bound, long lines and the
// read time-out of the installer's settings.
#include "http/net_http.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "http/net_socket_exceptions.h"
#include "runtime/memory_stream.h"
#include "tests/http/net_http_test_support.h"

namespace vlm {
namespace {

using test::EventLog;
using test::InstallerHead;
using test::Reply;
using test::ScriptedClient;

TEST(TNetHTTPReply, FormsTheTargetAndHostValueFromTheUrl) {
  struct Case {
    const char16_t* URL;
    std::string Target;
    std::string Host;
  };
  for (const Case& K :
       {Case{u"http://localhost/dir/deploy.vlm", "/dir/deploy.vlm", "localhost"},
        Case{u"http://localhost:80/a", "/a", "localhost"},
        Case{u"http://localhost:8080/dir/deploy.vlm", "/dir/deploy.vlm", "localhost:8080"},
        Case{u"http://localhost:080/a", "/a", "localhost:080"},
        Case{u"http://LOCALHOST:8080", "/", "LOCALHOST:8080"},
        Case{u"http://[::1]:8080/a", "/a", "[::1]:8080"},
        Case{u"http://localhost\\dir\\a?b\\c", "/dir/a?b\\c", "localhost"},
        Case{u"http://u:p@localhost/a?x=1", "/a?x=1", "localhost"}}) {
    ScriptedClient C;
    C.Peer->Data(Reply("200 OK", ""));
    TMemoryStream Body;
    C.Client.Get(K.URL, Body);
    EXPECT_EQ(C.Peer->Written, InstallerHead(K.Target, K.Host)) << StringToUtf8(K.URL);
  }
}

TEST(TNetHTTPReply, FailsForUrlsItCannotFetchBeforeConnecting) {
  struct Case {
    const char16_t* URL;
    const char* ClassName;
    const char16_t* Message;
  };
  for (const Case& K :
       {Case{u"https://localhost/a", "ENetIOHandlerPropInvalid", u"IOHandler value is not valid"},
        Case{u"ftp://localhost/a", "ENetUnknownProtocol", u"Unknown Protocol"},
        Case{u"deploy.vlm", "ENetUnknownProtocol", u"Unknown Protocol"},
        Case{u"http:///a", "ENetHostRequired", u""}}) {
    ScriptedClient C;
    TMemoryStream Body;
    try {
      C.Client.Get(K.URL, Body);
      ADD_FAILURE() << "no exception for " << StringToUtf8(K.URL);
    } catch (const ENetException& E) {
      EXPECT_STREQ(E.ClassName(), K.ClassName) << StringToUtf8(K.URL);
      EXPECT_EQ(E.Message(), K.Message);
    }
    EXPECT_EQ(C.Peer->Written, "");
  }
}

TEST(TNetHTTPReply, ReadsLfOnlyHeadsAndKeepsTheHeaderLinesAsReceived) {
  ScriptedClient C;
  C.Peer->DataInPieces(
      "HTTP/1.1 200 OK\nContent-Length: 4\nX-Folded: a\n\tb\nContent-Type: text/plain\n\nbody", 3);
  TMemoryStream Body;
  C.Client.Get(u"http://localhost/a", Body);
  EXPECT_EQ(Body.View(), "body");
  const TNetHeaderList& Lines = C.Client.Response().RawHeaders();
  ASSERT_EQ(Lines.Count(), 4);
  EXPECT_EQ(Lines.Strings(2), u"\tb");
  EXPECT_EQ(Lines.Values(u"x-folded"), u"a b");
  EXPECT_EQ(C.Client.Response().CharSet, u"ISO-8859-1");
}

TEST(TNetHTTPReply, ReadsAChunkedBodyWithExtensionsAndTrailers) {
  ScriptedClient C;
  EventLog Events;
  Events.Attach(C.Client);
  const std::string Framed =
      "5;name=value\r\nhello\r\n7 ; x\r\n, world\r\n0\r\nX-Trailer: t\r\n\r\n";
  C.Peer->DataInPieces("HTTP/1.1 200 OK\r\nTransfer-Encoding: Chunked\r\n\r\n" + Framed, 7);
  TMemoryStream Body;
  C.Client.Get(u"http://localhost/a", Body);
  EXPECT_EQ(Body.View(), "hello, world");
  const TNetHeaderList& Lines = C.Client.Response().RawHeaders();
  EXPECT_EQ(Lines.Strings(Lines.Count() - 1), u"X-Trailer: t");
  // One work bracket for the whole body; its total counts the framing too.
  ASSERT_GE(Events.Lines.size(), 3u);
  EXPECT_EQ(Events.Lines.front(), "begin read 0");
  EXPECT_EQ(std::count(Events.Lines.begin(), Events.Lines.end(), "begin read 0"), 1);
  EXPECT_EQ(Events.Lines[Events.Lines.size() - 2], "work read " + std::to_string(Framed.size()));
  EXPECT_EQ(Events.Lines.back(), "end read");
}

TEST(TNetHTTPReply, StoresAnEncodedBodyAsReceived) {
  ScriptedClient C;
  const std::string Gzip(
      "\x1f\x8b\x08\x00\x00\x00\x00\x00\x00\x03\x03\x00\x00\x00\x00\x00\x00\x00"
      "\x00\x00",
      20);
  C.Peer->Data(Reply("200 OK", Gzip, "Content-Encoding: gzip\r\n"));
  TMemoryStream Body;
  C.Client.Get(u"http://localhost/a", Body);
  EXPECT_EQ(Body.View(), Gzip);
}

TEST(TNetHTTPReply, AnEmptyCountedBodyFiresNoWorkEvents) {
  ScriptedClient C;
  EventLog Events;
  Events.Attach(C.Client);
  C.Peer->Data(Reply("200 OK", ""));
  TMemoryStream Body;
  C.Client.Get(u"http://localhost/a", Body);
  EXPECT_EQ(Body.Size(), 0);
  EXPECT_TRUE(Events.Lines.empty());
}

// The class name and message of the failure of one GET over the scripted peer.
std::string FailureOf(ScriptedClient& C, TMemoryStream& Body) {
  try {
    C.Client.Get(u"http://localhost/a", Body);
  } catch (const Exception& E) {
    return std::string(E.ClassName()) + ": " + StringToUtf8(E.Message());
  } catch (const std::exception& E) {
    return std::string("foreign: ") + E.what();
  }
  return "no failure";
}

TEST(TNetHTTPReply, EarlyClosesFailOrEndTheReplyAsTheFramingSays) {
  struct Case {
    const char* Name;
    std::string Input;
    std::string Failure;
    std::string Body;
  };
  const std::string Closed = "ENetConnClosedGracefully: Connection Closed Gracefully.";
  for (const Case& K : {
           Case{"before the status line", "", Closed, ""},
           Case{"inside a counted body", "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabc", Closed,
                "abc"},
           Case{"inside a chunked body",
                "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nab", Closed, "ab"},
           Case{"inside the head of an empty reply", "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n",
                "no failure", ""},
           Case{"inside the head of a counted reply", "HTTP/1.1 200 OK\r\nContent-Length: 3\r\n",
                Closed, ""},
       }) {
    ScriptedClient C;
    C.Peer->Data(K.Input).PeerCloses();
    TMemoryStream Body;
    EXPECT_EQ(FailureOf(C, Body), K.Failure) << K.Name;
    EXPECT_EQ(Body.View(), K.Body) << K.Name;
    EXPECT_FALSE(C.Client.Connected()) << K.Name;
  }
}

TEST(TNetHTTPReply, BoundsTheNumberOfHeaderLines) {
  std::string Head = "HTTP/1.1 200 OK\r\n";
  for (int I = 0; I < kNetDefaultMaxHeaderLines; ++I)
    Head += "X-Line: " + std::to_string(I) + "\r\n";
  {
    ScriptedClient C;  // exactly the limit: accepted
    C.Peer->Data(Head + "Content-Length: 0\r\n\r\n");
    C.Client.MaxHeaderLines = kNetDefaultMaxHeaderLines + 1;
    TMemoryStream Body;
    EXPECT_EQ(FailureOf(C, Body), "no failure");
  }
  {
    ScriptedClient C;  // a server that never ends its head
    C.Peer->Data(Head).Data("X-More: 1\r\n");
    for (int I = 0; I < 100; ++I) C.Peer->Data("X-Again: 1\r\n");
    TMemoryStream Body;
    EXPECT_EQ(FailureOf(C, Body), "ENetHTTPHeaderLinesExceeded: Too many header lines.");
    EXPECT_LE(C.Client.Response().RawHeaders().Count(), kNetDefaultMaxHeaderLines);
    // The rest of that head must never be read as the next reply.
    EXPECT_FALSE(C.Client.Connected());
  }
  {
    ScriptedClient C;  // a setting of 0 still bounds the count
    C.Client.MaxHeaderLines = 0;
    C.Peer->Data(Head).Data("X-More: 1\r\n\r\n");
    TMemoryStream Body;
    EXPECT_EQ(FailureOf(C, Body), "ENetHTTPHeaderLinesExceeded: Too many header lines.");
  }
}

TEST(TNetHTTPReply, AnOverlongStatusLineFails) {
  ScriptedClient C;
  C.Peer->Data("HTTP/1.1 200 " + std::string(20000, 'x'));
  TMemoryStream Body;
  EXPECT_EQ(FailureOf(C, Body), "ENetReadLnMaxLineLengthExceeded: Max line length exceeded.");
  EXPECT_FALSE(C.Client.Connected());
}

TEST(TNetHTTPReply, TheInstallerSettingsBoundEveryReadBy60Seconds) {
  ScriptedClient C;
  EXPECT_EQ(C.Client.ReadTimeout, kNetInstallerReadTimeout);
  EXPECT_EQ(C.Client.ConnectTimeout, 0);
  // The peer sends a head and then falls silent inside the body. The scripted peer fails the
  // test on a wait without a limit, so reaching the time-out proves the bound was in force.
  C.Peer->Data("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabc");
  TMemoryStream Body;
  EXPECT_EQ(FailureOf(C, Body), "ENetReadTimeout: Read timed out.");
  EXPECT_EQ(C.Peer->ReadTimeout, kNetInstallerReadTimeout);
  EXPECT_FALSE(C.Client.Connected());
}

TEST(TNetHTTPReply, ASilentPeerTimesOutBeforeTheStatusLine) {
  ScriptedClient C;
  TMemoryStream Body;
  EXPECT_EQ(FailureOf(C, Body), "ENetReadTimeout: Read timed out.");
  EXPECT_EQ(C.Peer->Written, InstallerHead("/a", "localhost"));
}

TEST(TNetHTTPReply, ScansAnHtmlBodyForHttpEquivLines) {
  ScriptedClient C;
  const std::string Page =
      "<html><head><title>t</title><meta http-equiv=\"Set-Cookie\" content=\"m=1\">"
      "</head><body>x</body></html>";
  C.Peer->Data(Reply("200 OK", Page, "Content-Type: text/html\r\n"));
  TMemoryStream Body;
  C.Client.Get(u"http://localhost/a", Body);
  EXPECT_EQ(Body.View(), Page);
  EXPECT_EQ(C.Client.MetaHTTPEquiv().RawHeaders().Values(u"Set-Cookie"), u"m=1");
}

// A scripted peer that plays one reply per connection: each is queued when the client connects,
// so no reply can be read before its request has gone out.
class ReplyPerConnection : public test::ScriptedIOHandler {
public:
  explicit ReplyPerConnection(std::vector<std::string> AReplies) : FReplies(std::move(AReplies)) {}
  void Open() override {
    ScriptedIOHandler::Open();
    if (FNext < FReplies.size()) Data(FReplies[FNext++]);
  }

private:
  std::vector<std::string> FReplies;
  size_t FNext = 0;
};

TEST(TNetHTTPReply, ARelativeUrlAfterABracketedHostKeepsIPv6) {
  TNetHTTP Client;
  ApplyInstallerSettings(Client);
  const std::string Closing = "Connection: close\r\n";
  auto Handler = std::make_unique<ReplyPerConnection>(
      std::vector<std::string>{Reply("200 OK", "1", Closing), Reply("200 OK", "2", Closing)});
  ReplyPerConnection* Peer = Handler.get();
  Handler->Close();
  Client.SetIOHandler(std::move(Handler));
  TMemoryStream First, Second;
  Client.Get(u"http://[::1]:8080/dir/deploy.vlm", First);
  Client.Get(u"menu.pkg", Second);
  EXPECT_EQ(Second.View(), "2");
  EXPECT_EQ(Client.IPVersion, TNetIPVersion::Net_IPv6);
  EXPECT_EQ(Peer->Written, InstallerHead("/dir/deploy.vlm", "[::1]:8080") +
                               InstallerHead("/dir/menu.pkg", "[::1]:8080"));
}

}  // namespace
}  // namespace vlm
