// zip/zip_bytes.h -- little-endian field access for the archive records the front end reads.
// Every record is read into a byte buffer first and its fields are taken with these helpers at
// fixed offsets; no structure is ever laid over file bytes. Callers check the buffer's length
// before they read a field from it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vlm {

inline uint16_t GetU16LE(const uint8_t* P) {
  return static_cast<uint16_t>(P[0] | (P[1] << 8));
}

inline uint32_t GetU32LE(const uint8_t* P) {
  return static_cast<uint32_t>(P[0]) | (static_cast<uint32_t>(P[1]) << 8) |
         (static_cast<uint32_t>(P[2]) << 16) | (static_cast<uint32_t>(P[3]) << 24);
}

inline uint64_t GetU64LE(const uint8_t* P) {
  return static_cast<uint64_t>(GetU32LE(P)) | (static_cast<uint64_t>(GetU32LE(P + 4)) << 32);
}

inline const uint8_t* BytesOf(std::string_view Bytes) {
  return reinterpret_cast<const uint8_t*>(Bytes.data());
}

}  // namespace vlm
