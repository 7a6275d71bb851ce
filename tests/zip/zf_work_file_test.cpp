// tests/zip/zf_work_file_test.cpp -- the directory reader over hostile streams: reads delivered a
// few bytes at a time, and a stream that fails at every read or seek in turn, which must always
// end in a defined error with an empty view and a closed source.
#include "zip/zf_work_file.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "archive_builder.h"
#include "runtime/exception.h"
#include "zip_test_support.h"

namespace vlm {
namespace {

using ziptest::BuildArchive;
using ziptest::RecordingWorker;
using ziptest::TestArchiveOptions;
using ziptest::TestEntry;

// A stream over bytes that delivers at most MaxChunk bytes per Read and can be made to fail: the
// FailAt-th call of Read or Seek (counted together, from 1) raises, as a failing disk would.
class HostileStream : public TStream {
public:
  HostileStream(std::string Bytes, int64_t MaxChunk, int FailAt, int* Calls)
      : FBytes(std::move(Bytes)), FMaxChunk(MaxChunk), FFailAt(FailAt), FCalls(Calls) {}
  int64_t Read(void* Buffer, int64_t Count) override {
    Step();
    const int64_t Size = static_cast<int64_t>(FBytes.size());
    const int64_t Done = std::max<int64_t>(0, std::min({Count, FMaxChunk, Size - FPosition}));
    if (Done > 0) std::copy_n(FBytes.data() + FPosition, Done, static_cast<char*>(Buffer));
    FPosition += Done;
    return Done;
  }
  int64_t Write(const void*, int64_t) override { return 0; }
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override {
    Step();
    const int64_t Base = Origin == TSeekOrigin::soBeginning ? 0
                         : Origin == TSeekOrigin::soCurrent ? FPosition
                                                            : static_cast<int64_t>(FBytes.size());
    FPosition = Base + Offset;
    return FPosition;
  }
  void SetSize(int64_t) override {}

private:
  void Step() {
    if (++*FCalls == FFailAt) throw EReadError(kSStreamReadError);
  }
  std::string FBytes;
  int64_t FMaxChunk;
  int FFailAt;
  int* FCalls;
  int64_t FPosition = 0;
};

std::string SampleArchive() {
  std::vector<TestEntry> Entries = {{.Name = "one.txt", .Data = "1", .Comment = "c1"},
                                    {.Name = "two/", .Data = ""},
                                    {.Name = "two/three.txt", .Data = "333", .Zip64 = true}};
  TestArchiveOptions Options;
  Options.Zip64End = true;
  Options.Comment = "archive comment";
  Options.Prefix = "SFX!";
  return BuildArchive(Entries, Options).Bytes;
}

void LoadThrough(RecordingWorker& R, const std::string& Bytes, int64_t MaxChunk, int FailAt,
                 int* Calls) {
  R.Worker.Opener = [=](const String&) -> std::unique_ptr<TStream> {
    return std::make_unique<HostileStream>(Bytes, MaxChunk, FailAt, Calls);
  };
  R.Worker.SetZipFileName(u"hostile" + ZipIntToStr(FailAt) + u"-" + ZipIntToStr(MaxChunk));
}

TEST(HostileStreams, ReadsOfAFewBytesAtATimeGiveTheSameDirectory) {
  const std::string Bytes = SampleArchive();
  for (const int64_t Chunk : {1, 2, 3, 7, 46, 1 << 20}) {
    RecordingWorker R;
    int Calls = 0;
    LoadThrough(R, Bytes, Chunk, /*FailAt=*/0, &Calls);
    EXPECT_EQ(R.Worker.ErrCode(), 0) << Chunk;
    ASSERT_EQ(R.Worker.CentralDir().Count(), 2) << Chunk;
    EXPECT_EQ(R.Worker.CentralDir().Items(1)->FileName(), u"two\\three.txt");
    EXPECT_EQ(R.Worker.CentralDir().Items(1)->UncompressedSize(), 3u);
    EXPECT_EQ(R.Worker.ZipComment(), "archive comment");
    EXPECT_EQ(R.Worker.SFXOffset(), 4u);
  }
}

TEST(HostileStreams, AFailureAtAnyReadOrSeekEndsInADefinedErrorWithAnEmptyView) {
  const std::string Bytes = SampleArchive();
  int Total = 0;
  {
    RecordingWorker R;
    LoadThrough(R, Bytes, 1 << 20, /*FailAt=*/0, &Total);
    ASSERT_EQ(R.Worker.ErrCode(), 0);
  }
  ASSERT_GT(Total, 10);
  for (int FailAt = 1; FailAt <= Total; ++FailAt) {
    RecordingWorker R;
    int Calls = 0;
    LoadThrough(R, Bytes, 1 << 20, FailAt, &Calls);
    const int32_t Code = R.Worker.ErrCode();
    EXPECT_TRUE(Code == 11036 || Code == 10201 || Code == 11013 || Code == 11017 || Code == 11022)
        << "call #" << FailAt << " gave " << Code;
    EXPECT_EQ(R.Worker.CentralDir().Count(), 0) << "call #" << FailAt;
    if (R.Worker.CentralDir().Current()) {
      EXPECT_FALSE(R.Worker.CentralDir().Current()->IsOpen()) << "call #" << FailAt;
    }
  }
}

TEST(TZFWorkFile, RefusesPositionsBeyondSignedRangeAndReadsNothingWhenClosed) {
  TZFWorkFile File;
  char Buffer[4];
  EXPECT_FALSE(File.SeekTo(0));
  EXPECT_EQ(File.ReadUpTo(Buffer, 4), 0);
  EXPECT_EQ(File.StreamSize(), -1);
  File.Opener = [](const String&) -> std::unique_ptr<TStream> {
    auto Stream = std::make_unique<TMemoryStream>();
    Stream->Write("abcdef", 6);
    return Stream;
  };
  ASSERT_EQ(File.OpenForReading(), 0);
  EXPECT_FALSE(File.SeekTo(~0ull));
  EXPECT_TRUE(File.SeekTo(2));
  EXPECT_EQ(File.ReadUpTo(Buffer, 4), 4);
  EXPECT_EQ(std::string(Buffer, 4), "cdef");
  EXPECT_EQ(File.ReadUpTo(Buffer, 4), 0);
  EXPECT_EQ(File.fBytesRead, 4);
}

}  // namespace
}  // namespace vlm
