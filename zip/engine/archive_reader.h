// zip/engine/archive_reader.h -- the engine's own reading of a ZIP archive (PKWARE APPNOTE):
// end of central directory record (with the Zip64 locator and record), the central directory
// entries with their Zip64 sizes and decoded names, and the local headers that locate each
// entry's data. The front end reads the directory separately; the engine trusts nothing it did.
//
// Everything read is untrusted: every length and offset is checked against the file before use.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "runtime/string.h"
#include "zip/format/zip_format.h"

namespace vlm {
class TFileStream;
}

namespace vlm::zipengine {

// How entry names are decoded (the command record's fEncodedAs).
// How names become text: the front end's encoding options, read by the same rules.
using TNameEncoding = zipformat::TNameCoding;

struct TCentralEntry {
  uint16_t VersionMadeBy = 0;  // low byte version, high byte host system
  uint16_t VersionNeeded = 0;
  uint16_t Flag = 0;  // bit 0 encrypted, bit 3 data descriptor, bit 11 UTF-8 name
  uint16_t Method = 0;
  uint32_t DosDateTime = 0;  // DOS date in the high 16 bits, time in the low 16 bits
  uint32_t Crc32 = 0;
  uint64_t CompressedSize = 0;    // untrusted
  uint64_t UncompressedSize = 0;  // untrusted; the output cap
  uint64_t LocalOffset = 0;       // already corrected for data in front of the archive
  std::string RawName;
  String Name;  // decoded, as stored (separators not yet normalized)
  // The entry's data range (local header to the end of its compressed data) overlaps that of an
  // entry before it in the central directory: its bytes belong to another entry, not extracted.
  bool Overlaps = false;
  // Where the data starts, from the local header read when the archive was opened; DataError is
  // 0 then, else the error that locating it gave (see TArchiveReader::LocateData).
  uint64_t DataStart = 0;
  int DataError = 0;

  bool IsEncrypted() const { return (Flag & 1u) != 0; }
  bool HasDataDescriptor() const { return (Flag & 8u) != 0; }
};

class TArchiveReader {
public:
  TArchiveReader();
  ~TArchiveReader();
  TArchiveReader(const TArchiveReader&) = delete;
  TArchiveReader& operator=(const TArchiveReader&) = delete;

  // Opens the archive and reads its directory and every entry's local header, marking the
  // entries whose data ranges overlap an earlier entry's (TCentralEntry::Overlaps). Returns 0, or
  // the engine error number (VZ_ERR_...) that ends the operation: VZ_ERR_OPEN_ZIP (cannot open),
  // VZ_ERR_NO_CENTRAL (no end record), VZ_ERR_MULTI_PART, VZ_ERR_INVALID_ZIP (damaged directory).
  int Open(const String& FileName, TNameEncoding Encoding, uint32_t FromPage);

  const std::vector<TCentralEntry>& Entries() const { return FEntries; }
  const std::string& Comment() const { return FComment; }

  // Where the entry's data starts, as its local header said when the archive was opened: sets
  // DataStart to the first data byte and returns 0, else VZ_ERR_INVALID_ZIP (bad local header,
  // or data overlapping an earlier entry's) or VZ_ERR_PREMATURE_EOF (data runs past the central
  // directory).
  int LocateData(const TCentralEntry& Entry, uint64_t& DataStart) const;

  // Reads up to Size bytes at Offset; returns the count read (short at the end of the file).
  // Small reads (the start of an entry's data, small entries) are served from a read-ahead
  // buffer, larger ones go straight into Buffer; the file is only repositioned when a read does
  // not continue where the last one ended. Safe to call from several threads (one at a time
  // reads the file).
  size_t ReadAt(uint64_t Offset, void* Buffer, size_t Size);

private:
  int ReadEndRecords();
  int ReadCentralDirectory(TNameEncoding Encoding, uint32_t FromPage);
  // Reads the entry's local header and records where its data starts (DataStart, DataError).
  void ReadLocalHeader(TCentralEntry& Entry);
  void MarkOverlaps();
  // ReadAt with the read-ahead buffer filled with at most Ahead bytes; the caller holds FLock.
  size_t ReadBuffered(uint64_t Offset, void* Buffer, size_t Size, size_t Ahead);
  // Reads from the file itself at Offset, seeking only when needed.
  size_t ReadFile(uint64_t Offset, uint8_t* Buffer, size_t Size);

  std::mutex FLock;  // one reader of the file and the read-ahead buffer at a time
  std::unique_ptr<TFileStream> FFile;
  uint64_t FFileSize = 0;
  uint64_t FFilePos = UINT64_MAX;  // where the next file read starts; UINT64_MAX: not known
  std::vector<uint8_t> FAhead;     // read-ahead buffer, allocated on first use
  uint64_t FAheadStart = 0;        // file offset of FAhead[0]
  size_t FAheadLength = 0;         // valid bytes in FAhead
  uint64_t FCentralStart = 0;      // where the central directory really is
  uint64_t FCentralSize = 0;
  uint64_t FTotalEntries = 0;
  int64_t FOffsetDelta = 0;  // added to stored offsets (data in front not counted by them)
  std::string FComment;
  std::vector<TCentralEntry> FEntries;
};

// Decodes a raw entry name exactly as the front end lists it (flag bit 11, the Unicode path and
// comment blocks, host system, code pages; see zip/format). Exposed for tests.
String DecodeEntryName(std::string_view RawName, std::string_view Extra,
                       std::string_view RawComment, uint16_t Flag, uint16_t VersionMadeBy,
                       TNameEncoding Encoding, uint32_t FromPage);

}  // namespace vlm::zipengine
