// runtime/sha256.cpp -- the parts of SHA-256 that are the same on every platform: the one-shot
// digest and its hexadecimal text. The hashing itself is the platform's (see sha256.h).
#include "runtime/sha256.h"

namespace vlm {

TSha256Digest Sha256(const void* Data, size_t Size) {
  TSha256 Hash;
  Hash.Update(Data, Size);
  return Hash.Finish();
}

std::string Sha256Hex(const TSha256Digest& Digest) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string Text;
  Text.reserve(Digest.size() * 2);
  for (const uint8_t Byte : Digest) {
    Text += kDigits[Byte >> 4];
    Text += kDigits[Byte & 0x0F];
  }
  return Text;
}

}  // namespace vlm
