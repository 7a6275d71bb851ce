// tests/runtime/memory_stream_test.cpp -- the memory stream's growth, zero-fill and in-place
// writing rules, the block under it, and saving a stream that gives its memory back.
#include "runtime/memory_stream.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <set>
#include <string>

#include "runtime/exception.h"
#include "runtime/file_system.h"
#include "runtime/memory_block.h"
#include "tests/support/temp_folder.h"

namespace vlm {
namespace {

constexpr int64_t kMiB = 1024 * 1024;

// Bytes that repeat only every 251 (a prime), so a part written at the wrong offset shows.
std::string Pattern(size_t Count) {
  std::string Tile(251, '\0');
  for (size_t I = 0; I < Tile.size(); ++I) Tile[I] = static_cast<char>(I * 131 + 7);
  std::string Bytes;
  Bytes.reserve(Count + Tile.size());
  while (Bytes.size() < Count) Bytes += Tile;
  Bytes.resize(Count);
  return Bytes;
}

std::string FileBytes(const std::filesystem::path& Path) {
  std::ifstream In(Path, std::ios::binary | std::ios::ate);
  std::string Bytes(static_cast<size_t>(In.tellg()), '\0');
  In.seekg(0);
  In.read(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
  return Bytes;
}

// --- growth ---------------------------------------------------------------------------------

TEST(TMemoryStreamGrowth, DoublesSmallCapacitiesAndStepsLargeOnesByAtMostTheCap) {
  EXPECT_EQ(TMemoryStream::GrownCapacity(0, 1), 256);
  EXPECT_EQ(TMemoryStream::GrownCapacity(256, 257), 512);
  EXPECT_EQ(TMemoryStream::GrownCapacity(1000, 1500), 2000);
  EXPECT_EQ(TMemoryStream::GrownCapacity(1000, 5000), 5000);  // a larger need is taken whole
  EXPECT_EQ(TMemoryStream::GrownCapacity(1000, 900), 1000);   // nothing to grow
  const int64_t Cap = TMemoryStream::kMaxGrowthStep;
  EXPECT_EQ(TMemoryStream::GrownCapacity(Cap / 2, Cap / 2 + 1), Cap);
  EXPECT_EQ(TMemoryStream::GrownCapacity(3 * Cap, 3 * Cap + 1), 4 * Cap);
  EXPECT_EQ(TMemoryStream::GrownCapacity(10 * Cap, 10 * Cap + 1), 11 * Cap);
  const int64_t Max = std::numeric_limits<int64_t>::max();
  EXPECT_EQ(TMemoryStream::GrownCapacity(Max - 10, Max), Max);  // no overflow near the top
}

TEST(TMemoryStreamGrowth, ManySmallWritesReallocateOnlyLogarithmicallyOften) {
  TMemoryStream Stream;
  const std::string Piece = Pattern(100);
  std::set<int64_t> Capacities;
  std::string Expected;
  for (int I = 0; I < 20000; ++I) {
    Stream.WriteBuffer(Piece.data(), static_cast<int64_t>(Piece.size()));
    Expected += Piece;
    Capacities.insert(Stream.Capacity());
    ASSERT_GE(Stream.Capacity(), Stream.Size());
  }
  EXPECT_LE(Capacities.size(), 20u);  // 2 MB in doubling steps from 256 bytes
  EXPECT_EQ(Stream.View(), Expected);
}

TEST(TMemoryStreamGrowth, CapacityKeepsTheContentAndNeverDropsBelowTheSize) {
  TMemoryStream Stream;
  const std::string Small = Pattern(1000);
  Stream.WriteBuffer(Small.data(), 1000);
  // Through the sizes where the block moves from the heap to a mapping, grows and shrinks.
  for (int64_t Capacity : {3 * kMiB, 9 * kMiB, 2 * kMiB, int64_t{4097}, int64_t{0}}) {
    Stream.SetCapacity(Capacity);
    EXPECT_EQ(Stream.Capacity(), std::max<int64_t>(Capacity, 1000)) << Capacity;
    EXPECT_EQ(Stream.Size(), 1000);
    EXPECT_EQ(Stream.View(), Small) << Capacity;
  }
}

TEST(TMemoryStreamGrowth, AnImpossibleCapacityRaisesOutOfMemoryAndKeepsTheStream) {
  TMemoryStream Stream;
  Stream.WriteBuffer("kept", 4);
  try {
    Stream.SetCapacity(std::numeric_limits<int64_t>::max() / 2);
    FAIL() << "no exception";
  } catch (const EOutOfMemory& E) {
    EXPECT_EQ(E.Message(), u"Out of memory while expanding memory stream");
  }
  EXPECT_EQ(Stream.View(), "kept");
  Stream.SetPosition(std::numeric_limits<int64_t>::max() - 1);
  EXPECT_THROW(Stream.WriteBuffer("xy", 2), EOutOfMemory);
  EXPECT_EQ(Stream.View(), "kept");
}

// --- zero-fill ------------------------------------------------------------------------------

TEST(TMemoryStreamZeroFill, AWriteBeyondTheEndZeroesTheGapEvenOverOldBytes) {
  TMemoryStream Stream;
  Stream.WriteBuffer("abcdef", 6);
  Stream.SetSize(2);  // "cdef" stay in the block, beyond the end
  Stream.SetPosition(5);
  Stream.WriteBuffer("x", 1);
  EXPECT_EQ(Stream.View(), std::string_view("ab\0\0\0x", 6));
}

TEST(TMemoryStreamZeroFill, GrowingBySetSizeZeroesOldBytesBeyondTheEnd) {
  TMemoryStream Stream;
  Stream.WriteBuffer("abcdef", 6);
  Stream.SetSize(2);
  Stream.SetSize(6);
  EXPECT_EQ(Stream.View(), std::string_view("ab\0\0\0\0", 6));
  Stream.SetSize(3000);  // and beyond the capacity
  EXPECT_EQ(Stream.View(), std::string("ab") + std::string(2998, '\0'));
}

TEST(TMemoryStreamZeroFill, CapacityIsNotContent) {
  TMemoryStream Stream;
  Stream.SetCapacity(4096);
  EXPECT_EQ(Stream.Size(), 0);
  char Byte = 'q';
  EXPECT_EQ(Stream.Read(&Byte, 1), 0);
  EXPECT_EQ(Byte, 'q');
  EXPECT_EQ(Stream.Seek(0, TSeekOrigin::soEnd), 0);
}

// --- in-place writing -----------------------------------------------------------------------

TEST(TMemoryStreamInPlace, OnlyCommittedBytesBecomeContent) {
  TMemoryStream Stream;
  Stream.WriteBuffer("head:", 5);
  uint8_t* Place = Stream.BeginWrite(10);
  std::memcpy(Place, "bodyJUNKJU", 10);
  EXPECT_EQ(Stream.Size(), 5);  // nothing is content before the commit
  Stream.CommitWrite(4);
  EXPECT_EQ(Stream.View(), "head:body");
  EXPECT_EQ(Stream.Position(), 9);
  Stream.CommitWrite(0);
  EXPECT_EQ(Stream.Size(), 9);
}

TEST(TMemoryStreamInPlace, InsideTheContentItOverwritesWithoutGrowing) {
  TMemoryStream Stream;
  Stream.WriteBuffer("0123456789", 10);
  Stream.SetPosition(2);
  std::memcpy(Stream.BeginWrite(3), "abc", 3);
  Stream.CommitWrite(3);
  EXPECT_EQ(Stream.View(), "01abc56789");
  EXPECT_EQ(Stream.Position(), 5);
}

TEST(TMemoryStreamInPlace, APositionBeyondTheEndGetsAZeroedGap) {
  TMemoryStream Stream;
  Stream.WriteBuffer("abcdef", 6);
  Stream.SetSize(1);
  Stream.SetPosition(4);
  std::memcpy(Stream.BeginWrite(2), "yz", 2);
  Stream.CommitWrite(2);
  EXPECT_EQ(Stream.View(), std::string_view("a\0\0\0yz", 6));
}

// --- saving and giving the memory back ------------------------------------------------------

TEST(TMemoryStreamSave, SaveToFileAndClearWritesEveryPartAndEmptiesTheStream) {
  test::TempFolder Folder;
  TMemoryStream Stream;
  const std::string Payload = Pattern(static_cast<size_t>(9 * kMiB + 123));  // three parts
  Stream.WriteBuffer(Payload.data(), static_cast<int64_t>(Payload.size()));
  Stream.SaveToFileAndClear(Folder.File("body.bin"));
  EXPECT_EQ(FileBytes(Folder.Path() / "body.bin"), Payload);
  EXPECT_EQ(Stream.Size(), 0);
  EXPECT_EQ(Stream.Position(), 0);
  EXPECT_EQ(Stream.Capacity(), 0);
  Stream.WriteBuffer("again", 5);  // the emptied stream is usable
  EXPECT_EQ(Stream.View(), "again");
}

TEST(TMemoryStreamSave, SaveToFileInPartsWritesTheSameBytesAndRunsTheCallbackAfterEach) {
  test::TempFolder Folder;
  const std::string Payload = Pattern(static_cast<size_t>(2 * TMemoryStream::kLiveSavePart + 7));
  for (const size_t Size : {size_t{0}, size_t{5}, Payload.size()}) {
    TMemoryStream Stream;
    Stream.WriteBuffer(Payload.data(), static_cast<int64_t>(Size));
    int Calls = 0;
    Stream.SaveToFile(Folder.File("parts.bin"), [&Calls] { ++Calls; });
    EXPECT_EQ(FileBytes(Folder.Path() / "parts.bin"), Payload.substr(0, Size)) << Size;
    EXPECT_EQ(Calls, static_cast<int>((Size + TMemoryStream::kLiveSavePart - 1) /
                                      TMemoryStream::kLiveSavePart))
        << Size;
    EXPECT_EQ(Stream.View(), Payload.substr(0, Size)) << "the stream keeps its content";
  }
}

TEST(TMemoryStreamSave, SaveToFileAndClearEmptiesTheStreamAlsoWhenTheFileCannotBeMade) {
  test::TempFolder Folder;
  TMemoryStream Stream;
  Stream.WriteBuffer("lost", 4);
  EXPECT_THROW(Stream.SaveToFileAndClear(Folder.File("")), EFCreateError);
  EXPECT_EQ(Stream.Size(), 0);
}

TEST(TMemoryStreamSave, AnEmptyStreamSavesAnEmptyFile) {
  test::TempFolder Folder;
  test::WriteBytes(Folder.Path() / "old.bin", "old content");
  TMemoryStream Stream;
  Stream.SaveToFileAndClear(Folder.File("old.bin"));
  EXPECT_EQ(test::ReadBytes(Folder.Path() / "old.bin"), "");
}

// --- the block ------------------------------------------------------------------------------

TEST(TMemoryBlock, ResizeKeepsTheLeadingBytesAcrossHeapAndMappedSizes) {
  TMemoryBlock Block;
  ASSERT_TRUE(Block.Resize(100));
  std::memcpy(Block.Data(), Pattern(100).data(), 100);
  for (size_t Capacity : {size_t{3} << 20, size_t{17} << 20, size_t{1} << 20, size_t{200}}) {
    ASSERT_TRUE(Block.Resize(Capacity));
    EXPECT_EQ(Block.Capacity(), Capacity);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(Block.Data()), 100), Pattern(100));
  }
  ASSERT_TRUE(Block.Resize(0));
  EXPECT_EQ(Block.Data(), nullptr);
  EXPECT_EQ(Block.Capacity(), 0u);
}

TEST(TMemoryBlock, DiscardKeepsTheCapacityAndTheBytesOutsideTheRange) {
  TMemoryBlock Block;
  const size_t Size = size_t{8} << 20;
  ASSERT_TRUE(Block.Resize(Size));
  const std::string Bytes = Pattern(Size);
  std::memcpy(Block.Data(), Bytes.data(), Size);
  Block.Discard(size_t{1} << 20, size_t{3} << 20);
  EXPECT_EQ(Block.Capacity(), Size);
  EXPECT_EQ(std::memcmp(Block.Data(), Bytes.data(), size_t{1} << 20), 0);
  EXPECT_EQ(std::memcmp(Block.Data() + (size_t{4} << 20), Bytes.data() + (size_t{4} << 20),
                        Size - (size_t{4} << 20)),
            0);
  std::memset(Block.Data() + (size_t{1} << 20), 7, size_t{3} << 20);  // still writable
  EXPECT_EQ(Block.Data()[(size_t{2} << 20)], 7);
  Block.Discard(Size - 10, 100);  // a range past the end is clipped
  EXPECT_EQ(Block.Capacity(), Size);
}

}  // namespace
}  // namespace vlm
