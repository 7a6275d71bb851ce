// tests/http/posix/tls_openssl_test.cpp -- the https I/O handler over OpenSSL against a TLS server
// on loopback: a request and its reply pass whole over TLS 1.2 and 1.3, for a DNS name and for an
// IP address; every certificate or protocol the installer must refuse is refused with its own
// message before a byte of the request reaches the server.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>

#include "http/net_http.h"
#include "http/net_io_handler_tls.h"
#include "http/net_socket_exceptions.h"
#include "runtime/memory_stream.h"
#include "tests/support/loopback_server.h"
#include "tests/support/temp_folder.h"
#include "tests/support/tls_test_server.h"

namespace vlm {
namespace {

using test::IssueCert;
using test::TIssuedCert;
using test::TlsTestServer;

const std::string kRequest = "GET /deploy.vlm HTTP/1.1\r\nHost: x\r\n\r\n";

// One authority trusted for the whole suite (through OpenSSL's SSL_CERT_FILE, with an empty
// SSL_CERT_DIR so the machine's own store plays no part), and the certificates made from it.
class TlsHandler : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    Folder = new test::TempFolder();
    Trusted = new TIssuedCert(IssueCert("Velmora test authority", nullptr, ""));
    const auto File = Folder->Path() / "trusted.pem";
    std::ofstream(File) << test::PemOf(Trusted->Cert.get());
    std::filesystem::create_directories(Folder->Path() / "no-more");
    ::setenv("SSL_CERT_FILE", File.c_str(), 1);
    ::setenv("SSL_CERT_DIR", (Folder->Path() / "no-more").c_str(), 1);
  }
  static void TearDownTestSuite() {
    delete Trusted;
    delete Folder;
  }

  // Opens AHandler to the server as AHost with the read time-out ATimeoutMs and sends the request.
  static void OpenAndRequest(TNetIOHandlerTls& AHandler, const TlsTestServer& AServer,
                             const String& AHost = u"127.0.0.1", int ATimeoutMs = 5000) {
    AHandler.Host = AHost;
    AHandler.Port = AServer.Port();
    AHandler.ReadTimeout = ATimeoutMs;
    AHandler.Open();
    AHandler.Write(std::string_view(kRequest));
  }

  // The request sent to the server as AHost, and the reply's first line.
  static String Exchange(const TlsTestServer& AServer, const String& AHost) {
    TNetIOHandlerTls Handler;
    OpenAndRequest(Handler, AServer, AHost);
    return Handler.ReadLn();
  }

  static inline test::TempFolder* Folder = nullptr;
  static inline TIssuedCert* Trusted = nullptr;
};

TEST_F(TlsHandler, CarriesARequestAndItsReplyByNameAndByAddressOverTls12And13) {
  const TIssuedCert Leaf = IssueCert("server", Trusted, "DNS:localhost,IP:127.0.0.1");
  for (const int Version : {TLS1_2_VERSION, 0}) {
    TlsTestServer Server({&Leaf, nullptr, Version, "HTTP/1.1 200 OK\r\n\r\n"});
    EXPECT_EQ(Exchange(Server, u"localhost"), u"HTTP/1.1 200 OK") << Version;
    EXPECT_EQ(Exchange(Server, u"127.0.0.1"), u"HTTP/1.1 200 OK") << Version;
    EXPECT_EQ(Server.Received(), kRequest + kRequest) << Version;
  }
}

TEST_F(TlsHandler, ReadsABodyOfManyRecordsExactly) {
  const TIssuedCert Leaf = IssueCert("server", Trusted, "IP:127.0.0.1");
  std::string Body(3 * 1024 * 1024 + 17, '\0');
  for (size_t I = 0; I < Body.size(); ++I) Body[I] = static_cast<char>(I * 131 + I / 4096);
  TlsTestServer Server({&Leaf, nullptr, 0, Body});
  TNetIOHandlerTls Handler;
  OpenAndRequest(Handler, Server);
  std::string Got;
  Handler.ReadBytes(Got, static_cast<int>(Body.size()));
  EXPECT_TRUE(Got == Body);
}

TEST_F(TlsHandler, ASilentServerEndsInTheReadTimeOut) {
  const TIssuedCert Leaf = IssueCert("server", Trusted, "IP:127.0.0.1");
  TlsTestServer Server({&Leaf, nullptr, 0, ""});
  TNetIOHandlerTls Handler;
  OpenAndRequest(Handler, Server, u"127.0.0.1", 300);
  EXPECT_THROW(Handler.ReadLn(), ENetReadTimeout);
}

TEST_F(TlsHandler, RefusesEveryServerItMustNotTrustBeforeSendingTheRequest) {
  const TIssuedCert Stranger = IssueCert("Unknown authority", nullptr, "");
  const TIssuedCert LookAlike = IssueCert("Velmora test authority", nullptr, "");
  const TIssuedCert FromStranger = IssueCert("server", &Stranger, "IP:127.0.0.1");
  const TIssuedCert FromLookAlike = IssueCert("server", &LookAlike, "IP:127.0.0.1");
  const TIssuedCert Expired = IssueCert("server", Trusted, "IP:127.0.0.1", -30, -2);
  const TIssuedCert Future = IssueCert("server", Trusted, "IP:127.0.0.1", 2, 30);
  const TIssuedCert OtherHost = IssueCert("server", Trusted, "DNS:elsewhere.test,IP:127.0.0.2");
  const TIssuedCert Good = IssueCert("server", Trusted, "IP:127.0.0.1");
  const auto Day = [](int ADays) {
    const std::time_t When = std::time(nullptr) + ADays * 86400;
    char Text[16];
    std::strftime(Text, sizeof Text, "%Y-%m-%d", std::gmtime(&When));
    return std::string(Text);
  };
  const std::string Untrusted = "not issued by an authority this computer trusts";
  struct Case {
    const char* Name;
    TlsTestServer::Options Server;
    std::string Message;
  } Cases[] = {
      {"unknown authority", {&FromStranger, nullptr, 0, "x"}, Untrusted},
      {"unknown authority with its chain sent", {&FromStranger, &Stranger, 0, "x"}, Untrusted},
      {"look-alike authority", {&FromLookAlike, &LookAlike, 0, "x"}, Untrusted},
      {"expired", {&Expired, nullptr, 0, "x"}, "(expired on " + Day(-2) + ")."},
      {"not yet valid", {&Future, nullptr, 0, "x"}, "(not valid before " + Day(2) + ")."},
      {"another host", {&OtherHost, nullptr, 0, "x"}, "issued for another name than 127.0.0.1"},
      {"TLS 1.1 only", {&Good, nullptr, TLS1_1_VERSION, "x"}, "TLS 1.2 or newer"},
      {"TLS 1.0 only", {&Good, nullptr, TLS1_VERSION, "x"}, "TLS 1.2 or newer"},
  };
  for (auto& C : Cases) {
    TlsTestServer Server(C.Server);
    try {
      Exchange(Server, u"127.0.0.1");
      ADD_FAILURE() << C.Name << ": accepted";
    } catch (const ENetTlsError& E) {
      EXPECT_NE(StringToUtf8(E.Message()).find(C.Message), std::string::npos)
          << C.Name << ": " << StringToUtf8(E.Message());
      EXPECT_EQ(StringToUtf8(E.Message()).rfind("The server 127.0.0.1 ", 0), 0u) << C.Name;
    }
    EXPECT_EQ(Server.Received(), "") << C.Name;
  }
}

TEST_F(TlsHandler, TheClientFetchesHttpsAndPlainHttpWithOneInstance) {
  const TIssuedCert Leaf = IssueCert("server", Trusted, "IP:127.0.0.1");
  TlsTestServer Secure({&Leaf, nullptr, 0, "HTTP/1.1 200 OK\r\nContent-Length: 6\r\n\r\nsecret"});
  test::LoopbackServer Plain(
      {test::LoopbackServer::Expect(1),
       test::LoopbackServer::Send("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nplain")});
  TNetHTTP Client;
  ApplyInstallerSettings(Client);
  const String SecureUrl =
      u"https://127.0.0.1:" + Utf8ToString(std::to_string(Secure.Port())) + u"/a";
  const String PlainUrl = u"http://127.0.0.1:" + Utf8ToString(std::to_string(Plain.Port())) + u"/b";
  for (const String& Url : {SecureUrl, PlainUrl, SecureUrl}) {
    TMemoryStream Body;
    Client.Get(Url, Body);
    EXPECT_EQ(Body.View(), Url == PlainUrl ? "plain" : "secret") << StringToUtf8(Url);
  }
  EXPECT_NE(Secure.Received().find("GET /a HTTP/1.1\r\n"), std::string::npos);
  EXPECT_EQ(Secure.Handshakes(), 2);
}

TEST_F(TlsHandler, ARedirectFromHttpsToHttpIsNeverFollowed) {
  const TIssuedCert Leaf = IssueCert("server", Trusted, "IP:127.0.0.1");
  TlsTestServer Secure(
      {&Leaf, nullptr, 0,
       "HTTP/1.1 302 Found\r\nLocation: http://127.0.0.1:9/x\r\nContent-Length: 0\r\n\r\n"});
  for (const bool Follow : {false, true}) {
    TNetHTTP Client;
    ApplyInstallerSettings(Client);
    Client.HandleRedirects = Follow;
    TMemoryStream Body;
    try {
      Client.Get(u"https://127.0.0.1:" + Utf8ToString(std::to_string(Secure.Port())) + u"/a", Body);
      ADD_FAILURE() << "followed";
    } catch (const ENetHTTPInsecureRedirect& E) {
      EXPECT_EQ(E.Message(),
                u"The server 127.0.0.1 redirected a secure request to an insecure "
                u"address (http://127.0.0.1:9/x); it is not followed.");
    }
  }
}

}  // namespace
}  // namespace vlm
