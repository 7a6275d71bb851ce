// zip/zf_eoc.cpp -- the end-of-central-directory search and the Zip64 end records.
//
// End of central directory record (22 bytes plus comment):
//   offset size field
//    0  4  signature 50 4B 05 06
//    4  2  number of this disk                       fDiskNr
//    6  2  disk where the central directory starts   fCentralDiskNo
//    8  2  entries on this disk                      fCentralEntries
//   10  2  entries in total                          fTotalEntries
//   12  4  size of the central directory             fCentralSize
//   16  4  offset of the central directory           fCentralOffset
//   20  2  comment length, comment follows           FZipComment
//
// Zip64 end of central directory locator (20 bytes, just before the record above):
//    0  4  signature 50 4B 06 07
//    4  4  disk holding the Zip64 record
//    8  8  offset of the Zip64 record
//   16  4  total number of disks
//
// Zip64 end of central directory record (the first 56 bytes are read):
//    0  4  signature 50 4B 06 06
//    4  8  size of the remaining record
//   12  2  version made by
//   14  2  version needed
//   16  4  this disk
//   20  4  disk where the central directory starts
//   24  8  entries on this disk
//   32  8  entries in total
//   40  8  size of the central directory
//   48  8  offset of the central directory
#include "zip/zf_eoc.h"

#include <algorithm>
#include <vector>

#include "zip/zip_bytes.h"
#include "zip/zip_messages.h"

namespace vlm {
namespace {

constexpr uint32_t kEndSignature = 0x06054B50;
constexpr uint32_t kZip64LocatorSignature = 0x07064B50;
constexpr uint32_t kZip64EndSignature = 0x06064B50;
constexpr uint32_t kLocalSignature = 0x04034B50;
constexpr uint32_t kSpanSignature = 0x08074B50;
constexpr int64_t kEndRecordSize = 22;
constexpr int64_t kZip64LocatorSize = 20;
constexpr int64_t kZip64EndReadSize = 56;
// The comment length field is 16 bits, so the record starts at most this far before the end.
constexpr int64_t kMaxEndSearch = 65535 + kEndRecordSize;
// Zip64 records of a newer format than version 4.5 are not understood.
constexpr unsigned kHighestZip64Version = 45;
// The fixed part of a Zip64 record after its size field.
constexpr uint64_t kLowestZip64RecordSize = 44;

}  // namespace

void TZFEOC::ResetEOC() {
  fDiskNr = 0;
  fTotalDisks = 0;
  fMultiDisk = false;
  fCentralDiskNo = 0;
  fCentralEntries = 0;
  fTotalEntries = 0;
  fCentralSize = 0;
  fCentralOffset = 0;
  fCommentLength = 0;
  fEOCOffset = 0;
  fZ64 = false;
  fZ64VSize = 0;
  fZ64VersionMadeBy = 0;
  fZ64VersionNeeded = 0;
  fOffsetDelta = 0;
  FZipComment.clear();
  fFile_Size = 0;
  fRealFileSize = 0;
  fSig = zfsNone;
}

int TZFEOC::FindEOC() {
  const int Result = [this]() -> int {
    ResetEOC();
    uint8_t Start[8] = {};
    if (!SeekTo(0) || ReadUpTo(Start, 4) != 4) return -kZipMsgInvalidArchive;
    if (GetU32LE(Start) == kLocalSignature) {
      fSig = zfsLocal;
    } else if (GetU32LE(Start) == kSpanSignature) {
      fSig = (ReadUpTo(Start + 4, 4) == 4 && GetU32LE(Start + 4) == kLocalSignature) ? zfsMulti
                                                                                     : zfsNone;
    } else if (Start[0] == 'M' && Start[1] == 'Z') {
      fSig = zfsDOS;
    }

    const int64_t Size = StreamSize();
    if (Size < kEndRecordSize) return -kZipMsgInvalidArchive;
    fFile_Size = Size;
    fRealFileSize = Size;

    int Flags = 0;
    std::vector<uint8_t> Buffer(kEndRecordSize);
    if (!SeekTo(static_cast<uint64_t>(Size - kEndRecordSize))) return -kZipMsgSeekInput;
    if (ReadUpTo(Buffer.data(), kEndRecordSize) != kEndRecordSize) return -kZipMsgReadEOC;
    size_t Record = 0;  // the record's index in Buffer
    int64_t BufferStart = Size - kEndRecordSize;
    if (GetU32LE(Buffer.data()) == kEndSignature) {
      // A record at the very end has no room for a comment: a declared one is missing.
      if (GetU16LE(Buffer.data() + 20) != 0) Flags |= kEOCTrailingData;
    } else {
      const int64_t Length = std::min(Size, kMaxEndSearch);
      BufferStart = Size - Length;
      Buffer.assign(static_cast<size_t>(Length), 0);
      if (!SeekTo(static_cast<uint64_t>(BufferStart))) return -kZipMsgSeekInput;
      if (ReadUpTo(Buffer.data(), Length) != Length) return -kZipMsgReadEOC;
      // The last 22 bytes were tried above; the scan goes backwards from the byte before them.
      bool Found = false;
      for (size_t Pos = Buffer.size() - kEndRecordSize; Pos-- > 0;) {
        if (GetU32LE(Buffer.data() + Pos) == kEndSignature) {
          Record = Pos;
          Found = true;
          break;
        }
      }
      if (!Found) return -kZipMsgInvalidArchive;
      const size_t Declared = GetU16LE(Buffer.data() + Record + 20);
      const size_t Available = Buffer.size() - Record - kEndRecordSize;
      const size_t CommentLength = std::min(Declared, Available);
      FZipComment.assign(reinterpret_cast<const char*>(Buffer.data()) + Record + kEndRecordSize,
                         CommentLength);
      // Bytes after the comment, or a comment the file does not hold in full.
      if (Declared != Available) {
        fFile_Size = BufferStart + static_cast<int64_t>(Record) + kEndRecordSize +
                     static_cast<int64_t>(CommentLength);
        Flags |= kEOCTrailingData;
      }
    }

    const uint8_t* End = Buffer.data() + Record;
    fEOCOffset = BufferStart + static_cast<int64_t>(Record);
    fDiskNr = GetU16LE(End + 4);
    fTotalDisks = fDiskNr + 1;
    fMultiDisk = fDiskNr != 0;
    fCentralDiskNo = GetU16LE(End + 6);
    fCentralEntries = GetU16LE(End + 8);
    fTotalEntries = GetU16LE(End + 10);
    fCentralSize = GetU32LE(End + 12);
    fCentralOffset = GetU32LE(End + 16);
    fCommentLength = GetU16LE(End + 20);

    // Which fields overflowed into the Zip64 record: disk, start disk, entries here, entries in
    // total, size, offset.
    bool AllOnes[6] = {GetU16LE(End + 4) == 0xFFFF,      GetU16LE(End + 6) == 0xFFFF,
                       GetU16LE(End + 8) == 0xFFFF,      GetU16LE(End + 10) == 0xFFFF,
                       GetU32LE(End + 12) == 0xFFFFFFFF, GetU32LE(End + 16) == 0xFFFFFFFF};
    if (std::find(std::begin(AllOnes), std::end(AllOnes), true) == std::end(AllOnes)) {
      return Flags;
    }
    const int Zip64 = ReadZip64(fEOCOffset, AllOnes);
    return Zip64 < 0 ? Zip64 : (Flags | Zip64);
  }();
  if (Result < 0) Close();
  return Result;
}

// Reads the Zip64 locator before the end record at EndRecordPosition and the Zip64 record it
// names, replacing the end-record fields that overflowed. Returns 0, kEOCOffsetMismatch or a
// negated message id.
int TZFEOC::ReadZip64(int64_t EndRecordPosition, bool (&AllOnes)[6]) {
  if (EndRecordPosition < kZip64LocatorSize) return 0;
  uint8_t Locator[kZip64LocatorSize];
  if (!SeekTo(static_cast<uint64_t>(EndRecordPosition - kZip64LocatorSize))) {
    return -kZipMsgSeekInput;
  }
  if (ReadUpTo(Locator, kZip64LocatorSize) != kZip64LocatorSize) return -kZipMsgReadEOC;
  const uint32_t LocatorDisks = GetU32LE(Locator + 16);
  const bool ValidLocator =
      GetU32LE(Locator) == kZip64LocatorSignature && !(AllOnes[0] && LocatorDisks < 0xFFFF);
  if (!ValidLocator) return 0;

  fZ64 = true;
  fTotalDisks = LocatorDisks;
  fDiskNr = LocatorDisks - 1;  // wraps for a count of 0, which then fails the check below
  if (fDiskNr != GetU32LE(Locator + 4)) return -kZipMsgReadEOC;

  const uint64_t RecordOffset = GetU64LE(Locator + 8);
  uint8_t Record[kZip64EndReadSize];
  if (!SeekTo(RecordOffset)) return -kZipMsgSeekInput;
  if (ReadUpTo(Record, kZip64EndReadSize) != kZip64EndReadSize) return -kZipMsgReadEOC;
  int64_t EndPosition = EndRecordPosition;
  if (GetU32LE(Record) == kZip64EndSignature) {
    const uint64_t RecordSize = GetU64LE(Record + 4);
    const uint16_t VersionNeeded = GetU16LE(Record + 14);
    if ((VersionNeeded & 0xFF) > kHighestZip64Version || RecordSize < kLowestZip64RecordSize) {
      return -kZipMsgUnsupportedVersion;
    }
    // SeekTo accepted the offset, so it fits a signed 64-bit position.
    EndPosition = static_cast<int64_t>(RecordOffset);
    fEOCOffset = EndPosition;
    fZ64VersionMadeBy = GetU16LE(Record + 12);
    fZ64VersionNeeded = VersionNeeded;
    // A hostile size near 2^64 must not wrap into a small number.
    fZ64VSize = RecordSize > UINT64_MAX - 12 ? UINT64_MAX : RecordSize + 12;
    if (AllOnes[1]) fCentralDiskNo = GetU32LE(Record + 20);
    if (AllOnes[3]) fTotalEntries = GetU64LE(Record + 32);
    if (AllOnes[2]) fCentralEntries = GetU64LE(Record + 24);
    if (AllOnes[4]) fCentralSize = GetU64LE(Record + 40);
    if (AllOnes[5]) fCentralOffset = GetU64LE(Record + 48);
  }
  // Unsigned arithmetic: hostile sizes and offsets may exceed the position; a wrap is a mismatch.
  fOffsetDelta =
      static_cast<int64_t>(static_cast<uint64_t>(EndPosition) - fCentralSize - fCentralOffset);
  return fOffsetDelta != 0 ? kEOCOffsetMismatch : 0;
}

}  // namespace vlm
