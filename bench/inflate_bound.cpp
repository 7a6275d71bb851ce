// bench/inflate_bound.cpp -- the lower bounds of bench/extract.sh: reads a package whole into
// memory, then inflates every Deflate entry into a memory buffer and prints the seconds that
// took (reading the file and parsing the directory are not timed). No file is written and no
// checksum computed, so no extractor can beat it doing the same decompression.
// With --crc it is the floor: the same, plus the CRC-32 of every entry's output compared with
// the one the directory holds, the least work an extractor that checks its output does (with
// zlib, on one core).
//   g++ -O2 -std=c++20 bench/inflate_bound.cpp -lz -o inflate_bound && ./inflate_bound [--crc] PKG
// Handles what bench/extract_packages.py writes: Deflate or stored entries, no ZIP64.
#include <zlib.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

struct Entry {
  uint16_t Method;
  uint32_t Crc;
  uint32_t Compressed;
  uint32_t Uncompressed;
  uint32_t LocalOffset;
};

uint16_t U16(const std::string& B, size_t At) {
  return static_cast<uint16_t>(static_cast<uint8_t>(B[At]) | static_cast<uint8_t>(B[At + 1]) << 8);
}

uint32_t U32(const std::string& B, size_t At) {
  return U16(B, At) | static_cast<uint32_t>(U16(B, At + 2)) << 16;
}

bool Fail(const char* What) {
  std::fprintf(stderr, "inflate_bound: %s\n", What);
  return false;
}

bool ReadDirectory(const std::string& B, std::vector<Entry>& Entries) {
  if (B.size() < 22) return Fail("not a package");
  size_t End = B.size() - 22;
  while (U32(B, End) != 0x06054b50) {
    if (End == 0 || B.size() - End > 22 + 65535) return Fail("no end of central directory");
    --End;
  }
  const uint16_t Count = U16(B, End + 10);
  size_t At = U32(B, End + 16);
  for (uint16_t I = 0; I < Count; ++I) {
    if (At + 46 > B.size() || U32(B, At) != 0x02014b50) return Fail("bad central directory");
    Entries.push_back(
        {U16(B, At + 10), U32(B, At + 16), U32(B, At + 20), U32(B, At + 24), U32(B, At + 42)});
    At += 46 + U16(B, At + 28) + U16(B, At + 30) + U16(B, At + 32);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const bool Crc = argc == 3 && std::strcmp(argv[1], "--crc") == 0;
  if (argc != 2 && !Crc) return Fail("usage: inflate_bound [--crc] PKG"), 2;
  std::ifstream In(argv[argc - 1], std::ios::binary);
  const std::string B((std::istreambuf_iterator<char>(In)), {});
  std::vector<Entry> Entries;
  if (!ReadDirectory(B, Entries)) return 1;
  uint32_t Largest = 1;
  for (const Entry& E : Entries) Largest = std::max(Largest, E.Uncompressed);
  std::vector<unsigned char> Out(Largest);
  // Touch the output buffer once, so its page faults are not timed either.
  std::memset(Out.data(), 0, Out.size());

  uint64_t Total = 0;
  const auto Start = std::chrono::steady_clock::now();
  for (const Entry& E : Entries) {
    const size_t Data =
        E.LocalOffset + 30 + U16(B, E.LocalOffset + 26) + U16(B, E.LocalOffset + 28);
    if (E.Method == 0) {
      std::memcpy(Out.data(), B.data() + Data, E.Uncompressed);
    } else {
      z_stream Z{};
      if (inflateInit2(&Z, -MAX_WBITS) != Z_OK) return Fail("inflateInit2"), 1;
      Z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(B.data() + Data));
      Z.avail_in = E.Compressed;
      Z.next_out = Out.data();
      Z.avail_out = static_cast<uInt>(Out.size());
      const int Result = inflate(&Z, Z_FINISH);
      inflateEnd(&Z);
      if (Result != Z_STREAM_END || Z.total_out != E.Uncompressed) return Fail("inflate"), 1;
    }
    if (Crc && crc32(0, Out.data(), E.Uncompressed) != E.Crc) return Fail("CRC-32 mismatch"), 1;
    Total += E.Uncompressed;
  }
  const double Seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
  std::printf("%.4f %llu\n", Seconds, static_cast<unsigned long long>(Total));
  return 0;
}
