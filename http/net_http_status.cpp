// http/net_http_status.cpp -- the status decision: whether a reply's body is the caller's, the
// call repeats (a followed redirect, an authorization round) or the call fails with the status.
#include "http/net_http.h"

#include "http/net_body_reader.h"
#include "runtime/upper_case.h"

namespace vlm {

namespace {

// First-data waits of the decision, in ms: a reply that normally has no body, and the body of a
// redirect that is followed.
constexpr int kNoBodyWaitMs = 100;
constexpr int kRedirectBodyWaitMs = 5000;

// The authentication schemes this client can answer.
bool IsRegisteredScheme(const String& AScheme) {
  return SameText(AScheme, u"Basic");
}

String SchemeOf(const String& AChallenge) {
  return AChallenge.substr(0, AChallenge.find(u' '));
}

}  // namespace

bool TNetCustomHTTP::DoOnRedirect(String& ALocation, String& AMethod, int ARedirectCount) {
  bool Handled = HandleRedirects;
  if (OnRedirect) OnRedirect(*this, ALocation, ARedirectCount, Handled, AMethod);
  return Handled;
}

bool TNetCustomHTTP::Authorize(bool AProxy) {
  int& Retries = AProxy ? FAuthProxyRetries : FAuthRetries;
  ++Retries;
  std::unique_ptr<NetAuthentication>& Auth =
      AProxy ? ProxyParams.Authentication : FRequest.Authentication;
  const TStringList& Challenges = AProxy ? FResponse.ProxyAuthenticate : FResponse.WWWAuthenticate;
  const TNetSelectAuthorizationEvent& OnSelect =
      AProxy ? OnSelectProxyAuthorization : OnSelectAuthorization;
  const TNetAuthorizationEvent& OnAuth = AProxy ? OnProxyAuthorization : OnAuthorization;

  if (Auth == nullptr) {
    String Scheme;
    for (int I = 0; I < Challenges.Count() && Scheme.empty(); ++I)
      if (IsRegisteredScheme(SchemeOf(Challenges.Strings(I))))
        Scheme = SchemeOf(Challenges.Strings(I));
    if (OnSelect) OnSelect(*this, Scheme, Challenges);
    if (!IsRegisteredScheme(Scheme)) return false;
  }
  String Username = AProxy ? ProxyParams.ProxyUsername : FRequest.Username;
  String Password = AProxy ? ProxyParams.ProxyPassword : FRequest.Password;
  bool Accepted;
  if (OnAuth) {
    Accepted = false;
    OnAuth(*this, Username, Password, Accepted);
  } else {
    // Only the server's own credentials can be answered without a handler; a proxy needs one.
    Accepted = !AProxy && !TrimBlanks(Password).empty();
  }
  if (Accepted) Auth = std::make_unique<NetBasicAuthentication>(Username, Password);
  return Accepted;
}

TNetCustomHTTP::TWhatsNext TNetCustomHTTP::ProcessResponse(const std::vector<int>& AIgnoreReplies) {
  const int Code = FResponse.ResponseCode;
  const int Class = Code / 100;

  if (OnHeadersAvailable) {
    bool Continue = true;
    OnHeadersAvailable(*this, FResponse.RawHeaders(), Continue);
    if (!Continue) {
      FKeepAliveRefused = true;  // the unread body makes the connection unusable
      return TWhatsNext::wnJustExit;
    }
  }

  const bool IsRedirect =
      (Class == 3 && Code != 304) || (!FResponse.Location.empty() && Code != 201);
  if (IsRedirect) {
    if (SameText(FURI.Protocol(), u"https") &&
        SameText(TNetURI(FResponse.Location).Protocol(), u"http"))
      throw ENetHTTPInsecureRedirect(u"The server " + FURI.Host() +
                                     u" redirected a secure request to an insecure address (" +
                                     FResponse.Location + u"); it is not followed.");
    ++FRedirectCount;
    String Location = FResponse.Location;
    String Method = FRequest.Method;
    if (!DoOnRedirect(Location, Method, FRedirectCount)) {
      FailOnStatus(Code, kNetBodyWaitUnbounded, AIgnoreReplies);
      return TWhatsNext::wnJustExit;
    }
    if (Connected()) ReadBody(kRedirectBodyWaitMs, nullptr);
    if (HandleRedirects && FRedirectCount < RedirectMaximum) {
      FRequest.URL = Location;
      FRequest.Method = Method;
      FRequest.MethodOverride.clear();
      return TWhatsNext::wnGoToURL;
    }
    FResponse.Location = Location;
    return TWhatsNext::wnJustExit;
  }

  if (Class != 2) {
    if (Code == 401 || Code == 407) {
      const bool Proxy = Code == 407;
      const int Retries = Proxy ? FAuthProxyRetries : FAuthRetries;
      const bool Accepted =
          Retries < MaxAuthRetries && (Proxy ? DoOnProxyAuthorization() : DoOnAuthorization());
      if (!Accepted) {
        (Proxy ? ProxyParams.Authentication : FRequest.Authentication).reset();
        FailOnStatus(Code, kNetBodyWaitUnbounded, AIgnoreReplies);
        return TWhatsNext::wnJustExit;
      }
      if ((HTTPOptions & hoInProcessAuth) != 0) {
        ReadBody(kNetBodyWaitUnbounded, nullptr);
        return TWhatsNext::wnAuthRequest;
      }
    } else if ((Class == 1 && Code != 100) || Code == 304) {
      FailOnStatus(Code, kNoBodyWaitMs, AIgnoreReplies);
      return TWhatsNext::wnJustExit;
    } else {
      FailOnStatus(Code, kNetBodyWaitUnbounded, AIgnoreReplies);
      return TWhatsNext::wnJustExit;
    }
  }

  const bool NoBody = SameText(FRequest.Method, u"HEAD") ||
                      SameText(FRequest.MethodOverride, u"HEAD") || Code == 204;
  if (NoBody)
    ReadBody(kNoBodyWaitMs, nullptr);
  else
    ReadBody(kNetBodyWaitUnbounded, FResponse.ContentStream);
  return TWhatsNext::wnJustExit;
}

}  // namespace vlm
