// tests/fuzz/http_reply_fuzz.cpp -- fuzz target: a whole reply (status line, headers, a counted,
// chunked or close-delimited body) read by the HTTP client through an I/O handler whose peer is
// the input in memory. Any input either succeeds or fails with the system's exceptions; a
// success never delivers more body bytes than the reply carried.
// Built by scripts/fuzz_http.sh with clang's libFuzzer, AddressSanitizer and UBSan.
//
// Input: the first byte sets the size of the pieces the peer sends (1 to 256 bytes); the rest is
// what the server sends before it closes the connection.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "http/net_http.h"
#include "runtime/memory_stream.h"
#include "tests/support/scripted_io_handler.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  using namespace vlm;
  if (Size < 1) return 0;
  const size_t Piece = static_cast<size_t>(Data[0]) + 1;
  const std::string_view Reply(reinterpret_cast<const char*>(Data + 1), Size - 1);
  TNetHTTP Client;
  ApplyInstallerSettings(Client);
  auto Handler = std::make_unique<test::ScriptedIOHandler>();
  Handler->DataInPieces(Reply, Piece).PeerCloses();
  Handler->Close();
  Client.SetIOHandler(std::move(Handler));
  TMemoryStream Body;
  try {
    Client.Get(u"http://127.0.0.1/deploy.vlm", Body);
    if (static_cast<size_t>(Body.Size()) > Reply.size()) std::abort();
  } catch (const Exception&) {
    // the system's failures are the expected outcome of most inputs
  }
  return 0;
}
