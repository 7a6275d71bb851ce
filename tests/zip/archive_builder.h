// tests/zip/archive_builder.h -- builds small ZIP archives byte by byte for the directory tests,
// including the malformed ones no archiver writes: every field can be set or patched afterwards.
// Entries are stored (no compression); the reader under test never looks at entry data.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vlm::ziptest {

void PutU16(std::string& Out, uint16_t Value);
void PutU32(std::string& Out, uint32_t Value);
void PutU64(std::string& Out, uint64_t Value);
// Overwrites bytes at Offset with the little-endian Value.
void PatchU16(std::string& Bytes, size_t Offset, uint16_t Value);
void PatchU32(std::string& Bytes, size_t Offset, uint32_t Value);
void PatchU64(std::string& Bytes, size_t Offset, uint64_t Value);

// One extra-field block: tag, length, data.
std::string ExtraBlock(uint16_t Tag, const std::string& Data);
// A Unicode path (0x7075) or comment (0x6375) block for Raw with the UTF-8 text Utf8.
std::string UnicodeBlock(uint16_t Tag, const std::string& Raw, const std::string& Utf8,
                         uint8_t Version = 1);
uint32_t Crc32(const std::string& Bytes);

struct TestEntry {
  std::string Name;
  std::string Data;
  uint16_t MadeBy = 0x0314;  // host 3 (Unix), version 20: names in the archive code page
  uint16_t Needed = 20;
  uint16_t Flag = 0;
  std::string Extra = {};             // central extra field
  std::string Comment = {};           // entry comment
  uint32_t DosDateTime = 0x5A8B6C21;  // 2025-04-11 13:33:02
  // Write the sizes and the offset as all ones and put them in a Zip64 block (version 45).
  bool Zip64 = false;
};

struct TestArchiveOptions {
  std::string Prefix;  // bytes before the first local header
  bool OffsetsCountPrefix = true;
  std::string Comment;    // archive comment
  std::string Trailing;   // bytes after the end record and its comment
  bool Zip64End = false;  // write Zip64 end record and locator, end record fields all ones
};

struct TestArchive {
  std::string Bytes;
  size_t CentralOffset = 0;            // file position of the central directory
  std::vector<size_t> CentralEntries;  // file position of each central header
  size_t Zip64EndOffset = 0;           // file position of the Zip64 end record (when written)
  size_t LocatorOffset = 0;            // file position of the Zip64 locator (when written)
  size_t EndOffset = 0;                // file position of the end record
};

TestArchive BuildArchive(const std::vector<TestEntry>& Entries,
                         const TestArchiveOptions& Options = {});

}  // namespace vlm::ziptest
