// tests/http/net_tcp_client_test.cpp -- real connections on 127.0.0.1 to a scripted server:
// lines and bodies split across segments, early closes, a silent server with a short read
// time-out, a refused connection, the connect rules, and connection counts.
#include "http/net_tcp_client.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "http/net_body_reader.h"
#include "http/net_io_handler_socket.h"
#include "http/net_socket_exceptions.h"
#include "runtime/memory_stream.h"
#include "tests/support/loopback_server.h"

namespace vlm {
namespace {

using test::LoopbackServer;

const std::string kRequest = "GET /deploy.vlm HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";

// A client for the server's port, recording its status events.
struct Client {
  explicit Client(const LoopbackServer& Server, const String& Host = u"127.0.0.1") {
    C.Host = Host;
    C.Port = Server.Port();
    C.OnStatus = [this](TNetComponent&, TNetStatus S, const String& Text) {
      Status.push_back(std::to_string(static_cast<int>(S)) + " " + StringToUtf8(Text));
    };
  }
  void SendRequest() {
    TNetIOHandler& H = *C.IOHandler();
    H.WriteBufferOpen();
    H.WriteLn(u"GET /deploy.vlm HTTP/1.1");
    H.WriteLn(u"Host: 127.0.0.1");
    H.WriteLn();
    H.WriteBufferClose();
  }
  TNetTCPClientCustom C;
  std::vector<std::string> Status;
};

std::string StatusLine(TNetStatus S, const std::string& Text) {
  return std::to_string(static_cast<int>(S)) + " " + Text;
}

TEST(TNetTCPClient, ReadsAReplySplitAtAwkwardPlacesAndSendsTheRequestExactly) {
  LoopbackServer Server(
      {LoopbackServer::Expect(kRequest.size()), LoopbackServer::Send("HTTP/1.1 200 OK\r"),
       LoopbackServer::Send("\nContent-Length: 5\r\n\r\nhel"), LoopbackServer::Send("lo")});
  ASSERT_NE(Server.Port(), 0);
  Client Cl(Server);
  Cl.C.Connect();
  EXPECT_TRUE(Cl.C.Connected());
  Cl.SendRequest();
  TNetIOHandler& H = *Cl.C.IOHandler();
  EXPECT_EQ(H.ReadLn(), u"HTTP/1.1 200 OK");
  EXPECT_EQ(H.ReadLn(), u"Content-Length: 5");
  EXPECT_EQ(H.ReadLn(), u"");
  TMemoryStream Body;
  ReadResponseBody(H, {u"", 5}, &Body);
  EXPECT_EQ(Body.View(), "hello");
  EXPECT_EQ(Server.Received(), kRequest);
  EXPECT_EQ(Server.Connections(), 1);
  EXPECT_EQ(Cl.Status,
            (std::vector<std::string>{StatusLine(TNetStatus::hsConnecting, "127.0.0.1"),
                                      StatusLine(TNetStatus::hsConnected, "127.0.0.1")}));
}

TEST(TNetTCPClient, FailsABodyCutShortByThePeersClose) {
  LoopbackServer Server({LoopbackServer::Send("abc"), LoopbackServer::Close()});
  Client Cl(Server);
  Cl.C.Connect();
  TMemoryStream Body;
  try {
    ReadResponseBody(*Cl.C.IOHandler(), {u"", 10}, &Body);
    FAIL() << "no exception";
  } catch (const ENetConnClosedGracefully& E) {
    EXPECT_EQ(E.Message(), u"Connection Closed Gracefully.");
  }
  EXPECT_EQ(Body.View(), "abc");
  EXPECT_FALSE(Cl.C.Connected());
}

TEST(TNetTCPClient, ReadsABodyWithoutLengthUntilThePeerCloses) {
  const std::string Payload(100000, 'z');
  LoopbackServer Server({LoopbackServer::Send(Payload.substr(0, 33333)),
                         LoopbackServer::Send(Payload.substr(33333)), LoopbackServer::Close()});
  Client Cl(Server);
  Cl.C.Connect();
  TMemoryStream Body;
  ReadResponseBody(*Cl.C.IOHandler(), {u"", -1}, &Body);
  EXPECT_EQ(Body.View(), Payload);
  EXPECT_FALSE(Cl.C.Connected());
}

TEST(TNetTCPClient, KeepsBufferedBytesReadableAfterThePeerCloses) {
  LoopbackServer Server({LoopbackServer::Send("line one\nline two\n"), LoopbackServer::Close()});
  Client Cl(Server);
  Cl.C.Connect();
  TNetIOHandler& H = *Cl.C.IOHandler();
  EXPECT_EQ(H.ReadLn(), u"line one");
  EXPECT_EQ(H.ReadLn(), u"line two");
  EXPECT_THROW(H.ReadLn(), ENetConnClosedGracefully);
}

TEST(TNetTCPClient, TimesOutOnASilentServerWithAShortReadTimeout) {
  LoopbackServer Server({LoopbackServer::Silent()});
  Client Cl(Server);
  Cl.C.ReadTimeout = 200;
  Cl.C.Connect();
  try {
    Cl.C.IOHandler()->ReadLn();
    FAIL() << "no exception";
  } catch (const ENetReadTimeout& E) {
    EXPECT_EQ(E.Message(), u"Read timed out.");
  }
}

TEST(TNetTCPClient, TimesOutWhenTheServerStallsMidBody) {
  LoopbackServer Server({LoopbackServer::Send("0123"), LoopbackServer::Silent()});
  Client Cl(Server);
  Cl.C.ReadTimeout = 200;
  Cl.C.Connect();
  TMemoryStream Body;
  EXPECT_THROW(ReadResponseBody(*Cl.C.IOHandler(), {u"", 10}, &Body), ENetReadTimeout);
  EXPECT_EQ(Body.View(), "0123");
}

TEST(TNetTCPClient, ConnectsWithABoundedConnectTimeout) {
  LoopbackServer Server({LoopbackServer::Send("ok\n")});
  Client Cl(Server);
  Cl.C.ConnectTimeout = 5000;
  Cl.C.Connect();
  EXPECT_EQ(Cl.C.IOHandler()->ReadLn(), u"ok");
}

TEST(TNetTCPClient, ReportsDisconnectInOrder) {
  LoopbackServer Server({});
  Client Cl(Server);
  Cl.C.Connect();
  Cl.Status.clear();
  Cl.C.OnDisconnected = [&](TNetTCPConnection&) { Cl.Status.push_back("disconnected"); };
  Cl.C.Disconnect();
  EXPECT_EQ(Cl.Status,
            (std::vector<std::string>{StatusLine(TNetStatus::hsDisconnecting, ""), "disconnected",
                                      StatusLine(TNetStatus::hsDisconnected, "")}));
  Cl.C.Disconnect();  // not open: nothing more
  EXPECT_EQ(Cl.Status.size(), 3u);
}

TEST(TNetTCPClient, ConnectsToLocalhostInAnyLetterCase) {
  LoopbackServer Server({});
  Client Cl(Server, u"LocalHost");
  Cl.C.Connect();
  auto& Binding = static_cast<TNetIOHandlerSocket*>(Cl.C.IOHandler())->Binding();
  EXPECT_EQ(Binding.PeerIP, u"127.0.0.1");
  EXPECT_EQ(Binding.PeerPort, Server.Port());
  EXPECT_EQ(Binding.IP, u"127.0.0.1");
  EXPECT_NE(Binding.Port, 0);
  // A name goes through resolution (which maps it without a lookup); an address does not.
  EXPECT_EQ(Cl.Status,
            (std::vector<std::string>{StatusLine(TNetStatus::hsResolving, "LocalHost"),
                                      StatusLine(TNetStatus::hsConnecting, "127.0.0.1"),
                                      StatusLine(TNetStatus::hsConnected, "LocalHost")}));
}

TEST(TNetTCPClient, FailsAConnectionRefusedWithTheSocketErrorText) {
  TNetTCPClientCustom C;  // holds the socket stack for the port probe below
  // A port that was just free: bound, read back, released.
  const SocketRaw Probe = SocketOpen(kSocketFamilyIPv4);
  ASSERT_NE(Probe, kNoSocketRaw);
  SocketAddress Loopback;
  Loopback.Bytes[0] = 127;
  Loopback.Bytes[3] = 1;
  ASSERT_TRUE(SocketBind(Probe, Loopback));
  SocketAddress Bound;
  ASSERT_TRUE(SocketLocalAddress(Probe, Bound));
  SocketClose(Probe);

  C.Host = u"127.0.0.1";
  C.Port = Bound.Port;
  for (int Timeout : {0, 5000}) {  // a blocking connect, then a bounded one
    C.ConnectTimeout = Timeout;
    try {
      C.Connect();
      FAIL() << "no exception";
    } catch (const ENetSocketError& E) {
      EXPECT_EQ(E.LastError(), 10061) << Timeout;
      EXPECT_EQ(E.Message(), u"Socket Error # 10061\r\nConnection refused.") << Timeout;
    }
    EXPECT_EQ(C.IOHandler(), nullptr);  // a failed connect releases the handler
    EXPECT_FALSE(C.Connected());
  }
}

TEST(TNetTCPClient, FailsToBindALocalPortInUse) {
  LoopbackServer Server({});
  Client Cl(Server);
  Cl.C.BoundIP = u"127.0.0.1";
  Cl.C.BoundPort = Server.Port();  // the server's listening port
  try {
    Cl.C.Connect();
    FAIL() << "no exception";
  } catch (const ENetCouldNotBindSocket& E) {
    EXPECT_EQ(E.Message(), u"Could not bind socket. Address and port are already in use.");
  }
  EXPECT_EQ(Cl.C.IOHandler(), nullptr);
}

TEST(TNetTCPClient, RefusesToConnectTwiceOrWithoutHostOrPort) {
  LoopbackServer Server({});
  Client Cl(Server);
  Cl.C.Connect();
  try {
    Cl.C.Connect();
    FAIL() << "no exception";
  } catch (const ENetAlreadyConnected& E) {
    EXPECT_EQ(E.Message(), u"Already connected.");
  }
  TNetTCPClientCustom NoHost;
  NoHost.Port = 80;
  EXPECT_THROW(NoHost.Connect(), ENetHostRequired);
  TNetTCPClientCustom NoPort;
  NoPort.Host = u"127.0.0.1";
  EXPECT_THROW(NoPort.Connect(), ENetPortRequired);
}

TEST(TNetTCPClient, KeepsItsHandlerAcrossConnectionsAndCountsEachOne) {
  LoopbackServer Server({LoopbackServer::Send("hi\n")});
  Client Cl(Server);
  Cl.C.Connect();
  TNetIOHandler* First = Cl.C.IOHandler();
  EXPECT_EQ(First->ReadLn(), u"hi");
  Cl.C.Disconnect();
  EXPECT_FALSE(Cl.C.Connected());
  ASSERT_TRUE(Server.WaitForScriptsDone(1));
  Cl.C.Connect();
  EXPECT_EQ(Cl.C.IOHandler(), First);
  EXPECT_EQ(First->ReadLn(), u"hi");
  Cl.C.Disconnect();
  ASSERT_TRUE(Server.WaitForScriptsDone(2));
  EXPECT_EQ(Server.Connections(), 2);
}

TEST(TNetTCPClient, ReportsBodyWorkThroughTheClient) {
  const std::string Payload(70000, 'w');
  LoopbackServer Server({LoopbackServer::Send(Payload)});
  Client Cl(Server);
  std::vector<int64_t> Totals;
  int64_t Max = -1;
  int Ends = 0;
  Cl.C.OnWorkBegin = [&](TNetComponent& S, TWorkMode, int64_t M) {
    EXPECT_EQ(&S, &Cl.C);
    Max = M;
  };
  Cl.C.OnWork = [&](TNetComponent&, TWorkMode, int64_t N) { Totals.push_back(N); };
  Cl.C.OnWorkEnd = [&](TNetComponent&, TWorkMode) { ++Ends; };
  Cl.C.Connect();
  TMemoryStream Body;
  ReadResponseBody(*Cl.C.IOHandler(), {u"", 70000}, &Body);
  EXPECT_EQ(Body.Size(), 70000);
  EXPECT_EQ(Max, 70000);
  ASSERT_FALSE(Totals.empty());
  EXPECT_EQ(Totals.back(), 70000);
  EXPECT_TRUE(std::is_sorted(Totals.begin(), Totals.end()));
  EXPECT_EQ(Ends, 1);
}

}  // namespace
}  // namespace vlm
