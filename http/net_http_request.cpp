// http/net_http_request.cpp -- from the URL of a call to the request head on the wire: the
// request target and Host value, the endpoint, the connection (reused while the server keeps it
// alive) and the head itself, sent in one piece.
#include "http/net_http.h"

#include <typeinfo>

#include "http/net_io_handler_tls.h"
#include "http/net_socket_exceptions.h"
#include "runtime/upper_case.h"

namespace vlm {

namespace {

bool IsProtocol(const String& AProtocol, StringView AName) {
  return SameText(AProtocol, AName);
}

// The port text as a number; 80 when it is not a decimal number that fits a port.
int PortNumber(const String& APort) {
  if (APort.empty() || APort.size() > 5) return 80;
  int Value = 0;
  for (char16_t C : APort) {
    if (C < u'0' || C > u'9') return 80;
    Value = Value * 10 + (C - u'0');
  }
  return Value <= 65535 ? Value : 80;
}

}  // namespace

void TNetCustomHTTP::PrepareTarget() {
  const TNetURI L(FRequest.URL);
  if (!L.Username().empty()) {
    FRequest.Username = L.Username();
    FRequest.Password = L.Password();
  }
  FURI.SetUsername(FRequest.Username);
  FURI.SetPassword(FRequest.Password);

  FURI.SetPath(MergeUrlPath(FURI.Path(), L.Path(), u'/'));
  FURI.SetDocument(L.Document());
  FURI.SetParams(L.Params());
  if (!L.Host().empty()) FURI.SetHost(L.Host());

  if (!L.Protocol().empty())
    FURI.SetProtocol(L.Protocol());
  else
    FURI.SetProtocol(IsProtocol(FURI.Protocol(), u"https") ? u"https" : u"http");

  if (!L.Port().empty())
    FURI.SetPort(L.Port());
  else if (IsProtocol(L.Protocol(), u"http"))
    FURI.SetPort(u"80");
  else if (IsProtocol(L.Protocol(), u"https"))
    FURI.SetPort(u"443");
  else if (FURI.Port().empty())
    throw ENetUnknownProtocol(kRSUnknownProtocol);

  // The target goes out exactly as written: no percent-encoding.
  FRequest.URL = FURI.GetPathAndParams();
  // A relative URL names no host, so it keeps the host's IP version of the previous request;
  // taking IPv4 there would send a bracketed host's follow-up to the wrong address family.
  if (!L.Host().empty()) FURI.SetIPVersion(L.IPVersion());
  FRequest.IPVersion = FURI.IPVersion();
  FRequest.ContentLength = -1;

  const bool DefaultPort = (IsProtocol(FURI.Protocol(), u"http") && FURI.Port() == u"80") ||
                           (IsProtocol(FURI.Protocol(), u"https") && FURI.Port() == u"443");
  // An IPv6 address goes in brackets, or its colons could not be told from the port's.
  const String HostText =
      FURI.IPVersion() == TNetIPVersion::Net_IPv6 ? u"[" + FURI.Host() + u"]" : FURI.Host();
  FRequest.Host = DefaultPort ? HostText : HostText + u":" + FURI.Port();
}

void TNetCustomHTTP::SelectEndpoint() {
  if (FIOHandler != nullptr && FIOHandler->IPVersion != FURI.IPVersion() && Connected())
    Disconnect();
  const int PortValue = PortNumber(FURI.Port());
  if ((!SameText(Host, FURI.Host()) || Port != PortValue) && Connected()) Disconnect();
  // https goes through a TLS handler. A handler made here for the other scheme is dropped (the
  // next Connect makes the right one); one that a caller set is never used for https without TLS.
  const bool Tls = IsProtocol(FURI.Protocol(), u"HTTPS");
  if (FIOHandler != nullptr) {
    const bool HandlerIsTls = dynamic_cast<const TNetIOHandlerTls*>(FIOHandler.get()) != nullptr;
    const bool MadeHere = HandlerIsTls || typeid(*FIOHandler) == typeid(TNetIOHandlerStack);
    if (HandlerIsTls != Tls) {
      if (!MadeHere && Tls) throw ENetIOHandlerPropInvalid(kRSIOHandlerPropInvalid);
      if (MadeHere) {
        if (Connected()) Disconnect();
        FIOHandler.reset();
      }
    }
  }
  UseTls = Tls;
  FRequest.UseProxy = TNetHTTPConnectionType::ctNormal;
  Host = FURI.Host();
  Port = PortValue;
}

void TNetCustomHTTP::ApplyConnectionHeaderRules() {
  const bool Tls = FRequest.UseProxy == TNetHTTPConnectionType::ctSSL ||
                   FRequest.UseProxy == TNetHTTPConnectionType::ctSSLProxy;
  if (Tls)
    FRequest.Connection.clear();
  else if (ProtocolVersion == TNetHTTPProtocolVersion::pv1_0 && FRequest.Connection.empty())
    FRequest.Connection = u"keep-alive";
  // No decompressor exists, so "identity" is the only coding offered.
  String& Encoding = FRequest.AcceptEncoding;
  if (UpperCase(Encoding).find(u"IDENTITY") == String::npos)
    Encoding = Encoding.empty() ? String(u"identity") : Encoding + u", identity";
}

void TNetCustomHTTP::EnsureConnected() {
  if (!KeepAlive()) Disconnect();
  // Bytes the previous reply left behind belong to no request of ours.
  if (FIOHandler != nullptr) FIOHandler->InputBuffer().Clear();
  CheckForGracefulDisconnect(/*ARaiseIfDisconnected=*/false);
  if (!Connected()) {
    IPVersion = FURI.IPVersion();
    Connect();
  }
}

void TNetCustomHTTP::BuildAndSendRequest() {
  FRequest.SetHeaders();
  TNetHeaderList& Lines = FRequest.RawHeaders();
  ProxyParams.SetHeaders(Lines);
  if (FCookieManager != nullptr)
    FCookieManager->GenerateClientCookies(FURI, IsProtocol(FURI.Protocol(), u"HTTPS"), Lines);

  const String RequestLine = FRequest.Method + u" " + FRequest.URL + u" HTTP/" +
                             (ProtocolVersion == TNetHTTPProtocolVersion::pv1_0 ? u"1.0" : u"1.1");
  // Every line goes out as one line, whatever put a line break or NUL into it (a cookie, a
  // caller's header, the URL): such a line is an error, never split on the wire.
  const auto CheckLine = [this](const String& ALine) {
    if (ALine.find_first_of(StringView(u"\r\n\0", 3)) != String::npos)
      throw ENetHTTPInvalidRequestLine(u"The request to " + FURI.Host() +
                                       u" is not sent: one of its lines holds a CR, LF or NUL "
                                       u"character.");
  };
  CheckLine(RequestLine);
  for (int I = 0; I < Lines.Count(); ++I) CheckLine(Lines.Strings(I));

  TNetIOHandler& H = *FIOHandler;
  if (!H.WriteBufferingActive()) H.WriteBufferOpen(-1);
  try {
    H.WriteLn(RequestLine);
    for (int I = 0; I < Lines.Count(); ++I)
      if (!Lines.Strings(I).empty()) H.WriteLn(Lines.Strings(I));
    H.WriteLn();
  } catch (...) {
    H.WriteBufferCancel();
    throw;
  }
  H.WriteBufferClose();  // the whole head in one send; on failure the bytes are dropped
}

}  // namespace vlm
