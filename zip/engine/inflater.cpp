// zip/engine/inflater.cpp -- the Deflate / Deflate64 decoder: bit reader, canonical Huffman
// tables with a 10-bit fast lookup, block decoding and the output window.
#include "zip/engine/inflater.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace vlm::zipengine {
namespace {

constexpr int kMaxBits = 15;
constexpr int kFastBits = 10;
constexpr size_t kInputBlock = 32768;
// The window keeps the last 256 KiB of output and output is handed out every 128 KiB: a match
// reaches at most 65536 bytes back, so its source is always still in the buffer.
constexpr size_t kWindowSize = size_t{1} << 18;
constexpr size_t kWindowMask = kWindowSize - 1;
constexpr size_t kFlushAt = size_t{1} << 17;
// Zero bytes the bit reader may invent past the end of the input, so that a peek near the end
// works; consuming any of them means the stream was cut short.
constexpr unsigned kMaxPadBytes = 8;

constexpr uint16_t kLengthBase[29] = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                      15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                      67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                      2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr uint32_t kDistBase[32] = {1,    2,    3,    4,     5,     7,     9,     13,
                                    17,   25,   33,   49,    65,    97,    129,   193,
                                    257,  385,  513,  769,   1025,  1537,  2049,  3073,
                                    4097, 6145, 8193, 12289, 16385, 24577, 32769, 49153};
constexpr uint8_t kDistExtra[32] = {0, 0, 0, 0, 1, 1, 2,  2,  3,  3,  4,  4,  5,  5,  6,  6,
                                    7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13, 14, 14};
// Order in which the code length code lengths are stored (RFC 1951, 3.2.7).
constexpr uint8_t kCodeLengthOrder[19] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                          11, 4,  12, 3, 13, 2, 14, 1, 15};

struct TDataError {};
struct TInputEnded {};
struct TStopped {};

// A canonical Huffman code: counts per length and symbols in code order (for codes longer than
// the fast table), plus a table indexed by the next kFastBits input bits.
struct THuffman {
  std::array<uint16_t, kMaxBits + 1> Count{};
  std::vector<uint16_t> Symbol;
  // Fast entry: symbol << 4 | length, or 0 when the code is longer than kFastBits (or invalid).
  std::array<uint16_t, size_t{1} << kFastBits> Fast{};
  bool Empty = true;

  // Builds from code lengths. Returns false for a set zlib refuses: over-subscribed, or
  // incomplete unless it is a single one-bit code (never incomplete for the code length code).
  bool Build(const uint8_t* Lengths, int N, bool IsCodeLengthCode) {
    Count.fill(0);
    for (int I = 0; I < N; ++I) ++Count[Lengths[I]];
    Count[0] = 0;
    int Max = kMaxBits;
    while (Max >= 1 && Count[Max] == 0) --Max;
    Fast.fill(0);
    Symbol.assign(static_cast<size_t>(N), 0);
    Empty = Max == 0;
    if (Empty) return true;  // no codes at all: every lookup fails when used
    int Left = 1;
    for (int Len = 1; Len <= kMaxBits; ++Len) {
      Left = (Left << 1) - Count[Len];
      if (Left < 0) return false;
    }
    if (Left > 0 && (IsCodeLengthCode || Max != 1)) return false;

    std::array<uint16_t, kMaxBits + 2> Offset{};
    for (int Len = 1; Len <= kMaxBits; ++Len) Offset[Len + 1] = Offset[Len] + Count[Len];
    std::array<uint16_t, kMaxBits + 2> NextCode{};
    uint16_t Code = 0;
    for (int Len = 1; Len <= kMaxBits; ++Len) {
      Code = static_cast<uint16_t>((Code + Count[Len - 1]) << 1);
      NextCode[Len] = Code;
    }
    for (int Sym = 0; Sym < N; ++Sym) {
      const int Len = Lengths[Sym];
      if (Len == 0) continue;
      Symbol[Offset[Len]++] = static_cast<uint16_t>(Sym);
      const unsigned C = NextCode[Len]++;
      if (Len > kFastBits) continue;
      unsigned Reversed = 0;
      for (int B = 0; B < Len; ++B) Reversed |= ((C >> B) & 1u) << (Len - 1 - B);
      for (unsigned I = Reversed; I < Fast.size(); I += 1u << Len) {
        Fast[I] = static_cast<uint16_t>(Sym << 4 | Len);
      }
    }
    return true;
  }
};

}  // namespace

struct TInflater::TState {
  bool Deflate64;
  TByteSource* In = nullptr;
  TByteSink* Out = nullptr;

  std::vector<uint8_t> Input = std::vector<uint8_t>(kInputBlock);
  size_t InPos = 0, InLen = 0;
  bool SourceEnded = false;
  uint64_t BitBuf = 0;
  unsigned BitCount = 0;
  unsigned PadBits = 0;  // invented zero bits at the top of BitBuf

  std::vector<uint8_t> Window = std::vector<uint8_t>(kWindowSize);
  uint64_t Pos = 0;      // total bytes decoded
  uint64_t Flushed = 0;  // total bytes handed to the sink

  THuffman LitLen, Dist, CodeLen;

  explicit TState(bool D64) : Deflate64(D64) {}

  void Refill() {
    while (BitCount <= 56) {
      if (InPos == InLen && !SourceEnded) {
        InLen = In->Read(Input.data(), Input.size());
        InPos = 0;
        if (InLen == 0) SourceEnded = true;
      }
      if (InPos < InLen) {
        BitBuf |= uint64_t{Input[InPos++]} << BitCount;
      } else {
        if (PadBits >= kMaxPadBytes * 8) throw TInputEnded{};
        PadBits += 8;
      }
      BitCount += 8;
    }
  }
  uint32_t Peek(unsigned N) {
    if (BitCount < N) Refill();
    return static_cast<uint32_t>(BitBuf & ((uint64_t{1} << N) - 1));
  }
  void Consume(unsigned N) {
    BitBuf >>= N;
    BitCount -= N;
    if (BitCount < PadBits) throw TInputEnded{};
  }
  uint32_t Bits(unsigned N) {
    if (N == 0) return 0;
    const uint32_t V = Peek(N);
    Consume(N);
    return V;
  }

  int Decode(const THuffman& H) {
    if (H.Empty) throw TDataError{};
    const uint32_t Next = Peek(kMaxBits);
    const uint16_t F = H.Fast[Next & ((1u << kFastBits) - 1)];
    if (F != 0) {
      Consume(F & 15u);
      return F >> 4;
    }
    // Slow path: walk the lengths (codes are stored most significant bit first).
    int Code = 0, First = 0, Index = 0;
    for (int Len = 1; Len <= kMaxBits; ++Len) {
      Code |= static_cast<int>((Next >> (Len - 1)) & 1u);
      const int Count = H.Count[Len];
      if (Code - Count < First) {
        Consume(static_cast<unsigned>(Len));
        return H.Symbol[static_cast<size_t>(Index + (Code - First))];
      }
      Index += Count;
      First = (First + Count) << 1;
      Code <<= 1;
    }
    throw TDataError{};  // an incomplete code's unused pattern
  }

  void Flush() {
    while (Flushed < Pos) {
      const size_t Start = static_cast<size_t>(Flushed & kWindowMask);
      const size_t N = static_cast<size_t>(std::min<uint64_t>(Pos - Flushed, kWindowSize - Start));
      if (!Out->Put(Window.data() + Start, N)) throw TStopped{};
      Flushed += N;
    }
  }
  void PutByte(uint8_t B) {
    Window[Pos & kWindowMask] = B;
    if (++Pos - Flushed >= kFlushAt) Flush();
  }
  void CopyMatch(uint32_t Distance, uint32_t Length) {
    if (Distance > Pos) throw TDataError{};  // before the start of the output
    while (Length > 0) {
      const uint32_t Room = static_cast<uint32_t>(kFlushAt - (Pos - Flushed));
      uint32_t N = std::min(Length, Room);
      Length -= N;
      size_t From = static_cast<size_t>((Pos - Distance) & kWindowMask);
      size_t To = static_cast<size_t>(Pos & kWindowMask);
      Pos += N;
      while (N-- > 0) {  // byte by byte: source and target may overlap
        Window[To] = Window[From];
        To = (To + 1) & kWindowMask;
        From = (From + 1) & kWindowMask;
      }
      if (Pos - Flushed >= kFlushAt) Flush();
    }
  }

  void StoredBlock() {
    Consume(BitCount % 8);  // to the byte boundary (padding comes in whole bytes)
    const uint32_t Len = Bits(16);
    const uint32_t NLen = Bits(16);
    if (Len != (~NLen & 0xFFFFu)) throw TDataError{};
    for (uint32_t I = 0; I < Len; ++I) PutByte(static_cast<uint8_t>(Bits(8)));
  }

  void FixedTables() {
    uint8_t Lengths[288];
    std::fill(Lengths, Lengths + 144, 8);
    std::fill(Lengths + 144, Lengths + 256, 9);
    std::fill(Lengths + 256, Lengths + 280, 7);
    std::fill(Lengths + 280, Lengths + 288, 8);
    LitLen.Build(Lengths, 288, false);
    uint8_t DistLengths[32];
    std::fill(DistLengths, DistLengths + 32, 5);
    Dist.Build(DistLengths, 32, false);
  }

  void DynamicTables() {
    const int NLen = static_cast<int>(Bits(5)) + 257;
    const int NDist = static_cast<int>(Bits(5)) + 1;
    const int NCode = static_cast<int>(Bits(4)) + 4;
    // Deflate has 30 distance codes; Deflate64 uses all 32.
    if (NLen > 286 || (!Deflate64 && NDist > 30)) throw TDataError{};
    uint8_t CodeLengths[19] = {};
    for (int I = 0; I < NCode; ++I)
      CodeLengths[kCodeLengthOrder[I]] = static_cast<uint8_t>(Bits(3));
    if (!CodeLen.Build(CodeLengths, 19, true) || CodeLen.Empty) throw TDataError{};

    uint8_t Lengths[286 + 32] = {};
    int I = 0;
    while (I < NLen + NDist) {
      const int Sym = Decode(CodeLen);
      if (Sym < 16) {
        Lengths[I++] = static_cast<uint8_t>(Sym);
        continue;
      }
      uint8_t Value = 0;
      int Repeat;
      if (Sym == 16) {
        if (I == 0) throw TDataError{};  // nothing to repeat
        Value = Lengths[I - 1];
        Repeat = 3 + static_cast<int>(Bits(2));
      } else if (Sym == 17) {
        Repeat = 3 + static_cast<int>(Bits(3));
      } else {
        Repeat = 11 + static_cast<int>(Bits(7));
      }
      if (I + Repeat > NLen + NDist) throw TDataError{};
      while (Repeat-- > 0) Lengths[I++] = Value;
    }
    if (Lengths[256] == 0) throw TDataError{};  // no end-of-block code
    if (!LitLen.Build(Lengths, NLen, false)) throw TDataError{};
    if (!Dist.Build(Lengths + NLen, NDist, false)) throw TDataError{};
  }

  void HuffmanBlock() {
    for (;;) {
      const int Sym = Decode(LitLen);
      if (Sym < 256) {
        PutByte(static_cast<uint8_t>(Sym));
        continue;
      }
      if (Sym == 256) return;
      const int L = Sym - 257;
      if (L >= 29) throw TDataError{};  // 286 and 287 exist only in the fixed table
      uint32_t Length;
      if (L == 28 && Deflate64) {
        Length = 3 + Bits(16);
      } else {
        Length = kLengthBase[L] + Bits(kLengthExtra[L]);
      }
      const int D = Decode(Dist);
      if (D >= (Deflate64 ? 32 : 30)) throw TDataError{};
      const uint32_t Distance = kDistBase[D] + Bits(kDistExtra[D]);
      CopyMatch(Distance, Length);
    }
  }

  TInflateResult Run() {
    try {
      bool Last = false;
      while (!Last) {
        Last = Bits(1) != 0;
        switch (Bits(2)) {
          case 0: StoredBlock(); break;
          case 1:
            FixedTables();
            HuffmanBlock();
            break;
          case 2:
            DynamicTables();
            HuffmanBlock();
            break;
          default: throw TDataError{};
        }
      }
      Flush();
      return TInflateResult::Done;
    } catch (const TDataError&) {
      return TInflateResult::DataError;
    } catch (const TInputEnded&) {
      return TInflateResult::InputEnded;
    } catch (const TStopped&) {
      return TInflateResult::Stopped;
    }
  }
};

TInflater::TInflater(bool Deflate64) : FState(std::make_unique<TState>(Deflate64)) {}
TInflater::~TInflater() = default;

TInflateResult TInflater::Run(TByteSource& In, TByteSink& Out) {
  FState->In = &In;
  FState->Out = &Out;
  return FState->Run();
}

}  // namespace vlm::zipengine
