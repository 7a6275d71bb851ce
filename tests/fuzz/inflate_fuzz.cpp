// tests/fuzz/inflate_fuzz.cpp -- fuzz target for the engine's Deflate / Deflate64 decoder.
// Built by scripts/fuzz_inflate.sh with clang's libFuzzer, AddressSanitizer and UBSan.
//
// Input: the first byte chooses the mode (bit 0: Deflate64) and how many bytes the source hands
// out per read (bits 1-7); the rest is the compressed stream. Whatever the bytes, decoding must end
// without a fault and with bounded output. In Deflate mode the decoder is compared with zlib's raw
// inflate: both must accept or refuse the stream alike, and give the same bytes.
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "zip/engine/inflater.h"

namespace {

using vlm::zipengine::TByteSink;
using vlm::zipengine::TByteSource;
using vlm::zipengine::TInflater;
using vlm::zipengine::TInflateResult;

// Output beyond this is not compared (a small input can expand about 1000-fold).
constexpr size_t kOutputCap = size_t{4} << 20;

class Source : public TByteSource {
public:
  Source(const uint8_t* Data, size_t Size, size_t Piece)
      : FData(Data), FSize(Size), FPiece(Piece) {}
  size_t Read(uint8_t* Buffer, size_t Capacity) override {
    const size_t N = std::min({Capacity, FPiece, FSize - FPos});
    std::copy_n(FData + FPos, N, Buffer);
    FPos += N;
    return N;
  }

private:
  const uint8_t* FData;
  size_t FSize, FPiece, FPos = 0;
};

class Sink : public TByteSink {
public:
  bool Put(const uint8_t* Data, size_t Size) override {
    Out.append(reinterpret_cast<const char*>(Data), Size);
    return Out.size() < kOutputCap;
  }
  std::string Out;
};

enum class Verdict { Done, Refused, Capped };

Verdict Zlib(const uint8_t* Data, size_t Size, std::string& Out) {
  z_stream Z{};
  if (inflateInit2(&Z, -15) != Z_OK) std::abort();
  Z.next_in = const_cast<Bytef*>(Data);
  Z.avail_in = static_cast<uInt>(Size);
  char Buffer[16384];
  int Status;
  do {
    Z.next_out = reinterpret_cast<Bytef*>(Buffer);
    Z.avail_out = sizeof Buffer;
    Status = inflate(&Z, Z_NO_FLUSH);
    Out.append(Buffer, sizeof Buffer - Z.avail_out);
  } while (Status == Z_OK && Out.size() < kOutputCap);
  inflateEnd(&Z);
  if (Status == Z_STREAM_END && Out.size() < kOutputCap) return Verdict::Done;
  return Out.size() >= kOutputCap ? Verdict::Capped : Verdict::Refused;
}

[[noreturn]] void Mismatch(const char* What) {
  std::fprintf(stderr, "decoder and zlib disagree: %s\n", What);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size < 1) return 0;
  const bool Deflate64 = (Data[0] & 1) != 0;
  const size_t Piece = (Data[0] >> 1) == 0 ? SIZE_MAX : size_t{Data[0]} >> 1;
  ++Data;
  --Size;

  Source In(Data, Size, Piece);
  Sink Out;
  TInflater Inflater(Deflate64);
  const TInflateResult Result = Inflater.Run(In, Out);
  if (Out.Out.size() > kOutputCap + (size_t{256} << 10)) Mismatch("output not bounded by the sink");
  if (Deflate64) return 0;

  std::string Reference;
  const Verdict Z = Zlib(Data, Size, Reference);
  const Verdict Own = Result == TInflateResult::Done      ? Verdict::Done
                      : Result == TInflateResult::Stopped ? Verdict::Capped
                                                          : Verdict::Refused;
  if (Own != Z) Mismatch(Own == Verdict::Done ? "only the decoder accepts" : "verdicts differ");
  if (Own == Verdict::Done && Out.Out != Reference) Mismatch("different output");
  if (Own == Verdict::Capped) {
    const size_t N = std::min(Out.Out.size(), Reference.size());
    if (Out.Out.compare(0, N, Reference, 0, N) != 0) Mismatch("different output before the cap");
  }
  return 0;
}
