// tests/zip/zf_directory_test.cpp -- reading the archive directory from bytes held in memory:
// the end record search and its limits, Zip64 records and fields, the central directory checks
// with every error code, fSFXOfs, and the loading events. Archives are built by archive_builder.
#include <gtest/gtest.h>

#include "archive_builder.h"
#include "zip/zf_exception.h"
#include "zip/zf_waux.h"
#include "zip_test_support.h"

namespace vlm {
namespace {

using ziptest::BuildArchive;
using ziptest::PatchU16;
using ziptest::PatchU32;
using ziptest::PatchU64;
using ziptest::RecordingWorker;
using ziptest::TestArchive;
using ziptest::TestArchiveOptions;
using ziptest::TestEntry;

std::vector<TestEntry> ThreeEntries() {
  return {{.Name = "a.txt", .Data = "alpha"},
          {.Name = "dir/", .Data = ""},
          {.Name = "dir/b.txt", .Data = std::string(300, 'b')}};
}

std::vector<String> VisibleNames(const TZFWAux& Worker) {
  std::vector<String> Names;
  for (const auto& Entry : Worker.CentralDir()) Names.push_back(Entry->FileName());
  return Names;
}

// The error a load of Bytes ends with, and whether a box opened.
struct LoadOutcome {
  int32_t ErrCode;
  bool Box;
  int Count;
};
LoadOutcome LoadOf(const std::string& Bytes) {
  RecordingWorker R;
  R.LoadBytes(Bytes);
  return {R.Worker.ErrCode(), !R.Presenter->Shown.empty(), R.Worker.CentralDir().Count()};
}

TEST(FindEOC, ReadsAPlainArchiveWithoutWarnings) {
  RecordingWorker R;
  R.LoadBytes(BuildArchive(ThreeEntries()).Bytes);
  EXPECT_EQ(R.Worker.ErrCode(), 0);
  EXPECT_TRUE(R.Presenter->Shown.empty());
  EXPECT_EQ(R.Worker.CentralDir().Count(), 2);
  EXPECT_EQ(R.Worker.CentralDir().DirOnlyCnt(), 1);
  EXPECT_EQ(VisibleNames(R.Worker), (std::vector<String>{u"a.txt", u"dir\\b.txt"}));
  EXPECT_EQ(R.Worker.SFXOffset(), 0u);
  EXPECT_EQ(R.Worker.ZipSOC(), 413u);  // three local headers of 30 bytes + name + data: 40, 34, 339
}

TEST(FindEOC, EmptyArchiveOfTwentyTwoBytesLoadsWithNoEntries) {
  const std::string Bytes = BuildArchive({}).Bytes;
  ASSERT_EQ(Bytes.size(), 22u);
  const LoadOutcome Out = LoadOf(Bytes);
  EXPECT_EQ(Out.ErrCode, 0);
  EXPECT_EQ(Out.Count, 0);
  EXPECT_FALSE(Out.Box);
}

TEST(FindEOC, FindsTheEndRecordBeforeAHundredByteComment) {
  TestArchiveOptions Options;
  Options.Comment = std::string(100, 'c');
  Options.Comment[0] = 'X';
  RecordingWorker R;
  R.LoadBytes(BuildArchive(ThreeEntries(), Options).Bytes);
  EXPECT_EQ(R.Worker.ErrCode(), 0);
  EXPECT_EQ(R.Worker.ZipComment(), Options.Comment);
  EXPECT_EQ(R.Worker.CentralDir().Count(), 2);
}

TEST(FindEOC, FindsARecordWithTheLongestCommentAtTheScanLimit) {
  TestArchiveOptions Options;
  Options.Comment = std::string(65535, 'z');
  const TestArchive A = BuildArchive(ThreeEntries(), Options);
  RecordingWorker R;
  R.LoadBytes(A.Bytes);
  EXPECT_EQ(R.Worker.ErrCode(), 0);
  EXPECT_EQ(R.Worker.ZipComment().size(), 65535u);
  EXPECT_EQ(R.Worker.ZipEOC(), static_cast<int64_t>(A.EndOffset));
}

TEST(FindEOC, AnEndRecordBeyondTheScanLimitIsNotFound) {
  // 65535 comment bytes plus one trailing byte put the record 65558 bytes before the end.
  TestArchiveOptions Options;
  Options.Comment = std::string(65535, 'z');
  Options.Trailing = "!";
  const LoadOutcome Out = LoadOf(BuildArchive(ThreeEntries(), Options).Bytes);
  EXPECT_EQ(Out.ErrCode, 11036);
  EXPECT_TRUE(Out.Box);
  EXPECT_EQ(Out.Count, 0);
}

TEST(FindEOC, TrailingGarbageIsReportedSilentlyAndEntriesStillLoad) {
  TestArchiveOptions Options;
  Options.Trailing = "JUNK!";
  RecordingWorker R;
  R.LoadBytes(BuildArchive(ThreeEntries(), Options).Bytes);
  EXPECT_EQ(R.Worker.ErrCode(), 11022);
  EXPECT_EQ(R.Worker.ErrMessage(), u"Error while reading a file comment");
  EXPECT_TRUE(R.Presenter->Shown.empty());
  EXPECT_EQ(R.Worker.CentralDir().Count(), 2);
  ASSERT_FALSE(R.Messages.empty());
  EXPECT_EQ(R.Messages[0].Code, 11022);
}

TEST(FindEOC, ACommentShorterThanDeclaredIsReportedSilently) {
  // Declared 10 bytes, only 4 present; the same with the record at the very end of the file.
  TestArchiveOptions Options;
  Options.Comment = "abcd";
  TestArchive A = BuildArchive(ThreeEntries(), Options);
  PatchU16(A.Bytes, A.EndOffset + 20, 10);
  RecordingWorker R;
  R.LoadBytes(A.Bytes);
  EXPECT_EQ(R.Worker.ErrCode(), 11022);
  EXPECT_EQ(R.Worker.ZipComment(), "abcd");
  EXPECT_EQ(R.Worker.CentralDir().Count(), 2);

  TestArchive AtEnd = BuildArchive(ThreeEntries());
  PatchU16(AtEnd.Bytes, AtEnd.EndOffset + 20, 3);
  RecordingWorker R2;
  R2.LoadBytes(AtEnd.Bytes);
  EXPECT_EQ(R2.Worker.ErrCode(), 11022);
  EXPECT_EQ(R2.Worker.ZipComment(), "");
  EXPECT_EQ(R2.Worker.CentralDir().Count(), 2);
}

TEST(FindEOC, ShortFilesAndFilesWithoutEndRecordAreNotArchives) {
  for (const std::string& Bytes :
       {std::string(), std::string("PK"), std::string("PK\x05\x06", 4) + std::string(17, '\0'),
        std::string(5000, 'x'), std::string(70000, '\0')}) {
    const LoadOutcome Out = LoadOf(Bytes);
    EXPECT_EQ(Out.ErrCode, 11036) << Bytes.size();
    EXPECT_TRUE(Out.Box) << Bytes.size();
  }
}

TEST(Open, AMissingSourceGives11001WithoutABox) {
  RecordingWorker R;
  R.Worker.Opener = [](const String&) -> std::unique_ptr<TStream> { return nullptr; };
  R.Worker.SetZipFileName(u"vlmv2menu.pkg");
  EXPECT_EQ(R.Worker.ErrCode(), 11001);
  EXPECT_EQ(R.Worker.ErrMessage(), u"Input file does not exist");
  EXPECT_TRUE(R.Presenter->Shown.empty());
  EXPECT_TRUE(R.Messages.empty());
  EXPECT_EQ(R.Worker.CentralDir().Count(), 0);
  EXPECT_EQ(R.DirUpdates, 2);  // the old view dropped, the load ended
}

TEST(Open, ASourceThatCannotBeOpenedGives11036WithABox) {
  RecordingWorker R;
  R.Worker.Opener = [](const String&) -> std::unique_ptr<TStream> { throw EFOpenError(u"locked"); };
  R.Worker.SetZipFileName(u"locked.zip");
  EXPECT_EQ(R.Worker.ErrCode(), 11036);
  ASSERT_EQ(R.Presenter->Shown.size(), 1u);
  EXPECT_EQ(R.Presenter->Shown[0].Text, u"This archive is not a valid Zip archive");
}

TEST(Open, SettingTheSameNameAgainDoesNothing) {
  RecordingWorker R;
  R.LoadBytes(BuildArchive(ThreeEntries()).Bytes);
  const int Updates = R.DirUpdates;
  R.Worker.SetZipFileName(R.Worker.ZipFileName());
  EXPECT_EQ(R.DirUpdates, Updates);
  R.Worker.SetZipFileName(u"");
  EXPECT_EQ(R.Worker.CentralDir().Count(), 0);
  EXPECT_EQ(R.Worker.ErrCode(), 0);
}

TEST(LoadCentral, PrefixCountedByTheOffsetsGivesTheSfxOffset) {
  TestArchiveOptions Options;
  Options.Prefix = std::string(1000, 'P');
  RecordingWorker R;
  R.LoadBytes(BuildArchive(ThreeEntries(), Options).Bytes);
  EXPECT_EQ(R.Worker.ErrCode(), 0);
  EXPECT_EQ(R.Worker.SFXOffset(), 1000u);
  EXPECT_EQ(R.Worker.CentralDir().Count(), 2);
  EXPECT_TRUE(R.Messages.empty());
}

TEST(LoadCentral, PrefixNotCountedUsesTheComputedPositionWithAWarning) {
  TestArchiveOptions Options;
  Options.Prefix = std::string(1000, 'P');
  Options.OffsetsCountPrefix = false;
  RecordingWorker R;
  R.LoadBytes(BuildArchive(ThreeEntries(), Options).Bytes);
  EXPECT_EQ(R.Worker.ErrCode(), 10203);
  EXPECT_TRUE(R.Presenter->Shown.empty());
  EXPECT_EQ(R.Worker.CentralDir().Count(), 2);
  EXPECT_EQ(VisibleNames(R.Worker), (std::vector<String>{u"a.txt", u"dir\\b.txt"}));
}

TEST(LoadCentral, JunkBeforeTheEndRecordMakesTheStoredOffsetWin) {
  // Bytes between the central directory and the end record: the computed position is wrong, the
  // stored one holds a central header.
  TestArchive A = BuildArchive(ThreeEntries());
  A.Bytes.insert(A.EndOffset, std::string(64, '#'));
  RecordingWorker R;
  R.LoadBytes(A.Bytes);
  EXPECT_EQ(R.Worker.ErrCode(), 10203);
  EXPECT_EQ(R.Worker.CentralDir().Count(), 2);
  EXPECT_EQ(R.Worker.SFXOffset(), 0u);  // never negative
}

TEST(LoadCentral, EveryCentralEntryFailureHasItsCode) {
  const TestArchive Good = BuildArchive({{.Name = "name.txt",
                                          .Data = "x",
                                          .Extra = ziptest::ExtraBlock(0x5455, "12345"),
                                          .Comment = "comment"}});
  const size_t Entry = Good.CentralEntries[0];
  struct Case {
    const char* What;
    std::string Bytes;
    int32_t Code;
    bool Box;
  };
  std::vector<Case> Cases;
  {
    std::string B = Good.Bytes;
    B[Entry] = 'X';
    Cases.push_back({"bad central signature", B, 11015, true});
  }
  {
    // The stored offset says the directory starts later than it does, and the end record's
    // size is patched to match, so the reader lands 1 byte into the first header.
    std::string B = Good.Bytes;
    PatchU32(B, Good.EndOffset + 16, static_cast<uint32_t>(Entry + 1));
    PatchU32(B, Good.EndOffset + 12, static_cast<uint32_t>(Good.EndOffset - Entry - 1));
    Cases.push_back({"central directory misplaced", B, 11015, true});
  }
  {
    // Two entries declared, one present: the second 46-byte header read finds only the 22
    // bytes of the end record.
    std::string B = Good.Bytes;
    PatchU16(B, Good.EndOffset + 8, 2);
    PatchU16(B, Good.EndOffset + 10, 2);
    Cases.push_back({"entry count too high", B, 11013, true});
  }
  {
    std::string B = Good.Bytes;
    PatchU16(B, Entry + 28, 60);  // name runs past the end of the file
    Cases.push_back({"name cut short", B, 11017, true});
  }
  {
    std::string B = Good.Bytes;
    PatchU16(B, Entry + 30, 60);  // extra field runs past the end of the file
    Cases.push_back({"extra field cut short", B, 10201, true});
  }
  {
    std::string B = Good.Bytes;
    PatchU16(B, Entry + 32, 60);  // comment runs past the end of the file
    Cases.push_back({"comment cut short", B, 11022, false});
  }
  {
    // The stored offset points past the end of the file and the computed position is off too.
    std::string B = Good.Bytes;
    PatchU32(B, Good.EndOffset + 16, 0x7FFFFFF0);
    PatchU32(B, Good.EndOffset + 12, 3);
    Cases.push_back({"offset past the end", B, 11013, true});
  }
  {
    // Central size larger than the file: the computed position is negative.
    std::string B = Good.Bytes;
    PatchU32(B, Good.EndOffset + 12, 0xFFFFFF00);
    PatchU32(B, Good.EndOffset + 16, 0x7FFFFFF0);
    Cases.push_back({"size larger than the file", B, 11013, true});
  }
  for (const Case& C : Cases) {
    RecordingWorker R;
    R.LoadBytes(C.Bytes);
    EXPECT_EQ(R.Worker.ErrCode(), C.Code) << C.What;
    EXPECT_EQ(!R.Presenter->Shown.empty(), C.Box) << C.What;
    EXPECT_EQ(R.Worker.CentralDir().Count(), 0) << C.What;
    ASSERT_NE(R.Worker.CentralDir().Current(), nullptr) << C.What;
    EXPECT_EQ(R.Worker.CentralDir().Current()->FileName(), u"") << C.What;
    EXPECT_FALSE(R.Worker.CentralDir().Current()->IsOpen()) << C.What;
  }
}

TEST(LoadCentral, TheFirstHeaderCutShortGives11013) {
  // A directory that ends 10 bytes into its only header (the end record follows at once).
  std::string Bytes;
  ziptest::PutU32(Bytes, 0x02014B50);
  Bytes += std::string(6, '\0');
  const size_t End = Bytes.size();
  ziptest::PutU32(Bytes, 0x06054B50);
  Bytes += std::string(4, '\0');
  ziptest::PutU16(Bytes, 1);
  ziptest::PutU16(Bytes, 1);
  ziptest::PutU32(Bytes, static_cast<uint32_t>(End));
  ziptest::PutU32(Bytes, 0);
  ziptest::PutU16(Bytes, 0);
  // The 46-byte read runs 10 + 22 bytes to the end of the file.
  EXPECT_EQ(LoadOf(Bytes).ErrCode, 11013);
}

TEST(LoadCentral, AHugeDeclaredEntryCountFailsAtTheEndOfTheData) {
  TestArchiveOptions Options;
  Options.Zip64End = true;
  TestArchive A = BuildArchive(ThreeEntries(), Options);
  PatchU64(A.Bytes, A.Zip64EndOffset + 24, 0x7FFFFFFFFFFFFFFFull);
  PatchU64(A.Bytes, A.Zip64EndOffset + 32, 0x7FFFFFFFFFFFFFFFull);
  const LoadOutcome Out = LoadOf(A.Bytes);
  EXPECT_EQ(Out.ErrCode, 11015);  // the fourth header read meets the Zip64 end record
  EXPECT_EQ(Out.Count, 0);
}

TEST(LoadCentral, CancelFromCheckTerminateStopsLoadingSilently) {
  RecordingWorker R;
  int Calls = 0;
  R.Worker.OnCheckTerminate = [&](TObject*, bool& Abort) { Abort = ++Calls == 2; };
  R.LoadBytes(BuildArchive(ThreeEntries()).Bytes);
  EXPECT_EQ(R.Worker.ErrCode(), 11007);
  EXPECT_EQ(R.Worker.ErrMessage(), u"User canceled operation");
  EXPECT_TRUE(R.Presenter->Shown.empty());
  EXPECT_EQ(R.Worker.CentralDir().Count(), 0);
  EXPECT_EQ(Calls, 3);  // after entries 1 and 2, then once more after reporting the cancel
}

TEST(Zip64, EndRecordsAndEntryFieldsAreRead) {
  std::vector<TestEntry> Entries = ThreeEntries();
  for (TestEntry& E : Entries) E.Zip64 = true;
  TestArchiveOptions Options;
  Options.Zip64End = true;
  Options.Prefix = std::string(10, 'p');
  const TestArchive A = BuildArchive(Entries, Options);
  RecordingWorker R;
  R.LoadBytes(A.Bytes);
  EXPECT_EQ(R.Worker.ErrCode(), 0);
  ASSERT_EQ(R.Worker.CentralDir().Count(), 2);
  const auto Second = R.Worker.CentralDir().Items(1);
  EXPECT_EQ(Second->UncompressedSize(), 300u);
  EXPECT_EQ(Second->CompressedSize(), 300u);
  EXPECT_EQ(Second->RelOffLocalHdr(), Entries[0].Data.size() + 30 + 5 + 30 + 4 + 10);
  EXPECT_EQ(Second->VersionNeeded(), 45);
  EXPECT_EQ(R.Worker.ZipEOC(), static_cast<int64_t>(A.Zip64EndOffset));
  EXPECT_EQ(R.Worker.SFXOffset(), 10u);
  const auto& Archive = *R.Worker.CentralDir().Current();
  EXPECT_TRUE(Archive.fZ64);
  EXPECT_EQ(Archive.fZ64VSize, 56u);
  EXPECT_EQ(Archive.fTotalEntries, 3u);
  EXPECT_EQ(Archive.fTotalDisks, 1u);
}

TEST(Zip64, BrokenEndRecordsMakeTheArchiveInvalid) {
  TestArchiveOptions Options;
  Options.Zip64End = true;
  const TestArchive A = BuildArchive(ThreeEntries(), Options);
  struct Case {
    const char* What;
    size_t Offset;
    int Width;
    uint64_t Value;
  };
  const Case Cases[] = {
      {"version needed 4.6", A.Zip64EndOffset + 14, 2, 46},
      {"record size below 44", A.Zip64EndOffset + 4, 8, 43},
      {"record offset past the end", A.LocatorOffset + 8, 8, 1u << 30},
      {"record offset beyond any position", A.LocatorOffset + 8, 8, ~0ull},
      {"locator disk mismatch", A.LocatorOffset + 4, 4, 1},
      {"no disks", A.LocatorOffset + 16, 4, 0},
  };
  for (const Case& C : Cases) {
    std::string B = A.Bytes;
    if (C.Width == 2) PatchU16(B, C.Offset, static_cast<uint16_t>(C.Value));
    if (C.Width == 4) PatchU32(B, C.Offset, static_cast<uint32_t>(C.Value));
    if (C.Width == 8) PatchU64(B, C.Offset, C.Value);
    const LoadOutcome Out = LoadOf(B);
    EXPECT_EQ(Out.ErrCode, 11036) << C.What;
    EXPECT_TRUE(Out.Box) << C.What;
  }
}

TEST(Zip64, BogusDirectorySizeOrOffsetIsSeenAsMisplacedDirectory) {
  TestArchiveOptions Options;
  Options.Zip64End = true;
  TestArchive A = BuildArchive(ThreeEntries(), Options);
  PatchU64(A.Bytes, A.Zip64EndOffset + 48, 0xFFFFFFFFFFFFFF00ull);  // offset beyond any file
  const LoadOutcome Out = LoadOf(A.Bytes);
  EXPECT_EQ(Out.ErrCode, 10201);  // seek failure reading the directory
  EXPECT_EQ(Out.Count, 0);

  TestArchive B = BuildArchive(ThreeEntries(), Options);
  PatchU64(B.Bytes, B.Zip64EndOffset + 40, 0xFFFFFFFFFFFFFFFFull);  // size wraps the delta
  RecordingWorker R;
  R.LoadBytes(B.Bytes);
  EXPECT_EQ(R.Worker.CentralDir().Count(), 2);  // the stored offset is still right
  ASSERT_FALSE(R.Messages.empty());
  EXPECT_EQ(R.Messages[0].Code, 10203);
}

TEST(Zip64, AnEmptyDirectoryBeyondTheEndOfTheFileIsASeekError) {
  // No entries to read, so nothing else would notice the impossible position.
  TestArchiveOptions Options;
  Options.Zip64End = true;
  TestArchive A = BuildArchive({}, Options);
  PatchU64(A.Bytes, A.Zip64EndOffset + 48, 0x20000000);
  PatchU64(A.Bytes, A.Zip64EndOffset + 40, 0);
  RecordingWorker R;
  R.LoadBytes(A.Bytes);
  EXPECT_EQ(R.Worker.ErrCode(), 10201);
  EXPECT_EQ(R.Worker.SFXOffset(), 0u);
  EXPECT_EQ(R.Worker.ZipSOC(), 0u);
}

TEST(Zip64, ABlockTooShortForTheNeededFieldsGives11052) {
  TestEntry E{.Name = "big.bin", .Data = "data", .Needed = 45};
  std::string Short;
  ziptest::PutU64(Short, 4);  // only the uncompressed size; the compressed size is missing
  E.Extra = ziptest::ExtraBlock(0x0001, Short);
  TestArchive A = BuildArchive({E});
  PatchU32(A.Bytes, A.CentralEntries[0] + 20, 0xFFFFFFFF);
  PatchU32(A.Bytes, A.CentralEntries[0] + 24, 0xFFFFFFFF);
  const LoadOutcome Out = LoadOf(A.Bytes);
  EXPECT_EQ(Out.ErrCode, 11052);
  EXPECT_TRUE(Out.Box);
  EXPECT_EQ(Out.Count, 0);
}

TEST(Zip64, FieldsAreIgnoredBelowVersionFourFive) {
  TestEntry E{.Name = "old.bin", .Data = "data", .Needed = 20};
  std::string Block;
  ziptest::PutU64(Block, 123456789);
  E.Extra = ziptest::ExtraBlock(0x0001, Block);
  TestArchive A = BuildArchive({E});
  PatchU32(A.Bytes, A.CentralEntries[0] + 24, 0xFFFFFFFF);
  RecordingWorker R;
  R.LoadBytes(A.Bytes);
  ASSERT_EQ(R.Worker.CentralDir().Count(), 1);
  EXPECT_EQ(R.Worker.CentralDir().Items(0)->UncompressedSize(), 0xFFFFFFFFu);
  EXPECT_FALSE(R.Worker.CentralDir().Current()->fZ64);
}

TEST(Events, EveryVisibleEntryIsAnnouncedThenTheDirectoryUpdate) {
  RecordingWorker R;
  R.LoadBytes(BuildArchive(ThreeEntries()).Bytes);
  EXPECT_EQ(R.NewNames, (std::vector<int>{0, 1}));
  EXPECT_EQ(R.DirUpdates, 2);  // old view dropped, new one built
  R.ClearRecords();
  R.Worker.SetUseDirOnlyEntries(true);
  EXPECT_EQ(R.Worker.CentralDir().Count(), 3);
  EXPECT_EQ(R.Worker.CentralDir().DirOnlyCnt(), 1);
  EXPECT_EQ(R.NewNames, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(R.DirUpdates, 1);
  EXPECT_TRUE(R.Worker.CentralDir().Items(1)->IsDirOnly());
}

}  // namespace
}  // namespace vlm
