// tests/fuzz/http_header_fuzz.cpp -- fuzz target: any reply head is parsed into header fields,
// and its "Set-Cookie"/"Set-Cookie2" values go through the cookie splitter, the attribute parser
// and the store, without fault; the store then writes request lines that a head can carry.
// Built by scripts/fuzz_http.sh with clang's libFuzzer, AddressSanitizer and UBSan.
//
// Input: the head's lines (ISO-8859-1 bytes, LF or CR LF line ends), without the status line.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "http/cookie_manager.h"
#include "http/header_info.h"
#include "http/net_exception.h"
#include "http/net_uri.h"
#include "runtime/code_page.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  using namespace vlm;
  const std::string_view Bytes(reinterpret_cast<const char*>(Data), Size);
  TNetResponseHeaderInfo Head;
  Head.RawHeaders().SetText(DecodeCodePage(28591, Bytes));
  Head.ProcessHeaders();
  if (Head.HasContentLength() != (Head.ContentLength >= 0)) std::abort();

  TNetCookieManager Cookies;
  const TNetURI Uri(u"http://127.0.0.1:8080/dir/deploy.vlm");
  try {
    Cookies.CaptureCookies(Head.RawHeaders(), nullptr, Uri);
  } catch (const Exception&) {
    // a value the system rejects with its own exception is a handled failure
  }
  TNetHeaderList Lines;
  Cookies.GenerateClientCookies(Uri, false, Lines);
  for (int I = 0; I < Lines.Count(); ++I) {
    // A request line must never carry a line break: it would end the head early.
    if (Lines.Strings(I).find_first_of(u"\r\n") != String::npos) {
      std::fprintf(stderr, "line break in a request header\n");
      std::abort();
    }
  }
  return 0;
}
