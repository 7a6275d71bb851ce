// zip/engine/zip_crypto.h -- traditional PKWARE encryption (PKWARE APPNOTE, 6.1): key schedule,
// the 12-byte encryption header check, and in-place decryption.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vlm::zipengine {

class TZipDecrypter {
public:
  // Keys initialised from the password's bytes.
  explicit TZipDecrypter(std::string_view Password);

  // Decrypts the 12-byte encryption header that starts the entry's data and compares its last
  // byte with CheckByte (the high byte of the CRC-32, or of the DOS time when the entry has a
  // data descriptor). A wrong password passes with a chance of 1 in 256; the CRC check catches it.
  bool CheckHeader(const uint8_t (&Header)[12], uint8_t CheckByte);

  void Decrypt(uint8_t* Data, size_t Size);

private:
  void UpdateKeys(uint8_t Plain);
  uint8_t KeyStreamByte() const;
  uint32_t FKeys[3];
};

}  // namespace vlm::zipengine
