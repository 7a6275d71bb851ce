// http/net_http.h -- the blocking HTTP/1.1 client: one GET from a URL into a caller's stream.
// TNetCustomHTTP holds the whole exchange: it resolves the URL against the previous request, picks
// the endpoint, keeps a keep-alive connection between calls, writes the request head in one send,
// reads the status line and headers (bounded in count and length), judges the status and reads
// the body with the work events. Cookies that servers set are sent back on later requests.
// TNetHTTP only makes the settings public. The code is split by concern:
//   net_http.cpp          construction, the request cycle, keep-alive, the installer's settings
//   net_http_request.cpp  target, endpoint, connection and the request head
//   net_http_response.cpp status line, headers, cookies, body reading, FailOnStatus
//   net_http_status.cpp   the status decision: redirects, 401/407, 1xx/204/304
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "http/cookie_manager.h"
#include "http/header_info.h"
#include "http/meta_http_equiv.h"
#include "http/net_body_reader.h"  // ENetBodyTooLarge
#include "http/net_exception.h"
#include "http/net_tcp_client.h"
#include "http/net_uri.h"
#include "runtime/stream.h"
#include "runtime/string.h"
#include "runtime/string_list.h"

namespace vlm {

enum class TNetHTTPProtocolVersion { pv1_0, pv1_1 };

// Client options, combined with "|".
enum TNetHTTPOption : unsigned {
  hoInProcessAuth = 1,      // repeat a request after an accepted 401/407 negotiation
  hoKeepOrigProtocol = 2,   // posts only: keep the protocol version
  hoForceEncodeParams = 4,  // posts only: percent-encode posted form fields
};
using TNetHTTPOptions = unsigned;

enum class TNetHTTPConnectionType { ctNormal, ctSSL, ctProxy, ctSSLProxy };

// Lines a reply head may carry after its status line, by default. A server that streams header
// lines without end fails the call with ENetHTTPHeaderLinesExceeded once this many have been
// read, instead of filling memory.
inline constexpr int kNetDefaultMaxHeaderLines = 255;
// Interim replies ("100 Continue") skipped before the final reply of one request, at most; and
// the bytes of all reply heads of one request together (status and header lines with their line
// ends), at most. A server that goes on beyond either fails the call.
inline constexpr int kNetMaxInterimReplies = 16;
inline constexpr int64_t kNetMaxReplyHeadBytes = 256 * 1024;

// Failures of the exchange itself (as opposed to the connection below it).
VLM_DECLARE_EXCEPTION(ENetUnknownProtocol, ENetException);       // "Unknown Protocol"
VLM_DECLARE_EXCEPTION(ENetIOHandlerPropInvalid, ENetException);  // "IOHandler value is not valid"
// A reply head with more header lines than MaxHeaderLines: "Too many header lines.".
VLM_DECLARE_EXCEPTION(ENetHTTPHeaderLinesExceeded, ENetException);

// More interim replies than kNetMaxInterimReplies, or more reply head than kNetMaxReplyHeadBytes.
VLM_DECLARE_EXCEPTION(ENetHTTPReplyHeadTooLarge, ENetException);

// A request line or header line that holds a CR, LF or NUL character: it would end the line early
// (and could start another header or request), so the request is refused before anything is sent.
VLM_DECLARE_EXCEPTION(ENetHTTPInvalidRequestLine, ENetException);

// A redirect from an https address to a plain http one: never followed, whatever the settings,
// since the rest of the exchange would travel unprotected.
VLM_DECLARE_EXCEPTION(ENetHTTPInsecureRedirect, ENetException);

inline constexpr char16_t kRSUnknownProtocol[] = u"Unknown Protocol";
inline constexpr char16_t kRSIOHandlerPropInvalid[] = u"IOHandler value is not valid";
inline constexpr char16_t kRSTooManyHeaderLines[] = u"Too many header lines.";

// A reply that the server answered with an error: ErrorCode is its code.
class ENetReplyError : public ENetException {
public:
  ENetReplyError(String AMessage, int AErrorCode)
      : ENetException(std::move(AMessage)), FErrorCode(AErrorCode) {}
  int ErrorCode() const { return FErrorCode; }
  const char* ClassName() const override { return "ENetReplyError"; }

private:
  int FErrorCode;
};

class ENetReplyRFCError : public ENetReplyError {
public:
  using ENetReplyError::ENetReplyError;
  const char* ClassName() const override { return "ENetReplyRFCError"; }
};

// An HTTP status the client does not accept: Message is the status line as received, ErrorCode
// the status code (-1 when it could not be read), ErrorMessage the reply body decoded with the
// reply's charset.
class ENetHTTPProtocolException : public ENetReplyRFCError {
public:
  ENetHTTPProtocolException(String AMessage, int AErrorCode, String AErrorMessage)
      : ENetReplyRFCError(std::move(AMessage), AErrorCode),
        FErrorMessage(std::move(AErrorMessage)) {}
  const String& ErrorMessage() const { return FErrorMessage; }
  const char* ClassName() const override { return "ENetHTTPProtocolException"; }

private:
  String FErrorMessage;
};

// The request of a client, reused by every call.
class TNetHTTPRequest : public TNetRequestHeaderInfo {
public:
  String URL;  // the URL of the call, then the request target sent
  String Method = u"GET";
  TStream* Source = nullptr;  // the body to send; none for a GET (not owned)
  TNetHTTPConnectionType UseProxy = TNetHTTPConnectionType::ctNormal;
  TNetIPVersion IPVersion = TNetIPVersion::Net_IPv4;
};

// The reply of the last call, reused by every call.
class TNetHTTPResponse : public TNetResponseHeaderInfo {
public:
  String ResponseText;    // the status line exactly as received
  int ResponseCode = -1;  // parsed from ResponseText; -1 when it cannot be read
  TNetHTTPProtocolVersion ResponseVersion = TNetHTTPProtocolVersion::pv1_1;
  TStream* ContentStream = nullptr;  // where the body goes during a call (not owned)
};

class TNetCustomHTTP;

using TNetRedirectEvent = std::function<void(TNetCustomHTTP& ASender, String& ADest,
                                             int& ANumRedirect, bool& AHandled, String& AMethod)>;
using TNetHeadersAvailableEvent =
    std::function<void(TNetCustomHTTP& ASender, TNetHeaderList& AHeaders, bool& AContinue)>;
// AScheme: the chosen scheme ("Basic"); may be changed to another value of AAuthInfo's schemes.
using TNetSelectAuthorizationEvent =
    std::function<void(TNetCustomHTTP& ASender, String& AScheme, const TStringList& AAuthInfo)>;
// May supply credentials; AHandled true accepts the negotiation.
using TNetAuthorizationEvent = std::function<void(TNetCustomHTTP& ASender, String& AUsername,
                                                  String& APassword, bool& AHandled)>;

class TNetCustomHTTP : public TNetTCPClientCustom {
public:
  TNetCustomHTTP();
  ~TNetCustomHTTP() override;

  // Fetches AURL into AResponseContent at its current position. A URL without "://" is resolved
  // against the previous request. Returns when the body is complete; on return ResponseCode and
  // ResponseText hold the final status. Every failure raises (ENetHTTPProtocolException for a
  // status the client does not accept, with AResponseContent untouched); before the exception
  // leaves, a connection that cannot carry another request is closed.
  void Get(const String& AURL, TStream& AResponseContent);

  int ResponseCode() const { return FResponse.ResponseCode; }
  const String& ResponseText() const { return FResponse.ResponseText; }
  TNetHTTPResponse& Response() { return FResponse; }
  TNetHTTPRequest& Request() { return FRequest; }
  // The persistent URI: the parts of the last request, the base of relative URLs.
  const TNetURI& URL() const { return FURI; }
  TNetMetaHTTPEquiv& MetaHTTPEquiv() { return FMetaHTTPEquiv; }
  // The cookie store; created by the first reply when AllowCookies is set. The client owns it.
  TNetCookieManager* CookieManager() const { return FCookieManager.get(); }
  void SetCookieManager(std::unique_ptr<TNetCookieManager> AManager) {
    FCookieManager = std::move(AManager);
  }

  // Whether the connection may carry the next request, judged from the last reply: false when
  // not connected; for an HTTP/1.1 reply true unless "Connection" or "Proxy-Connection" says
  // "close"; for an HTTP/1.0 reply true only when one of them says "keep-alive".
  bool KeepAlive();

  // Settings, with the component's defaults (see ApplyInstallerSettings).
  TNetHTTPProtocolVersion ProtocolVersion = TNetHTTPProtocolVersion::pv1_1;
  TNetHTTPOptions HTTPOptions = hoForceEncodeParams;
  bool HandleRedirects = false;
  int RedirectMaximum = 15;
  int MaxAuthRetries = 3;
  // Header lines read per reply head; more fail the call. A value of 0 or less selects
  // kNetDefaultMaxHeaderLines, so the count is always bounded.
  int MaxHeaderLines = kNetDefaultMaxHeaderLines;
  bool AllowCookies = true;
  // The stall rule for reading each reply (see TNetIOHandler::StallWindow): 0 turns it off; the
  // installer's settings use kNetInstallerStallWindow and kNetInstallerStallMinBytes.
  int StallWindow = 0;
  int64_t StallMinBytes = 0;
  // The most bytes a reply body may bring, in every framing; 0 or less: only the library's own
  // limit (kNetStreamLimit without the handler's LargeStream), which also bounds a larger value.
  // A longer body fails the call with ENetBodyTooLarge "The download from <URL> is larger than
  // the limit of <n> bytes." (a body with a larger Content-Length before it is read).
  int64_t MaxBodySize = 0;
  TNetProxyConnectionInfo ProxyParams;

  TNetRedirectEvent OnRedirect;
  TNetHeadersAvailableEvent OnHeadersAvailable;
  TNetSelectAuthorizationEvent OnSelectAuthorization;
  TNetAuthorizationEvent OnAuthorization;
  TNetSelectAuthorizationEvent OnSelectProxyAuthorization;
  TNetAuthorizationEvent OnProxyAuthorization;

protected:
  // The four overridable steps: the request cycle, the 401 and 407 decisions, the redirect
  // decision. AIgnoreReplies: codes that end the call normally instead of raising.
  virtual void DoRequest(const String& AMethod, const String& AURL, TStream* ASource,
                         TStream* AResponseContent, const std::vector<int>& AIgnoreReplies);
  virtual bool DoOnAuthorization();
  virtual bool DoOnProxyAuthorization();
  virtual bool DoOnRedirect(String& ALocation, String& AMethod, int ARedirectCount);

private:
  // How the status decision ends.
  enum class TWhatsNext { wnGoToURL, wnJustExit, wnAuthRequest };

  // Closes the connection and drops what it had buffered.
  void DropConnection();

  // net_http_request.cpp
  void PrepareTarget();
  void SelectEndpoint();
  void ApplyConnectionHeaderRules();
  void EnsureConnected();
  void BuildAndSendRequest();

  // net_http_response.cpp
  String ReadReplyLine();
  void ReadReplyHead();
  void RetrieveHeaders();
  void CaptureCookies();
  // Stores the cookies of the META lines that the last page added, from AFirstNewLine on, for
  // the URI of that page.
  void CapturePageCookies(int AFirstNewLine);
  void ReadBody(int AWaitMs, TStream* ATarget);
  // ReadBody's read itself, with the meta scan, within ALimit bytes.
  void ReadBodyFramed(int AWaitMs, TStream* ATarget, bool AHtml, int64_t ALimit,
                      TStringList& ATrailers);
  void FailOnStatus(int ACode, int AWaitMs, const std::vector<int>& AIgnoreReplies);

  // net_http_status.cpp
  TWhatsNext ProcessResponse(const std::vector<int>& AIgnoreReplies);
  bool Authorize(bool AProxy);

  TNetURI FURI;
  TNetHTTPRequest FRequest;
  TNetHTTPResponse FResponse;
  TNetMetaHTTPEquiv FMetaHTTPEquiv;
  std::unique_ptr<TNetCookieManager> FCookieManager;
  bool FKeepAliveRefused = false;  // OnHeadersAvailable stopped the reply: the connection goes
  int FRedirectCount = 0;
  int FAuthRetries = 0;
  int FAuthProxyRetries = 0;
  int64_t FReplyHeadBytes = 0;  // bytes of reply head read for the current request
};

// The published component; the installer's main window owns one as NetHTTP1.
class TNetHTTP : public TNetCustomHTTP {};

// Applies the settings the installer runs its client with: the component's defaults plus the
// read time-out kNetInstallerReadTimeout, so a server that accepts the connection and then sends
// nothing fails the call with ENetReadTimeout instead of holding the installation for ever, and
// the stall rule (kNetInstallerStallWindow, kNetInstallerStallMinBytes), so that one that sends
// a trickle fails with ENetTransferStalled.
void ApplyInstallerSettings(TNetCustomHTTP& AClient);

// The code page for a reply's charset name ("utf-8", "ISO-8859-1", "windows-1252", ...); Latin-1
// for names it does not know, so that no byte is lost.
unsigned CodePageOfCharSet(const String& ACharSet);

}  // namespace vlm
