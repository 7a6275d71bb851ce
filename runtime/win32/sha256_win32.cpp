// runtime/win32/sha256_win32.cpp -- SHA-256 with the system's cryptography API (BCrypt). The
// algorithm provider is opened once per process; each digest is one hash object of its own.
#include "runtime/sha256.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <utility>

#include "runtime/exception.h"
#include "runtime/win32/win32_api.h"

// After <windows.h>, whose types it uses.
#include <bcrypt.h>

namespace vlm {
namespace {

// "<Call> failed (status 0xC000000D)".
[[noreturn]] void RaiseBCryptError(const char* Call, NTSTATUS Status) {
  char Text[96];
  std::snprintf(Text, sizeof Text, "%s failed (status 0x%08lX)", Call,
                static_cast<unsigned long>(Status));
  throw Exception(Utf8ToString(Text));
}

void Check(const char* Call, NTSTATUS Status) {
  if (!BCRYPT_SUCCESS(Status)) RaiseBCryptError(Call, Status);
}

// The process's SHA-256 algorithm provider and the size of the hash objects it makes. Opened on
// first use (a failure is raised and the next use tries again) and closed at the process's end:
// a static object that hashes finishes its construction after the provider's, so it is destroyed
// before the provider is closed.
class TProvider {
public:
  TProvider() {
    Check("BCryptOpenAlgorithmProvider",
          ::BCryptOpenAlgorithmProvider(&FHandle, BCRYPT_SHA256_ALGORITHM, nullptr, 0));
    DWORD Length = 0;
    ULONG Written = 0;
    const NTSTATUS Status =
        ::BCryptGetProperty(FHandle, BCRYPT_OBJECT_LENGTH, reinterpret_cast<PUCHAR>(&Length),
                            sizeof Length, &Written, 0);
    if (!BCRYPT_SUCCESS(Status)) {
      ::BCryptCloseAlgorithmProvider(FHandle, 0);
      RaiseBCryptError("BCryptGetProperty", Status);
    }
    FObjectLength = Length;
  }
  ~TProvider() { ::BCryptCloseAlgorithmProvider(FHandle, 0); }
  TProvider(const TProvider&) = delete;
  TProvider& operator=(const TProvider&) = delete;

  BCRYPT_ALG_HANDLE Handle() const { return FHandle; }
  ULONG ObjectLength() const { return FObjectLength; }

private:
  BCRYPT_ALG_HANDLE FHandle = nullptr;
  ULONG FObjectLength = 0;
};

const TProvider& Provider() {
  static const TProvider Instance;
  return Instance;
}

// One hash object: its handle and the memory BCrypt keeps it in (which outlives the handle).
class THashObject {
public:
  THashObject() {
    const TProvider& Alg = Provider();
    FMemory = std::make_unique<UCHAR[]>(Alg.ObjectLength());
    Check("BCryptCreateHash", ::BCryptCreateHash(Alg.Handle(), &FHandle, FMemory.get(),
                                                 Alg.ObjectLength(), nullptr, 0, 0));
  }
  ~THashObject() { ::BCryptDestroyHash(FHandle); }
  THashObject(const THashObject&) = delete;
  THashObject& operator=(const THashObject&) = delete;

  BCRYPT_HASH_HANDLE Handle() const { return FHandle; }

private:
  std::unique_ptr<UCHAR[]> FMemory;
  BCRYPT_HASH_HANDLE FHandle = nullptr;
};

}  // namespace

struct TSha256::TState {
  std::unique_ptr<THashObject> Hash = std::make_unique<THashObject>();
};

TSha256::TSha256() : FState(std::make_unique<TState>()) {}
TSha256::~TSha256() = default;

void TSha256::Update(const void* Data, size_t Size) {
  // BCryptHashData takes a ULONG count: more than that goes in pieces.
  constexpr size_t kMaxPiece = std::numeric_limits<ULONG>::max();
  auto* Bytes = static_cast<const UCHAR*>(Data);
  while (Size > 0) {
    const size_t Piece = std::min(Size, kMaxPiece);
    // BCryptHashData does not write to its input; its parameter is merely not const.
    Check("BCryptHashData", ::BCryptHashData(FState->Hash->Handle(), const_cast<PUCHAR>(Bytes),
                                             static_cast<ULONG>(Piece), 0));
    Bytes += Piece;
    Size -= Piece;
  }
}

TSha256Digest TSha256::Finish() {
  // The fresh hash object comes first: when it cannot be made, nothing given so far is lost.
  // Once it is in place the object has started afresh, whether the old one finishes or not.
  auto Fresh = std::make_unique<THashObject>();
  const std::unique_ptr<THashObject> Old = std::exchange(FState->Hash, std::move(Fresh));
  TSha256Digest Digest{};
  Check("BCryptFinishHash",
        ::BCryptFinishHash(Old->Handle(), Digest.data(), static_cast<ULONG>(Digest.size()), 0));
  return Digest;
}

}  // namespace vlm
