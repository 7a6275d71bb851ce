// zip/engine/archive_reader.cpp -- end records, central directory and local headers.
#include "zip/engine/archive_reader.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <map>

#include "runtime/code_page.h"
#include "runtime/exception.h"
#include "runtime/file_stream.h"
#include "zip/engine/engine_interface.h"

namespace vlm::zipengine {
namespace {

constexpr uint32_t kEndSignature = 0x06054B50;
constexpr uint32_t kZip64LocatorSignature = 0x07064B50;
constexpr uint32_t kZip64EndSignature = 0x06064B50;
constexpr uint32_t kCentralSignature = 0x02014B50;
constexpr uint32_t kLocalSignature = 0x04034B50;
constexpr size_t kEndRecordSize = 22;
constexpr size_t kZip64LocatorSize = 20;
constexpr size_t kZip64EndSize = 56;
constexpr size_t kCentralHeaderSize = 46;
constexpr size_t kLocalHeaderSize = 30;
// The end record is followed by at most a 65535-byte comment, so it starts in the last 65557.
constexpr size_t kEndSearchSpan = 65535 + kEndRecordSize;
// Reads shorter than this go through the read-ahead buffer of this size, so that the data of
// small entries lying one after the other comes from one read of the file.
constexpr size_t kReadAhead = 65536;
// The local headers are all read when the archive is opened, in file order. Only 30 bytes of
// each are needed and the next one is usually a whole entry's data further on, so the read-ahead
// is kept short for them: long enough to serve the headers of a run of small entries from one
// read, without copying tens of KiB of data per header that nobody reads.
constexpr size_t kHeaderReadAhead = 4096;

uint16_t Get16(const uint8_t* P) {
  return static_cast<uint16_t>(P[0] | P[1] << 8);
}
uint32_t Get32(const uint8_t* P) {
  return uint32_t{P[0]} | uint32_t{P[1]} << 8 | uint32_t{P[2]} << 16 | uint32_t{P[3]} << 24;
}
uint64_t Get64(const uint8_t* P) {
  return uint64_t{Get32(P)} | uint64_t{Get32(P + 4)} << 32;
}

}  // namespace

String DecodeEntryName(std::string_view RawName, std::string_view Extra,
                       std::string_view RawComment, uint16_t Flag, uint16_t VersionMadeBy,
                       TNameEncoding Encoding, uint32_t FromPage) {
  if (Encoding == TNameEncoding::Auto)
    Encoding = zipformat::DetectNameCoding(Flag, VersionMadeBy, Extra, RawName, RawComment);
  return zipformat::DecodeEntryText(Encoding, RawName, Extra, zipformat::kUnicodePathTag, FromPage);
}

TArchiveReader::TArchiveReader() = default;
TArchiveReader::~TArchiveReader() = default;

size_t TArchiveReader::ReadFile(uint64_t Offset, uint8_t* Buffer, size_t Size) {
  if (Offset != FFilePos && FFile->Seek(static_cast<int64_t>(Offset), TSeekOrigin::soBeginning) !=
                                static_cast<int64_t>(Offset)) {
    FFilePos = UINT64_MAX;
    return 0;
  }
  size_t Done = 0;
  while (Done < Size) {
    const int64_t N = FFile->Read(Buffer + Done, static_cast<int64_t>(Size - Done));
    if (N <= 0) break;
    Done += static_cast<size_t>(N);
  }
  // After a short read the position is still exact: the file simply ended there.
  FFilePos = Offset + Done;
  return Done;
}

size_t TArchiveReader::ReadAt(uint64_t Offset, void* Buffer, size_t Size) {
  std::lock_guard<std::mutex> Guard(FLock);
  return ReadBuffered(Offset, Buffer, Size, kReadAhead);
}

size_t TArchiveReader::ReadBuffered(uint64_t Offset, void* Buffer, size_t Size, size_t Ahead) {
  if (Offset >= FFileSize) return 0;
  Size = static_cast<size_t>(std::min<uint64_t>(Size, FFileSize - Offset));
  auto* Out = static_cast<uint8_t*>(Buffer);
  size_t Done = 0;
  while (Done < Size) {
    const uint64_t At = Offset + Done;
    if (At >= FAheadStart && At - FAheadStart < FAheadLength) {
      const size_t From = static_cast<size_t>(At - FAheadStart);
      const size_t N = std::min(Size - Done, FAheadLength - From);
      std::memcpy(Out + Done, FAhead.data() + From, N);
      Done += N;
      continue;
    }
    if (Size - Done >= kReadAhead) {
      // Large: straight into the caller's buffer.
      const size_t N = ReadFile(At, Out + Done, Size - Done);
      Done += N;
      break;
    }
    if (FAhead.empty()) FAhead.resize(kReadAhead);
    FAheadStart = At;
    FAheadLength = ReadFile(At, FAhead.data(), std::min(Ahead, FAhead.size()));
    if (FAheadLength == 0) break;
  }
  return Done;
}

int TArchiveReader::Open(const String& FileName, TNameEncoding Encoding, uint32_t FromPage) {
  try {
    FFile = std::make_unique<TFileStream>(FileName, fmOpenRead | fmShareDenyWrite);
    const int64_t Size = FFile->Size();
    FFileSize = Size > 0 ? static_cast<uint64_t>(Size) : 0;
  } catch (const Exception&) {
    return VZ_ERR_OPEN_ZIP;
  }
  if (const int Error = ReadEndRecords()) return Error;
  if (const int Error = ReadCentralDirectory(Encoding, FromPage)) return Error;
  MarkOverlaps();
  return 0;
}

// End of central directory record:
//   offset size field
//    0 4 signature 50 4B 05 06
//    4 2 number of this disk
//    6 2 disk where the central directory starts
//    8 2 entries on this disk
//   10 2 entries in total
//   12 4 central directory size
//   16 4 central directory offset
//   20 2 comment length, comment follows
// Zip64 locator (20 bytes just before it): signature 50 4B 06 07 at 0, disk of the Zip64 record
// (4) at 4, offset of the Zip64 record (8) at 8, total disks (4) at 16.
// Zip64 end record: signature 50 4B 06 06 at 0, record size (8) at 4, versions (2+2) at 12,
// this disk (4) at 16, central directory disk (4) at 20, entries on this disk (8) at 24, entries
// in total (8) at 32, central directory size (8) at 40, central directory offset (8) at 48.
int TArchiveReader::ReadEndRecords() {
  if (FFileSize < kEndRecordSize) return VZ_ERR_NO_CENTRAL;
  const size_t Span = static_cast<size_t>(std::min<uint64_t>(FFileSize, kEndSearchSpan));
  std::vector<uint8_t> Tail(Span);
  const uint64_t TailStart = FFileSize - Span;
  if (ReadAt(TailStart, Tail.data(), Span) != Span) return VZ_ERR_NO_CENTRAL;

  size_t Found = Span;  // the last end record in the file wins
  for (size_t I = Span - kEndRecordSize + 1; I-- > 0;) {
    if (Get32(&Tail[I]) == kEndSignature) {
      Found = I;
      break;
    }
  }
  if (Found == Span) return VZ_ERR_NO_CENTRAL;
  const uint8_t* End = &Tail[Found];
  const uint64_t EndPos = TailStart + Found;
  const uint16_t Disk = Get16(End + 4), CentralDisk = Get16(End + 6);
  uint64_t Total = Get16(End + 10);
  uint64_t CentralSize = Get32(End + 12);
  uint64_t CentralOffset = Get32(End + 16);
  const size_t CommentLength = std::min<size_t>(Get16(End + 20), Span - Found - kEndRecordSize);
  FComment.assign(reinterpret_cast<const char*>(End + kEndRecordSize), CommentLength);

  // Where the central directory must end: at the end record, or at the Zip64 record.
  uint64_t DirectoryEnd = EndPos;
  const bool NeedsZip64 = Disk == 0xFFFF || CentralDisk == 0xFFFF || Get16(End + 8) == 0xFFFF ||
                          Total == 0xFFFF || CentralSize == 0xFFFFFFFF ||
                          CentralOffset == 0xFFFFFFFF;
  if (NeedsZip64 && EndPos >= kZip64LocatorSize) {
    uint8_t Locator[kZip64LocatorSize];
    const uint64_t LocatorPos = EndPos - kZip64LocatorSize;
    if (ReadAt(LocatorPos, Locator, sizeof Locator) == sizeof Locator &&
        Get32(Locator) == kZip64LocatorSignature) {
      if (Get32(Locator + 16) > 1) return VZ_ERR_MULTI_PART;
      // The record normally sits right before the locator; its stored offset does not count data
      // in front of the archive, so both places are tried.
      uint8_t Record[kZip64EndSize];
      uint64_t RecordPos = Get64(Locator + 8);
      bool Good = RecordPos <= LocatorPos &&
                  ReadAt(RecordPos, Record, sizeof Record) == sizeof Record &&
                  Get32(Record) == kZip64EndSignature;
      if (!Good && LocatorPos >= kZip64EndSize) {
        RecordPos = LocatorPos - kZip64EndSize;
        Good = ReadAt(RecordPos, Record, sizeof Record) == sizeof Record &&
               Get32(Record) == kZip64EndSignature;
      }
      if (!Good) return VZ_ERR_INVALID_ZIP;
      if (Get32(Record + 16) != 0 || Get32(Record + 20) != 0) return VZ_ERR_MULTI_PART;
      Total = Get64(Record + 32);
      CentralSize = Get64(Record + 40);
      CentralOffset = Get64(Record + 48);
      DirectoryEnd = RecordPos;
    }
  } else if (Disk != 0 || CentralDisk != 0) {
    return VZ_ERR_MULTI_PART;
  }

  // The central directory must end where the end records start; a larger claim would read
  // outside the archive.
  if (CentralSize > DirectoryEnd) return VZ_ERR_INVALID_ZIP;
  const uint64_t Computed = DirectoryEnd - CentralSize;
  FCentralSize = CentralSize;
  FTotalEntries = Total;
  FCentralStart = Computed;
  FOffsetDelta = 0;
  if (Computed != CentralOffset) {
    // Data in front of the archive that the stored offsets do not count: the stored offset is
    // used only when a central header really starts there.
    uint8_t Sig[4];
    const bool StoredHolds = CentralOffset <= DirectoryEnd &&
                             CentralSize <= DirectoryEnd - CentralOffset &&
                             ReadAt(CentralOffset, Sig, 4) == 4 && Get32(Sig) == kCentralSignature;
    if (StoredHolds) {
      FCentralStart = CentralOffset;
    } else {
      FOffsetDelta = static_cast<int64_t>(Computed - CentralOffset);
    }
  }
  return 0;
}

// Central file header:
//   offset size field
//    0 4 signature 50 4B 01 02
//    4 2 version made by (low byte version, high byte host system)
//    6 2 version needed
//    8 2 general purpose flags
//   10 2 compression method
//   12 4 DOS time (low 16 bits) and date (high 16 bits)
//   16 4 CRC-32
//   20 4 compressed size
//   24 4 uncompressed size
//   28 2 name length
//   30 2 extra field length
//   32 2 comment length
//   34 2 disk number start
//   36 2 internal attributes
//   38 4 external attributes
//   42 4 local header offset
//   46 n name, extra field, comment
// Zip64 extra block (tag 0x0001): 8-byte uncompressed size, 8-byte compressed size, 8-byte local
// header offset, 4-byte disk, each present only when its header field holds all ones; read by
// zipformat::ApplyZip64Block.
int TArchiveReader::ReadCentralDirectory(TNameEncoding Encoding, uint32_t FromPage) {
  if (FCentralSize > FFileSize) return VZ_ERR_INVALID_ZIP;
  std::vector<uint8_t> Dir(static_cast<size_t>(FCentralSize));
  if (ReadAt(FCentralStart, Dir.data(), Dir.size()) != Dir.size()) return VZ_ERR_INVALID_ZIP;
  // Never trust the declared count for allocation: each entry takes at least 46 bytes.
  FEntries.reserve(
      static_cast<size_t>(std::min<uint64_t>(FTotalEntries, Dir.size() / kCentralHeaderSize)));
  size_t Pos = 0;
  for (uint64_t N = 0; N < FTotalEntries; ++N) {
    if (Dir.size() - Pos < kCentralHeaderSize) return VZ_ERR_INVALID_ZIP;
    const uint8_t* H = &Dir[Pos];
    if (Get32(H) != kCentralSignature) return VZ_ERR_INVALID_ZIP;
    const size_t NameLength = Get16(H + 28), ExtraLength = Get16(H + 30),
                 CommentLength = Get16(H + 32);
    if (Dir.size() - Pos - kCentralHeaderSize < NameLength + ExtraLength + CommentLength) {
      return VZ_ERR_INVALID_ZIP;
    }
    TCentralEntry E;
    E.VersionMadeBy = Get16(H + 4);
    E.VersionNeeded = Get16(H + 6);
    E.Flag = Get16(H + 8);
    E.Method = Get16(H + 10);
    E.DosDateTime = Get32(H + 12);
    E.Crc32 = Get32(H + 16);
    E.CompressedSize = Get32(H + 20);
    E.UncompressedSize = Get32(H + 24);
    uint32_t DiskStart = Get16(H + 34);
    uint64_t Offset = Get32(H + 42);
    E.RawName.assign(reinterpret_cast<const char*>(H + kCentralHeaderSize), NameLength);
    const std::string Extra(reinterpret_cast<const char*>(H + kCentralHeaderSize + NameLength),
                            ExtraLength);

    // Zip64 fields as the front end reads them (from version 4.5 on): the sizes are the same to
    // both, so what is listed is what is written.
    zipformat::TZip64Fields Fields{E.UncompressedSize, E.CompressedSize, Offset, DiskStart};
    if (zipformat::ApplyZip64Block(Extra, E.VersionNeeded, Fields) ==
        zipformat::TZip64Result::Short) {
      return VZ_ERR_INVALID_ZIP;
    }
    E.UncompressedSize = Fields.UncompressedSize;
    E.CompressedSize = Fields.CompressedSize;
    Offset = Fields.LocalOffset;
    DiskStart = Fields.DiskStart;
    if (DiskStart != 0) return VZ_ERR_MULTI_PART;
    // Stored offsets that do not count data in front of the archive are moved by the difference.
    const uint64_t Corrected = Offset + static_cast<uint64_t>(FOffsetDelta);
    if (Corrected < Offset && FOffsetDelta >= 0) return VZ_ERR_INVALID_ZIP;
    E.LocalOffset = Corrected;
    const std::string_view RawComment(
        reinterpret_cast<const char*>(H + kCentralHeaderSize + NameLength + ExtraLength),
        CommentLength);
    E.Name =
        DecodeEntryName(E.RawName, Extra, RawComment, E.Flag, E.VersionMadeBy, Encoding, FromPage);
    FEntries.push_back(std::move(E));
    Pos += kCentralHeaderSize + NameLength + ExtraLength + CommentLength;
  }
  return 0;
}

// Local file header:
//   offset size field
//    0 4 signature 50 4B 03 04
//    4 2 version needed
//    6 2 flags
//    8 2 method
//   10 4 DOS time and date
//   14 4 CRC-32
//   18 4 compressed size
//   22 4 uncompressed size
//   26 2 name length
//   28 2 extra field length
//   30 n name and extra field, then the data
// Sizes and CRC come from the central directory; the local copy may be zero (data descriptor).
int TArchiveReader::LocateData(const TCentralEntry& Entry, uint64_t& DataStart) const {
  if (Entry.Overlaps) return VZ_ERR_INVALID_ZIP;
  if (Entry.DataError != 0) return Entry.DataError;
  DataStart = Entry.DataStart;
  return 0;
}

void TArchiveReader::ReadLocalHeader(TCentralEntry& Entry) {
  Entry.DataStart = 0;
  Entry.DataError = VZ_ERR_INVALID_ZIP;
  uint8_t H[kLocalHeaderSize];
  if (Entry.LocalOffset >= FCentralStart || FCentralStart - Entry.LocalOffset < kLocalHeaderSize) {
    return;
  }
  {
    std::lock_guard<std::mutex> Guard(FLock);
    if (ReadBuffered(Entry.LocalOffset, H, sizeof H, kHeaderReadAhead) != sizeof H) return;
  }
  if (Get32(H) != kLocalSignature) return;
  const uint64_t Start = Entry.LocalOffset + kLocalHeaderSize + Get16(H + 26) + Get16(H + 28);
  // The data must end before the central directory starts.
  if (Start > FCentralStart || Entry.CompressedSize > FCentralStart - Start) {
    Entry.DataError = VZ_ERR_PREMATURE_EOF;
    return;
  }
  Entry.DataStart = Start;
  Entry.DataError = 0;
}

// Each entry's data range runs from its local header to the end of its compressed data (a data
// descriptor after it is not counted, so an entry that follows one is adjacent, not overlapping).
// Ranges are taken in central-directory order: the first entry keeps its range, and a later entry
// whose range meets a range already kept is marked, so that one stretch of the file is extracted
// at most once, whether several central entries name one local header or several local headers
// reach one stream through their name and extra lengths. Entries whose local header cannot be
// used take no range; extracting them fails on its own.
void TArchiveReader::MarkOverlaps() {
  const size_t Count = FEntries.size();
  // Local headers are read in file order, so the read-ahead serves them in sequence.
  std::vector<size_t> ByOffset(Count);
  for (size_t I = 0; I < Count; ++I) ByOffset[I] = I;
  std::sort(ByOffset.begin(), ByOffset.end(), [this](size_t A, size_t B) {
    return FEntries[A].LocalOffset < FEntries[B].LocalOffset;
  });
  std::vector<uint64_t> Ends(Count, 0);  // 0: no range
  for (const size_t I : ByOffset) {
    TCentralEntry& Entry = FEntries[I];
    ReadLocalHeader(Entry);
    if (Entry.DataError == 0) Ends[I] = Entry.DataStart + Entry.CompressedSize;
  }
  std::map<uint64_t, uint64_t> Kept;  // start -> end of each kept range; disjoint
  for (size_t I = 0; I < Count; ++I) {
    if (Ends[I] == 0) continue;
    const uint64_t Start = FEntries[I].LocalOffset, End = Ends[I];
    // The first kept range starting at or after Start, and the one before it.
    const auto Next = Kept.lower_bound(Start);
    const bool HitsNext = Next != Kept.end() && Next->first < End;
    const bool HitsPrevious = Next != Kept.begin() && std::prev(Next)->second > Start;
    if (HitsNext || HitsPrevious) {
      FEntries[I].Overlaps = true;
    } else {
      Kept.emplace(Start, End);
    }
  }
}

}  // namespace vlm::zipengine
