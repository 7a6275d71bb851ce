// tests/zip/engine/archive_reader_test.cpp -- the archive reader's reads at given offsets: small
// reads through its read-ahead buffer, large ones straight from the file, in any order, and
// short reads at the end of the file.
#include "zip/engine/archive_reader.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "tests/zip/engine/extract_support.h"

namespace vlm::zipengine {
namespace {

using test::PathString;
using test::TempFolder;
using test::WriteBytes;

// Bytes that differ from one offset to the next for a long stretch, so that a read from the
// wrong place shows.
std::string Pattern(size_t Size) {
  std::string Bytes(Size, '\0');
  for (size_t I = 0; I < Size; ++I) Bytes[I] = static_cast<char>((I * 131 + I / 251) & 0xFF);
  return Bytes;
}

// Pattern bytes followed by an empty central directory and its end record: an archive with no
// entries whose data area is the pattern.
std::string ArchiveAround(const std::string& Data) {
  std::string End = {'P', 'K', 5, 6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  const uint32_t Offset = static_cast<uint32_t>(Data.size());
  for (int B = 0; B < 4; ++B) End += static_cast<char>(Offset >> (8 * B));
  End += std::string(2, '\0');  // no comment
  return Data + End;
}

class ArchiveReaderReads : public ::testing::Test {
protected:
  void SetUp() override {
    Content = ArchiveAround(Pattern(700000));
    WriteBytes(Folder.Path() / "pattern.zip", Content);
    ASSERT_EQ(Reader.Open(PathString(Folder.Path() / "pattern.zip"), TNameEncoding::Auto, 0), 0);
    ASSERT_TRUE(Reader.Entries().empty());
  }

  // Reads Size bytes at Offset and checks them against the file's content.
  void Check(uint64_t Offset, size_t Size) {
    std::string Got(Size, '\x5A');
    const size_t N = Reader.ReadAt(Offset, Got.data(), Size);
    const size_t Want = Offset >= Content.size() ? 0 : std::min(Size, Content.size() - Offset);
    ASSERT_EQ(N, Want) << "at " << Offset << ", " << Size << " bytes";
    EXPECT_EQ(Got.substr(0, N), Content.substr(std::min<size_t>(Offset, Content.size()), N))
        << "at " << Offset << ", " << Size << " bytes";
    EXPECT_EQ(Got.substr(N), std::string(Size - N, '\x5A')) << "nothing written past the count";
  }

  TempFolder Folder;
  std::string Content;
  TArchiveReader Reader;
};

TEST_F(ArchiveReaderReads, ReadsInOrderAsAnExtractionDoes) {
  // A local header, the data that follows it in pieces large and small, the next header.
  const std::vector<std::pair<uint64_t, size_t>> Reads = {
      {0, 30},      {46, 12},        {58, 262144},    {262202, 262144}, {524346, 1000},
      {525346, 30}, {525400, 70000}, {595400, 65536}, {660936, 65535},  {726471, 65536}};
  for (const auto& [Offset, Size] : Reads) Check(Offset, Size);
}

TEST_F(ArchiveReaderReads, ReadsBackwardsAndAcrossTheBufferedStretch) {
  Check(100000, 10);
  Check(100005, 100);     // inside what was read ahead
  Check(99990, 20);       // starts before it
  Check(100000, 200000);  // starts inside it, goes on from the file
  Check(150000, 40);
  Check(0, 22);
  Check(100000, 10);
}

TEST_F(ArchiveReaderReads, ReadsAtTheEndComeBackShort) {
  Check(Content.size() - 10, 30);
  Check(Content.size() - 10, 300000);
  Check(Content.size(), 10);
  Check(Content.size() + 5, 10);
  Check(Content.size() - 300000, 300000);
  Check(0, Content.size() + 100);
}

TEST_F(ArchiveReaderReads, ManyReadsAtRandomPlacesMatchTheFile) {
  std::mt19937 Random(1234);
  std::uniform_int_distribution<uint64_t> Offset(0, Content.size() + 100);
  std::uniform_int_distribution<size_t> Small(0, 70000), Large(0, 400000);
  uint64_t Next = 0;
  for (int I = 0; I < 400; ++I) {
    // Mostly reads that go on where the last one ended, as an extraction's do.
    const uint64_t At = I % 3 == 0 ? Offset(Random) : Next;
    const size_t Size = I % 4 == 0 ? Large(Random) : Small(Random);
    Check(At, Size);
    Next = At + Size;
    if (Next >= Content.size()) Next = 0;
  }
}

}  // namespace
}  // namespace vlm::zipengine
