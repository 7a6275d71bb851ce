// zip/engine/zip_crypto.cpp -- traditional PKWARE decryption over zlib's CRC-32 table.
#include "zip/engine/zip_crypto.h"

#include <zlib.h>

namespace vlm::zipengine {
namespace {

uint32_t Crc32Byte(uint32_t Crc, uint8_t B) {
  static const auto* const Table = get_crc_table();
  return static_cast<uint32_t>(Table[(Crc ^ B) & 0xFFu]) ^ (Crc >> 8);
}

}  // namespace

TZipDecrypter::TZipDecrypter(std::string_view Password)
    : FKeys{0x12345678u, 0x23456789u, 0x34567890u} {
  for (char C : Password) UpdateKeys(static_cast<uint8_t>(C));
}

void TZipDecrypter::UpdateKeys(uint8_t Plain) {
  FKeys[0] = Crc32Byte(FKeys[0], Plain);
  FKeys[1] = (FKeys[1] + (FKeys[0] & 0xFFu)) * 134775813u + 1u;
  FKeys[2] = Crc32Byte(FKeys[2], static_cast<uint8_t>(FKeys[1] >> 24));
}

uint8_t TZipDecrypter::KeyStreamByte() const {
  const uint32_t Temp = (FKeys[2] | 2u) & 0xFFFFu;
  return static_cast<uint8_t>((Temp * (Temp ^ 1u)) >> 8);
}

void TZipDecrypter::Decrypt(uint8_t* Data, size_t Size) {
  for (size_t I = 0; I < Size; ++I) {
    const uint8_t Plain = Data[I] ^ KeyStreamByte();
    UpdateKeys(Plain);
    Data[I] = Plain;
  }
}

bool TZipDecrypter::CheckHeader(const uint8_t (&Header)[12], uint8_t CheckByte) {
  uint8_t Plain[12];
  for (int I = 0; I < 12; ++I) Plain[I] = Header[I];
  Decrypt(Plain, 12);
  return Plain[11] == CheckByte;
}

}  // namespace vlm::zipengine
