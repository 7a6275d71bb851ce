// http/net_http_response.cpp -- reading a reply: the status line and the header block (bounded
// in line length and in line count), the cookies it sets, and its body with the work events.
#include "http/net_http.h"

#include "http/net_body_reader.h"
#include "http/net_socket_exceptions.h"
#include "runtime/code_page.h"
#include "runtime/memory_stream.h"

namespace vlm {

namespace {

// The status code of a status line: the word after the version, as a decimal number; -1 when
// there is none or it is not a number of at most nine digits.
int ParseResponseCode(const String& AStatusLine) {
  StringView Rest = AStatusLine;
  const size_t Blank = Rest.find(u' ');
  if (Blank == StringView::npos) return -1;
  const String Trimmed = TrimBlanks(Rest.substr(Blank + 1));
  const StringView Word = StringView(Trimmed).substr(0, Trimmed.find(u' '));
  if (Word.empty() || Word.size() > 9) return -1;
  int Code = 0;
  for (char16_t C : Word) {
    if (C < u'0' || C > u'9') return -1;
    Code = Code * 10 + (C - u'0');
  }
  return Code;
}

// Puts the response's content stream back however the body read ends.
class ContentStreamSwap {
public:
  ContentStreamSwap(TNetHTTPResponse& AResponse, TStream* ATemporary)
      : FResponse(AResponse), FSaved(AResponse.ContentStream) {
    FResponse.ContentStream = ATemporary;
  }
  ~ContentStreamSwap() { FResponse.ContentStream = FSaved; }
  ContentStreamSwap(const ContentStreamSwap&) = delete;
  ContentStreamSwap& operator=(const ContentStreamSwap&) = delete;

private:
  TNetHTTPResponse& FResponse;
  TStream* FSaved;
};

}  // namespace

String TNetCustomHTTP::ReadReplyLine() {
  // The client's ReadTimeout governs every read of the reply, head and body alike (the
  // installer's 60 s among them); a non-positive value waits without a limit.
  TNetIOHandler& H = *FIOHandler;
  H.ReadTimeout = ReadTimeout;
  const String Line = H.ReadLn(u"\n", -1, -1);
  if (H.ReadLnTimedout()) throw ENetReadTimeout(kRSReadTimeout);
  // Each line counts with a line end of two bytes: a head streamed without end must not hold the
  // client, whatever its line and header counts.
  FReplyHeadBytes += static_cast<int64_t>(Line.size()) + 2;
  if (FReplyHeadBytes > kNetMaxReplyHeadBytes)
    throw ENetHTTPReplyHeadTooLarge(u"The server " + FURI.Host() + u" sent more than " +
                                    S(std::to_string(kNetMaxReplyHeadBytes)) +
                                    u" bytes of reply head.");
  return Line;
}

void TNetCustomHTTP::ReadReplyHead() {
  FReplyHeadBytes = 0;
  // The reply, head and body, is one transfer for the stall rule.
  TNetIOHandler& H = *FIOHandler;
  H.StallWindow = StallWindow;
  H.StallMinBytes = StallMinBytes;
  H.BeginStallWatch();
  for (int Interim = 0;; ++Interim) {
    FResponse.ResponseText = ReadReplyLine();
    RetrieveHeaders();
    CaptureCookies();
    if (FResponse.ResponseCode != 100) break;  // interim replies carry nothing for us
    if (Interim == kNetMaxInterimReplies)
      throw ENetHTTPReplyHeadTooLarge(u"The server " + FURI.Host() + u" sent more than " +
                                      S(std::to_string(kNetMaxInterimReplies)) +
                                      u" interim replies.");
  }
}

void TNetCustomHTTP::RetrieveHeaders() {
  FKeepAliveRefused = false;
  TNetHeaderList& Lines = FResponse.RawHeaders();
  Lines.Clear();
  const int Limit = MaxHeaderLines > 0 ? MaxHeaderLines : kNetDefaultMaxHeaderLines;
  try {
    for (;;) {
      String Line = ReadReplyLine();
      if (Line.empty()) break;
      // A server that streams header lines without end must not fill memory.
      if (Lines.Count() >= Limit) throw ENetHTTPHeaderLinesExceeded(kRSTooManyHeaderLines);
      Lines.Add(Line);
    }
  } catch (const ENetConnClosedGracefully&) {
    // A head cut short by the peer's close: judge what arrived.
    Disconnect();
  }
  FResponse.ProcessHeaders();
  FResponse.ResponseCode = ParseResponseCode(FResponse.ResponseText);
}

void TNetCustomHTTP::CaptureCookies() {
  if (FCookieManager == nullptr && AllowCookies)
    FCookieManager = std::make_unique<TNetCookieManager>();
  if (FCookieManager == nullptr) return;
  // The page's META cookies are taken once, with the body that holds them (ReadBody): the META
  // set keeps the lines of earlier pages, which belong to the URIs of those pages.
  FCookieManager->CaptureCookies(FResponse.RawHeaders(), nullptr, FURI);
}

void TNetCustomHTTP::CapturePageCookies(int AFirstNewLine) {
  if (FCookieManager == nullptr) return;
  const TNetHeaderList& All = FMetaHTTPEquiv.RawHeaders();
  if (AFirstNewLine >= All.Count()) return;
  TNetHeaderList PageLines;
  for (int I = AFirstNewLine; I < All.Count(); ++I) PageLines.Add(All.Strings(I));
  FCookieManager->CaptureCookies(PageLines, nullptr, FURI);
}

void TNetCustomHTTP::ReadBody(int AWaitMs, TStream* ATarget) {
  const bool Html = ATarget != nullptr && IsHeaderMediaType(FResponse.ContentType(), u"text/html");
  TStringList Trailers;
  if (FIOHandler == nullptr) throw ENetNotConnected(kRSNotConnected);
  const int MetaLinesBefore = FMetaHTTPEquiv.RawHeaders().Count();
  const int64_t Limit = BodySizeLimit(*FIOHandler, MaxBodySize > 0 ? MaxBodySize : -1);
  try {
    ReadBodyFramed(AWaitMs, ATarget, Html, Limit, Trailers);
  } catch (const ENetBodyTooLarge&) {
    throw ENetBodyTooLarge(u"The download from " + FURI.GetFullURI(0) +
                           u" is larger than the limit of " + S(std::to_string(Limit)) +
                           u" bytes.");
  }
  if (Html) CapturePageCookies(MetaLinesBefore);
  // Trailers join the head's lines as they are; they are not parsed.
  for (int I = 0; I < Trailers.Count(); ++I) FResponse.RawHeaders().Add(Trailers.Strings(I));
}

void TNetCustomHTTP::ReadBodyFramed(int AWaitMs, TStream* ATarget, bool AHtml, int64_t ALimit,
                                    TStringList& ATrailers) {
  const TNetBodyFraming Framing{FResponse.TransferEncoding, FResponse.ContentLength};
  if (AHtml && dynamic_cast<TMemoryStream*>(ATarget) == nullptr) {
    // The meta scan reads the page from memory, so another stream gets the bytes by copy.
    TMemoryStream Page;
    ReadResponseBody(*FIOHandler, Framing, &Page, AWaitMs, &ATrailers, this, ALimit);
    FMetaHTTPEquiv.ProcessMetaHTTPEquiv(Page);
    Page.SetPosition(0);
    if (Page.Size() > 0) ATarget->CopyFrom(Page, Page.Size());
  } else {
    ReadResponseBody(*FIOHandler, Framing, ATarget, AWaitMs, &ATrailers, this, ALimit);
    if (AHtml) FMetaHTTPEquiv.ProcessMetaHTTPEquiv(*ATarget);
  }
}

void TNetCustomHTTP::FailOnStatus(int ACode, int AWaitMs, const std::vector<int>& AIgnoreReplies) {
  TMemoryStream ErrorBody;
  {
    ContentStreamSwap Swap(FResponse, &ErrorBody);
    ReadBody(AWaitMs, &ErrorBody);
  }
  for (int Ignored : AIgnoreReplies)
    if (Ignored == ACode) return;
  throw ENetHTTPProtocolException(
      FResponse.ResponseText, ACode,
      DecodeCodePage(CodePageOfCharSet(FResponse.CharSet), ErrorBody.View()));
}

}  // namespace vlm
