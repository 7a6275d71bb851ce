// tests/fuzz/http_cookie_fuzz.cpp -- fuzz target: pages from two hosts go through the META
// http-equiv scan and the cookie store, as the client does after each HTML body; the store must
// stay bounded and every request line it writes must be sendable. Built by scripts/fuzz_http.sh
// with clang's libFuzzer, AddressSanitizer and UBSan.
//
// Input: pages separated by a byte 0xFF; the first byte of each page picks its host (bit 0:
// 127.0.0.1 or 127.0.0.2), the rest is the page (ISO-8859-1 bytes).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "http/cookie_manager.h"
#include "http/meta_http_equiv.h"
#include "http/net_exception.h"
#include "http/net_uri.h"
#include "runtime/code_page.h"

namespace {

using namespace vlm;

// The store's bounds: cookies per host, and the bytes of one cookie line's name and value.
constexpr int MaxCookiesPerHost = 50;
constexpr size_t MaxCookieLine = 4096 + 64;

void Fail(const char* What) {
  std::fprintf(stderr, "%s\n", What);
  std::abort();
}

// Every line the store writes for AUri: no control character but tab, and no line too long.
void CheckRequestLines(TNetCookieManager& Cookies, const TNetURI& Uri) {
  TNetHeaderList Lines;
  Cookies.GenerateClientCookies(Uri, false, Lines);
  int CookieLines = 0;
  for (int I = 0; I < Lines.Count(); ++I) {
    const String Line = Lines.Strings(I);
    for (const char16_t C : Line) {
      if ((C < 0x20 && C != u'\t') || C == 0x7F) Fail("control character in a request line");
    }
    if (Line.size() > MaxCookieLine) Fail("cookie line beyond the cookie bound");
    if (Line.rfind(u"Cookie:", 0) == 0) ++CookieLines;
  }
  if (CookieLines > MaxCookiesPerHost) Fail("more cookies for one host than the store keeps");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const TNetURI Hosts[2] = {TNetURI(u"http://127.0.0.1:8080/dir/deploy.vlm"),
                            TNetURI(u"http://127.0.0.2:8080/dir/deploy.vlm")};
  TNetCookieManager Cookies;
  std::string_view Rest(reinterpret_cast<const char*>(Data), Size);
  while (!Rest.empty()) {
    const size_t End = Rest.find('\xFF');
    const std::string_view Page = Rest.substr(0, End);
    Rest = End == std::string_view::npos ? std::string_view() : Rest.substr(End + 1);
    if (Page.empty()) continue;
    const TNetURI& Uri = Hosts[Page[0] & 1];
    TNetMetaHTTPEquiv Meta;
    const TNetHeaderList NoReplyHeaders;
    try {
      Meta.ProcessMetaHTTPEquivText(DecodeCodePage(28591, Page.substr(1)));
      Cookies.CaptureCookies(NoReplyHeaders, &Meta.RawHeaders(), Uri);
    } catch (const Exception&) {
      // a value the system rejects with its own exception is a handled failure
    }
    CheckRequestLines(Cookies, Hosts[0]);
    CheckRequestLines(Cookies, Hosts[1]);
  }
  return 0;
}
