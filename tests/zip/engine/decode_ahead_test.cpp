// tests/zip/engine/decode_ahead_test.cpp -- decoding on the helper thread hands the calling thread
// exactly the blocks and results that decoding on the calling thread gives, whatever the calling
// thread passes over, refuses or breaks off.
#include "zip/engine/decode_ahead.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/zip/engine/extract_support.h"
#include "zip/engine/archive_reader.h"

namespace vlm::zipengine {
namespace {

using test::PathString;
using test::TempFolder;
using test::WriteBytes;

// Raw Deflate (no header), as ZIP entries hold it.
std::string Deflate(const std::string& Data) {
  z_stream Z{};
  EXPECT_EQ(deflateInit2(&Z, 6, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY), Z_OK);
  std::string Out(deflateBound(&Z, static_cast<uLong>(Data.size())), '\0');
  Z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(Data.data()));
  Z.avail_in = static_cast<uInt>(Data.size());
  Z.next_out = reinterpret_cast<Bytef*>(Out.data());
  Z.avail_out = static_cast<uInt>(Out.size());
  EXPECT_EQ(deflate(&Z, Z_FINISH), Z_STREAM_END);
  Out.resize(Z.total_out);
  deflateEnd(&Z);
  return Out;
}

// Bytes that compress a little and differ everywhere, so a block out of place shows.
std::string Content(size_t Size, unsigned Seed) {
  std::string Bytes(Size, '\0');
  uint32_t X = Seed * 2654435761u + 1;
  for (size_t I = 0; I < Size; ++I) {
    X = X * 1103515245u + 12345u;
    Bytes[I] = static_cast<char>(I % 7 == 0 ? (X >> 16) : 'a' + (I / 1000 + Seed) % 26);
  }
  return Bytes;
}

// Takes what a decoder puts, as the output writer does: stops after a block that passes the
// declared size, or after RefuseAfter blocks; throws on block ThrowAt.
struct Recorder : TByteSink {
  uint64_t Declared = std::numeric_limits<uint64_t>::max();
  size_t RefuseAfter = std::numeric_limits<size_t>::max();
  size_t ThrowAt = std::numeric_limits<size_t>::max();
  std::vector<size_t> Sizes;
  std::string Bytes;
  bool Put(const uint8_t* Data, size_t Size) override {
    if (Sizes.size() == ThrowAt) throw std::runtime_error("refused by a callback");
    Sizes.push_back(Size);
    Bytes.append(reinterpret_cast<const char*>(Data), Size);
    return Bytes.size() <= Declared && Sizes.size() < RefuseAfter;
  }
};

struct Outcome {
  TDecodeResult Result;
  bool CutShort;
  std::vector<size_t> Sizes;
  std::string Bytes;
  bool operator==(const Outcome&) const = default;
};

class DecodeAhead : public ::testing::Test {
protected:
  // Lays the streams one after the other in front of an empty central directory.
  void Lay(const std::vector<std::pair<uint16_t, std::string>>& Streams) {
    std::string Data;
    for (const auto& [Method, Stream] : Streams) {
      TDecodeJob Job;
      Job.Ahead = true;
      Job.Method = Method;
      Job.DataStart = Data.size();
      Job.DataSize = Stream.size();
      Jobs.push_back(Job);
      Data += Stream;
    }
    std::string End = {'P', 'K', 5, 6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    for (int B = 0; B < 4; ++B) End += static_cast<char>(Data.size() >> (8 * B));
    End += std::string(2, '\0');
    WriteBytes(Folder.Path() / "streams.zip", Data + End);
    ASSERT_EQ(Reader.Open(PathString(Folder.Path() / "streams.zip"), TNameEncoding::Auto, 0), 0);
  }

  // What decoding job Index on this thread gives, Sink set up as Take's.
  Outcome Inline(size_t Index, Recorder Sink) {
    const TDecodeJob& Job = Jobs[Index];
    TEntrySource Source(Reader, Job.DataStart, Job.DataSize, std::nullopt);
    TEntryDecoder Decoder;
    const TDecodeResult Result = Decoder.Decode(Job.Method, Source, Sink);
    // Once the sink refused, the source's state is not looked at (the writer's error is).
    const bool Refused = Result == TDecodeResult::Stopped;
    return {Result, !Refused && Source.CutShort(), Sink.Sizes, Sink.Bytes};
  }

  Outcome Take(TDecodeAhead& Ahead, size_t Index, Recorder Sink) {
    Ahead.Reached(Index);
    bool CutShort = true;
    const TDecodeResult Result = Ahead.Deliver(Index, Sink, CutShort);
    return {Result, CutShort, Sink.Sizes, Sink.Bytes};
  }

  TempFolder Folder;
  TArchiveReader Reader;
  std::vector<TDecodeJob> Jobs;
};

TEST_F(DecodeAhead, HandsOverWhatDecodingHereGivesWhateverIsPassedOverOrBrokenOff) {
  const std::string Big = Content(3 << 19, 1);  // more blocks than the queue holds
  const std::string Damaged = Deflate(Content(700000, 4));
  Lay({{8, Deflate(Big)},
       {8, Deflate(Content(900000, 2))},            // passed over while decoded ahead
       {0, Content(600000, 3)},                     // stored; refused after its first block
       {8, Damaged.substr(0, Damaged.size() / 2)},  // cut short
       {8, Deflate(Content(1 << 20, 5))},           // declared smaller than it is: capped
       {8, Deflate(std::string(5000, 'x'))},        // decoded on the calling thread
       {9, Deflate(Content(400000, 6))},            // Deflate64: the own decoder's blocks
       {8, Deflate(Content(1 << 20, 7))},           // broken off by an exception
       {8, Deflate(Content(3 << 19, 8))}});         // never reached: dropped at the end
  for (TDecodeJob& Job : Jobs) Job.DeclaredSize = std::numeric_limits<uint32_t>::max();
  Jobs[4].DeclaredSize = 300000;
  Jobs[5].Ahead = false;

  Recorder Plain, Refusing, Capped, Throwing;
  Refusing.RefuseAfter = 1;
  Capped.Declared = Jobs[4].DeclaredSize;
  Throwing.ThrowAt = 3;
  {
    TDecodeAhead Ahead(Reader, Jobs, /*QueuedBlocks=*/4);
    for (size_t I = 0; I < Jobs.size(); ++I) EXPECT_EQ(Ahead.Decodes(I), I != 5) << I;

    const Outcome First = Take(Ahead, 0, Plain);
    EXPECT_EQ(First.Bytes, Big);
    EXPECT_EQ(First, Inline(0, Plain));
    EXPECT_EQ(Take(Ahead, 2, Refusing), Inline(2, Refusing));
    const Outcome Cut = Take(Ahead, 3, Plain);
    EXPECT_TRUE(Cut.CutShort || Cut.Result == TDecodeResult::InputEnded);
    EXPECT_EQ(Cut, Inline(3, Plain));
    const Outcome Cap = Take(Ahead, 4, Capped);
    EXPECT_EQ(Cap.Result, TDecodeResult::Stopped);
    EXPECT_EQ(Cap, Inline(4, Capped));
    Ahead.Reached(5);
    Ahead.DecodingInline(5);
    EXPECT_EQ(Take(Ahead, 6, Plain), Inline(6, Plain));
    Ahead.Reached(7);
    bool CutShort = false;
    EXPECT_THROW(Ahead.Deliver(7, Throwing, CutShort), std::runtime_error);
  }  // the helper, ahead on job 8 with a full queue, is stopped and joined here
}

}  // namespace
}  // namespace vlm::zipengine
