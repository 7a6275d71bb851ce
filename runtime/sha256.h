// runtime/sha256.h -- SHA-256 digests, computed by the platform: the system's cryptography API
// (BCrypt) on Windows, OpenSSL's libcrypto elsewhere. Never computed by our own code.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace vlm {

using TSha256Digest = std::array<uint8_t, 32>;

// A digest over data given in pieces. A failure of the platform's API raises an Exception whose
// message names the call and its status.
class TSha256 {
public:
  TSha256();
  ~TSha256();
  TSha256(const TSha256&) = delete;
  TSha256& operator=(const TSha256&) = delete;

  void Update(const void* Data, size_t Size);
  // The digest of everything given so far; the object then starts afresh.
  TSha256Digest Finish();

private:
  struct TState;
  std::unique_ptr<TState> FState;
};

// The digest of one block of memory.
TSha256Digest Sha256(const void* Data, size_t Size);

// 64 lower-case hexadecimal digits.
std::string Sha256Hex(const TSha256Digest& Digest);

}  // namespace vlm
