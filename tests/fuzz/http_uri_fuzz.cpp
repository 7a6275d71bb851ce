// tests/fuzz/http_uri_fuzz.cpp -- fuzz target: any text splits into a URI without fault, its
// request target is made of its parts, and the path merge keeps its promises (no run of "/" and
// the right trailing "/" when the path to merge is relative).
// Built by scripts/fuzz_http.sh with clang's libFuzzer, AddressSanitizer and UBSan.
//
// Input: the URL bytes (UTF-8), optionally followed by a NUL byte and a path to merge into the
// URL's path.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "http/net_exception.h"
#include "http/net_uri.h"

namespace vlm {
namespace {

[[noreturn]] void Broken(const char* What, const String& Detail) {
  std::fprintf(stderr, "broken promise: %s: %s\n", What, StringToUtf8(Detail).c_str());
  std::abort();
}

void CheckMerge(const String& Base, const String& Path) {
  const String Merged = MergeUrlPath(Base, Path, u'/');
  if (!Path.empty() && Path.front() == u'/') {
    if (Merged != Path) Broken("an absolute path replaces the base", Merged);
    return;
  }
  if (Merged.find(u"//") != String::npos) Broken("runs of / collapse", Merged);
  const bool KeepTrail = Path.empty() || Path.back() == u'/';
  if (!KeepTrail && Merged.size() > 1 && Merged.back() == u'/') Broken("no trailing /", Merged);
}

}  // namespace
}  // namespace vlm

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  using namespace vlm;
  const std::string_view Bytes(reinterpret_cast<const char*>(Data), Size);
  const size_t Nul = Bytes.find('\0');
  const String Url = Utf8ToString(Bytes.substr(0, Nul));
  TNetURI URI(Url);
  const String Target = URI.GetPathAndParams();
  const String Expected =
      URI.Path() + URI.Document() + (URI.Params().empty() ? String() : u"?" + URI.Params());
  if (Target != Expected) Broken("the target is path, document and params", Target);
  try {
    URI.GetFullURI(ofAuthInfo | ofBookmark);
  } catch (const ENetURIException&) {
    if (!URI.Protocol().empty() && !URI.Host().empty()) Broken("join refused", Url);
  }
  if (Nul != std::string_view::npos) CheckMerge(URI.Path(), Utf8ToString(Bytes.substr(Nul + 1)));
  return 0;
}
