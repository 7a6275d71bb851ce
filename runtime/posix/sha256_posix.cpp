// runtime/posix/sha256_posix.cpp -- SHA-256 with OpenSSL's libcrypto (the EVP digest calls).
#include "runtime/sha256.h"

#include <openssl/err.h>
#include <openssl/evp.h>

#include <cstdio>
#include <utility>

#include "runtime/exception.h"

namespace vlm {
namespace {

// "<Call> failed (OpenSSL error 0x...)": the oldest error OpenSSL queued for this thread (0 when
// it queued none); the rest of the queue is dropped so that it cannot show up in a later failure.
[[noreturn]] void RaiseOpenSslError(const char* Call) {
  const unsigned long Code = ::ERR_get_error();
  ::ERR_clear_error();
  char Text[96];
  std::snprintf(Text, sizeof Text, "%s failed (OpenSSL error 0x%08lX)", Call, Code);
  throw Exception(Utf8ToString(Text));
}

// One digest context, initialised for SHA-256.
class TContext {
public:
  TContext() : FContext(::EVP_MD_CTX_new()) {
    if (!FContext) RaiseOpenSslError("EVP_MD_CTX_new");
    if (::EVP_DigestInit_ex(FContext, ::EVP_sha256(), nullptr) != 1) {
      ::EVP_MD_CTX_free(FContext);
      RaiseOpenSslError("EVP_DigestInit_ex");
    }
  }
  ~TContext() { ::EVP_MD_CTX_free(FContext); }
  TContext(const TContext&) = delete;
  TContext& operator=(const TContext&) = delete;

  EVP_MD_CTX* Handle() const { return FContext; }

private:
  EVP_MD_CTX* FContext;
};

}  // namespace

struct TSha256::TState {
  std::unique_ptr<TContext> Context = std::make_unique<TContext>();
};

TSha256::TSha256() : FState(std::make_unique<TState>()) {}
TSha256::~TSha256() = default;

void TSha256::Update(const void* Data, size_t Size) {
  if (Size == 0) return;
  if (::EVP_DigestUpdate(FState->Context->Handle(), Data, Size) != 1)
    RaiseOpenSslError("EVP_DigestUpdate");
}

TSha256Digest TSha256::Finish() {
  // The fresh context comes first: when it cannot be made, nothing given so far is lost. Once it
  // is in place the object has started afresh, whether the old one finishes or not.
  auto Fresh = std::make_unique<TContext>();
  const std::unique_ptr<TContext> Old = std::exchange(FState->Context, std::move(Fresh));
  TSha256Digest Digest{};
  unsigned Length = 0;
  if (::EVP_DigestFinal_ex(Old->Handle(), Digest.data(), &Length) != 1)
    RaiseOpenSslError("EVP_DigestFinal_ex");
  if (Length != Digest.size()) {
    char Text[96];
    std::snprintf(Text, sizeof Text, "EVP_DigestFinal_ex gave %u bytes, not %zu", Length,
                  Digest.size());
    throw Exception(Utf8ToString(Text));
  }
  return Digest;
}

}  // namespace vlm
