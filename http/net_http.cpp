// http/net_http.cpp -- the HTTP client's construction, the request cycle of a call, the keep-alive
// judgement and the installer's settings.
#include "http/net_http.h"

#include "http/net_socket_exceptions.h"
#include "runtime/code_page.h"
#include "runtime/upper_case.h"

namespace vlm {

TNetCustomHTTP::TNetCustomHTTP() = default;

TNetCustomHTTP::~TNetCustomHTTP() {
  FResponse.ContentStream = nullptr;
}

void TNetCustomHTTP::Get(const String& AURL, TStream& AResponseContent) {
  DoRequest(u"GET", AURL, nullptr, &AResponseContent, {});
}

void TNetCustomHTTP::DoRequest(const String& AMethod, const String& AURL, TStream* ASource,
                               TStream* AResponseContent, const std::vector<int>& AIgnoreReplies) {
  FRedirectCount = 0;
  FAuthRetries = 0;
  FAuthProxyRetries = 0;
  const int64_t StartPosition = AResponseContent != nullptr ? AResponseContent->Position() : 0;
  FRequest.URL = AURL;
  FRequest.Method = AMethod;
  FRequest.Source = ASource;
  FResponse.ContentStream = AResponseContent;
  // Once a request has gone out, the connection carries a reply that only a complete read leaves
  // in a known state; a failure in the middle (time-out, oversized head, a reset) closes it, so
  // that the next call never reads the rest of this reply as its own.
  bool ExchangeStarted = false;
  // The stall watch that ReadReplyHead starts ends with the call, however it ends.
  struct StallWatchEnd {
    TNetCustomHTTP& Client;
    ~StallWatchEnd() {
      if (Client.FIOHandler != nullptr) Client.FIOHandler->EndStallWatch();
    }
  };
  try {
    const StallWatchEnd WatchEnd{*this};
    for (;;) {
      PrepareTarget();
      SelectEndpoint();
      ApplyConnectionHeaderRules();
      EnsureConnected();
      ExchangeStarted = true;
      BuildAndSendRequest();
      ReadReplyHead();
      const TWhatsNext Next = ProcessResponse(AIgnoreReplies);
      if (Next == TWhatsNext::wnJustExit) break;
      if (Next == TWhatsNext::wnGoToURL) {
        // A followed redirect: the new reply's body replaces whatever the old one left.
        if (AResponseContent != nullptr) {
          AResponseContent->SetPosition(StartPosition);
          AResponseContent->SetSize(StartPosition);
        }
        FAuthRetries = 0;
        FAuthProxyRetries = 0;
      } else {
        FRequest.URL = AURL;
      }
    }
  } catch (const ENetHTTPProtocolException&) {
    // The error body has been read whole: the connection is as good as after a success.
    FResponse.ContentStream = nullptr;
    if (!KeepAlive()) DropConnection();
    throw;
  } catch (...) {
    FResponse.ContentStream = nullptr;
    if (ExchangeStarted || !KeepAlive()) DropConnection();
    throw;
  }
  FResponse.ContentStream = nullptr;
  if (!KeepAlive()) DropConnection();
}

void TNetCustomHTTP::DropConnection() {
  Disconnect();
  // Unread bytes of a reply that is given up would keep the handler reporting a connection.
  if (FIOHandler != nullptr) FIOHandler->InputBuffer().Clear();
}

bool TNetCustomHTTP::KeepAlive() {
  const String& Line = FResponse.ResponseText;
  if (Line.size() >= 8) {
    const StringView Version = StringView(Line).substr(5, 3);
    if (Version == u"1.0") FResponse.ResponseVersion = TNetHTTPProtocolVersion::pv1_0;
    if (Version == u"1.1") FResponse.ResponseVersion = TNetHTTPProtocolVersion::pv1_1;
  }
  // Connected polls the socket, so a close the peer has already sent is noticed here.
  if (!Connected() || FKeepAliveRefused) return false;
  auto Says = [](const String& AValue, StringView AWord) {
    return SameText(TrimBlanks(AValue), AWord);
  };
  if (FResponse.ResponseVersion == TNetHTTPProtocolVersion::pv1_1)
    return !Says(FResponse.Connection, u"CLOSE") && !Says(FResponse.ProxyConnection, u"CLOSE");
  return Says(FResponse.Connection, u"KEEP-ALIVE") ||
         Says(FResponse.ProxyConnection, u"KEEP-ALIVE");
}

bool TNetCustomHTTP::DoOnAuthorization() {
  return Authorize(/*AProxy=*/false);
}

bool TNetCustomHTTP::DoOnProxyAuthorization() {
  return Authorize(/*AProxy=*/true);
}

void ApplyInstallerSettings(TNetCustomHTTP& AClient) {
  AClient.ProtocolVersion = TNetHTTPProtocolVersion::pv1_1;
  AClient.HTTPOptions = hoForceEncodeParams;
  AClient.HandleRedirects = false;
  AClient.RedirectMaximum = 15;
  AClient.MaxAuthRetries = 3;
  AClient.MaxHeaderLines = kNetDefaultMaxHeaderLines;
  AClient.AllowCookies = true;
  AClient.ConnectTimeout = 0;
  AClient.ReadTimeout = kNetInstallerReadTimeout;
  AClient.StallWindow = kNetInstallerStallWindow;
  AClient.StallMinBytes = kNetInstallerStallMinBytes;
}

unsigned CodePageOfCharSet(const String& ACharSet) {
  const String Name = UpperCase(TrimBlanks(ACharSet));
  if (Name == u"UTF-8" || Name == u"UTF8") return kCodePageUtf8;
  if (Name == u"WINDOWS-1252" || Name == u"CP1252") return 1252;
  if (Name == u"US-ASCII" || Name == u"ASCII") return 20127;
  return 28591;  // ISO-8859-1, also for names not known here
}

}  // namespace vlm
