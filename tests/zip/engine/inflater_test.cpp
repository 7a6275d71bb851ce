// tests/zip/engine/inflater_test.cpp -- the Deflate / Deflate64 decoder: the same output and the
// same verdicts as zlib on Deflate, Deflate64's own codes, input in any piece size, damaged
// streams, and a sink that stops.
#include "zip/engine/inflater.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <string>
#include <vector>

namespace vlm::zipengine {
namespace {

class MemorySource : public TByteSource {
public:
  MemorySource(const std::string& Data, size_t Piece) : FData(Data), FPiece(Piece) {}
  size_t Read(uint8_t* Buffer, size_t Capacity) override {
    const size_t N = std::min({Capacity, FPiece, FData.size() - FPos});
    std::copy_n(FData.data() + FPos, N, reinterpret_cast<char*>(Buffer));
    FPos += N;
    return N;
  }

private:
  const std::string& FData;
  size_t FPiece;
  size_t FPos = 0;
};

class StringSink : public TByteSink {
public:
  explicit StringSink(size_t Limit = SIZE_MAX) : FLimit(Limit) {}
  bool Put(const uint8_t* Data, size_t Size) override {
    ++Calls;
    Out.append(reinterpret_cast<const char*>(Data), Size);
    return Out.size() < FLimit;
  }
  std::string Out;
  int Calls = 0;

private:
  size_t FLimit;
};

struct Outcome {
  TInflateResult Result;
  std::string Out;
};

Outcome Inflate(const std::string& Stream, bool Deflate64, size_t Piece = SIZE_MAX) {
  MemorySource In(Stream, Piece);
  StringSink Out;
  TInflater Inflater(Deflate64);
  const TInflateResult Result = Inflater.Run(In, Out);
  return {Result, Out.Out};
}

std::string Compress(const std::string& Data, int Level) {
  z_stream Z{};
  deflateInit2(&Z, Level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
  std::string Out(deflateBound(&Z, Data.size()) + 16, '\0');
  Z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(Data.data()));
  Z.avail_in = static_cast<uInt>(Data.size());
  Z.next_out = reinterpret_cast<Bytef*>(Out.data());
  Z.avail_out = static_cast<uInt>(Out.size());
  deflate(&Z, Z_FINISH);
  Out.resize(Z.total_out);
  deflateEnd(&Z);
  return Out;
}

// zlib's verdict on a raw Deflate stream: output when it ends properly, nothing otherwise.
std::optional<std::string> ZlibInflate(const std::string& Stream) {
  z_stream Z{};
  inflateInit2(&Z, -15);
  Z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(Stream.data()));
  Z.avail_in = static_cast<uInt>(Stream.size());
  std::string Out;
  char Buffer[4096];
  int Status;
  do {
    Z.next_out = reinterpret_cast<Bytef*>(Buffer);
    Z.avail_out = sizeof Buffer;
    Status = inflate(&Z, Z_NO_FLUSH);
    Out.append(Buffer, sizeof Buffer - Z.avail_out);
  } while (Status == Z_OK && Out.size() < (1u << 22));
  inflateEnd(&Z);
  if (Status != Z_STREAM_END) return std::nullopt;
  return Out;
}

std::string Sample(unsigned Seed, size_t Size) {
  std::mt19937 Rng(Seed);
  std::string S;
  while (S.size() < Size) {
    switch (Rng() % 3) {
      case 0:
        for (int I = 0, N = static_cast<int>(Rng() % 2000); I < N; ++I)
          S += static_cast<char>(Rng());
        break;
      case 1: S += std::string(Rng() % 5000, static_cast<char>('a' + Rng() % 3)); break;
      default:
        if (!S.empty()) S += S.substr(Rng() % S.size(), Rng() % 3000);
    }
  }
  S.resize(Size);
  return S;
}

// Writes a Deflate bit stream: extra bits least significant first, Huffman codes most first.
class BitWriter {
public:
  void Bits(uint32_t Value, int Count) {
    for (int I = 0; I < Count; ++I) Bit((Value >> I) & 1u);
  }
  void Code(uint32_t Code, int Length) {
    for (int I = Length - 1; I >= 0; --I) Bit((Code >> I) & 1u);
  }
  // Fixed Huffman literal/length symbols.
  void FixedSymbol(int Sym) {
    if (Sym < 144)
      Code(0x30 + Sym, 8);
    else if (Sym < 256)
      Code(0x190 + Sym - 144, 9);
    else if (Sym < 280)
      Code(Sym - 256, 7);
    else
      Code(0xC0 + Sym - 280, 8);
  }
  void FixedDistance(int Sym) { Code(static_cast<uint32_t>(Sym), 5); }
  std::string Take() { return Out; }
  void Bytes(const std::string& B) { Out += B; }  // only at a byte boundary

private:
  void Bit(uint32_t B) {
    if (Used == 0) Out += '\0';
    Out.back() = static_cast<char>(Out.back() | (B << Used));
    Used = (Used + 1) % 8;
  }
  std::string Out;
  int Used = 0;
};

TEST(TInflater, MatchesZlibOnEveryLevelAndPieceSize) {
  for (unsigned Seed : {1u, 2u, 3u}) {
    const std::string Data = Sample(Seed, 200000 + Seed * 7919);
    for (int Level : {0, 1, 6, 9}) {
      const std::string Stream = Compress(Data, Level);
      for (size_t Piece : {size_t{1}, size_t{7}, size_t{4096}, SIZE_MAX}) {
        if (Piece == 1 && Level != 9) continue;  // byte by byte once per sample is enough
        const Outcome O = Inflate(Stream, false, Piece);
        EXPECT_EQ(O.Result, TInflateResult::Done) << Seed << " " << Level << " " << Piece;
        EXPECT_TRUE(O.Out == Data) << Seed << " " << Level << " " << Piece;
      }
    }
  }
}

TEST(TInflater, EmptyStreamsAndEmptyOutput) {
  EXPECT_EQ(Inflate(Compress("", 9), false).Result, TInflateResult::Done);
  EXPECT_EQ(Inflate(Compress("", 9), false).Out, "");
  EXPECT_EQ(Inflate("", false).Result, TInflateResult::InputEnded);
}

TEST(TInflater, AgreesWithZlibOnDamagedStreams) {
  std::mt19937 Rng(1951);
  const std::string Good = Compress(Sample(9, 30000), 9);
  int Rejected = 0;
  for (int Round = 0; Round < 3000; ++Round) {
    std::string Bad = Good;
    for (int Flips = 1 + static_cast<int>(Rng() % 4); Flips > 0; --Flips) {
      Bad[Rng() % Bad.size()] ^= static_cast<char>(1u << (Rng() % 8));
    }
    if (Rng() % 4 == 0) Bad.resize(Rng() % Bad.size());
    const auto Reference = ZlibInflate(Bad);
    const Outcome O = Inflate(Bad, false);
    if (!Reference) ++Rejected;
    ASSERT_EQ(O.Result == TInflateResult::Done, Reference.has_value()) << "round " << Round;
    if (Reference) {
      ASSERT_TRUE(O.Out == *Reference) << "round " << Round;
    }
  }
  EXPECT_GT(Rejected, 100) << "the damage must actually break streams";
}

TEST(TInflater, ReportsTheKindOfDamage) {
  EXPECT_EQ(Inflate(std::string("\x07", 1), false).Result, TInflateResult::DataError);  // type 3
  // Stored block whose length and its complement disagree.
  EXPECT_EQ(Inflate(std::string("\x01\x05\x00\x00\x00", 5), false).Result,
            TInflateResult::DataError);
  BitWriter W;  // a match before any output: distance too far back
  W.Bits(1, 1);
  W.Bits(1, 2);
  W.FixedSymbol(257);
  W.FixedDistance(0);
  W.FixedSymbol(256);
  EXPECT_EQ(Inflate(W.Take(), false).Result, TInflateResult::DataError);
  const std::string Stream = Compress(Sample(4, 5000), 9);
  EXPECT_EQ(Inflate(Stream.substr(0, Stream.size() / 2), false).Result, TInflateResult::InputEnded);
}

TEST(TInflater, Deflate64LengthCode285TakesSixteenExtraBits) {
  BitWriter W;
  W.Bits(1, 1);
  W.Bits(1, 2);  // fixed Huffman
  W.FixedSymbol('a');
  W.FixedSymbol(285);
  W.Bits(997, 16);  // length 3 + 997
  W.FixedDistance(0);
  W.FixedSymbol(256);
  const std::string Stream = W.Take();
  const Outcome D64 = Inflate(Stream, true);
  EXPECT_EQ(D64.Result, TInflateResult::Done);
  EXPECT_EQ(D64.Out, std::string(1001, 'a'));
  // As plain Deflate the same bits mean length 258 followed by garbage.
  EXPECT_NE(Inflate(Stream, false).Out, D64.Out);
}

TEST(TInflater, Deflate64DistanceCodes30And31ReachBack64KiB) {
  const std::string Block = Sample(5, 60000);
  BitWriter W;
  W.Bits(0, 1);
  W.Bits(0, 2);  // stored block with the history
  W.Bits(0, 5);  // to the byte boundary
  W.Bits(static_cast<uint32_t>(Block.size()), 16);
  W.Bits(static_cast<uint32_t>(~Block.size() & 0xFFFF), 16);
  W.Bytes(Block);
  W.Bits(1, 1);
  W.Bits(1, 2);
  W.FixedSymbol(285);
  W.Bits(7, 16);  // length 10
  W.FixedDistance(31);
  W.Bits(10000, 14);  // distance 49153 + 10000
  W.FixedSymbol(285);
  W.Bits(17, 16);  // length 20
  W.FixedDistance(30);
  W.Bits(0, 14);  // distance 32769
  W.FixedSymbol(256);
  const std::string Stream = W.Take();
  const Outcome O = Inflate(Stream, true, 3);
  ASSERT_EQ(O.Result, TInflateResult::Done);
  std::string Want = Block;
  Want += Block.substr(Block.size() - 59153, 10);
  Want += Want.substr(Want.size() - 32769, 20);
  EXPECT_TRUE(O.Out == Want);
}

TEST(TInflater, DistanceCodes30And31AreErrorsInDeflate) {
  for (int Code : {30, 31}) {
    BitWriter W;
    W.Bits(1, 1);
    W.Bits(1, 2);
    for (int I = 0; I < 8; ++I) W.FixedSymbol('x');
    W.FixedSymbol(257);  // length 3
    W.FixedDistance(Code);
    W.Bits(0, 14);
    W.FixedSymbol(256);
    const std::string Stream = W.Take();
    EXPECT_EQ(Inflate(Stream, false).Result, TInflateResult::DataError) << Code;
    EXPECT_EQ(Inflate(Stream, true).Result, TInflateResult::DataError) << Code << " too far back";
  }
}

TEST(TInflater, StopsWhenTheSinkRefuses) {
  const std::string Stream = Compress(std::string(1 << 20, 'z'), 9);
  MemorySource In(Stream, SIZE_MAX);
  StringSink Out(/*Limit=*/1000);
  TInflater Inflater(false);
  EXPECT_EQ(Inflater.Run(In, Out), TInflateResult::Stopped);
  EXPECT_EQ(Out.Calls, 1);
  EXPECT_LE(Out.Out.size(), size_t{256 * 1024});
}

}  // namespace
}  // namespace vlm::zipengine
