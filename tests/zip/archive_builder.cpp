// tests/zip/archive_builder.cpp -- byte-level construction of test archives (PKWARE APPNOTE
// layouts: local header, central header, Zip64 end record and locator, end record).
#include "archive_builder.h"

#include <zlib.h>

namespace vlm::ziptest {

void PutU16(std::string& Out, uint16_t Value) {
  Out += static_cast<char>(Value & 0xFF);
  Out += static_cast<char>(Value >> 8);
}
void PutU32(std::string& Out, uint32_t Value) {
  PutU16(Out, static_cast<uint16_t>(Value & 0xFFFF));
  PutU16(Out, static_cast<uint16_t>(Value >> 16));
}
void PutU64(std::string& Out, uint64_t Value) {
  PutU32(Out, static_cast<uint32_t>(Value & 0xFFFFFFFF));
  PutU32(Out, static_cast<uint32_t>(Value >> 32));
}
void PatchU16(std::string& Bytes, size_t Offset, uint16_t Value) {
  std::string Le;
  PutU16(Le, Value);
  Bytes.replace(Offset, 2, Le);
}
void PatchU32(std::string& Bytes, size_t Offset, uint32_t Value) {
  std::string Le;
  PutU32(Le, Value);
  Bytes.replace(Offset, 4, Le);
}
void PatchU64(std::string& Bytes, size_t Offset, uint64_t Value) {
  std::string Le;
  PutU64(Le, Value);
  Bytes.replace(Offset, 8, Le);
}

uint32_t Crc32(const std::string& Bytes) {
  return static_cast<uint32_t>(crc32(crc32(0L, Z_NULL, 0),
                                     reinterpret_cast<const Bytef*>(Bytes.data()),
                                     static_cast<uInt>(Bytes.size())));
}

std::string ExtraBlock(uint16_t Tag, const std::string& Data) {
  std::string Out;
  PutU16(Out, Tag);
  PutU16(Out, static_cast<uint16_t>(Data.size()));
  return Out + Data;
}

std::string UnicodeBlock(uint16_t Tag, const std::string& Raw, const std::string& Utf8,
                         uint8_t Version) {
  std::string Data(1, static_cast<char>(Version));
  PutU32(Data, Crc32(Raw));
  return ExtraBlock(Tag, Data + Utf8);
}

TestArchive BuildArchive(const std::vector<TestEntry>& Entries, const TestArchiveOptions& Options) {
  TestArchive Out;
  std::string& B = Out.Bytes;
  B = Options.Prefix;
  // Offsets as the archive states them: absolute, or relative to the end of the prefix.
  const uint64_t Base = Options.OffsetsCountPrefix ? 0 : Options.Prefix.size();
  std::vector<uint64_t> LocalOffsets;
  for (const TestEntry& E : Entries) {
    LocalOffsets.push_back(B.size() - Base);
    PutU32(B, 0x04034B50);
    PutU16(B, E.Needed);
    PutU16(B, E.Flag);
    PutU16(B, 0);  // stored
    PutU32(B, E.DosDateTime);
    PutU32(B, Crc32(E.Data));
    PutU32(B, static_cast<uint32_t>(E.Data.size()));
    PutU32(B, static_cast<uint32_t>(E.Data.size()));
    PutU16(B, static_cast<uint16_t>(E.Name.size()));
    PutU16(B, 0);
    B += E.Name;
    B += E.Data;
  }
  Out.CentralOffset = B.size();
  for (size_t I = 0; I < Entries.size(); ++I) {
    const TestEntry& E = Entries[I];
    std::string Extra = E.Extra;
    if (E.Zip64) {
      std::string Data;
      PutU64(Data, E.Data.size());
      PutU64(Data, E.Data.size());
      PutU64(Data, LocalOffsets[I]);
      Extra = ExtraBlock(0x0001, Data) + Extra;
    }
    Out.CentralEntries.push_back(B.size());
    PutU32(B, 0x02014B50);
    PutU16(B, E.MadeBy);
    PutU16(B, E.Zip64 ? 45 : E.Needed);
    PutU16(B, E.Flag);
    PutU16(B, 0);
    PutU32(B, E.DosDateTime);
    PutU32(B, Crc32(E.Data));
    PutU32(B, E.Zip64 ? 0xFFFFFFFF : static_cast<uint32_t>(E.Data.size()));
    PutU32(B, E.Zip64 ? 0xFFFFFFFF : static_cast<uint32_t>(E.Data.size()));
    PutU16(B, static_cast<uint16_t>(E.Name.size()));
    PutU16(B, static_cast<uint16_t>(Extra.size()));
    PutU16(B, static_cast<uint16_t>(E.Comment.size()));
    PutU16(B, 0);
    PutU16(B, 0);
    PutU32(B, 0);
    PutU32(B, E.Zip64 ? 0xFFFFFFFF : static_cast<uint32_t>(LocalOffsets[I]));
    B += E.Name + Extra + E.Comment;
  }
  const uint64_t CentralSize = B.size() - Out.CentralOffset;
  const uint64_t CentralOffset = Out.CentralOffset - Base;
  if (Options.Zip64End) {
    Out.Zip64EndOffset = B.size();
    PutU32(B, 0x06064B50);
    PutU64(B, 44);
    PutU16(B, 45);
    PutU16(B, 45);
    PutU32(B, 0);
    PutU32(B, 0);
    PutU64(B, Entries.size());
    PutU64(B, Entries.size());
    PutU64(B, CentralSize);
    PutU64(B, CentralOffset);
    Out.LocatorOffset = B.size();
    PutU32(B, 0x07064B50);
    PutU32(B, 0);
    PutU64(B, Out.Zip64EndOffset - Base);
    PutU32(B, 1);
  }
  Out.EndOffset = B.size();
  PutU32(B, 0x06054B50);
  PutU16(B, 0);
  PutU16(B, 0);
  PutU16(B, Options.Zip64End ? 0xFFFF : static_cast<uint16_t>(Entries.size()));
  PutU16(B, Options.Zip64End ? 0xFFFF : static_cast<uint16_t>(Entries.size()));
  PutU32(B, Options.Zip64End ? 0xFFFFFFFF : static_cast<uint32_t>(CentralSize));
  PutU32(B, Options.Zip64End ? 0xFFFFFFFF : static_cast<uint32_t>(CentralOffset));
  PutU16(B, static_cast<uint16_t>(Options.Comment.size()));
  B += Options.Comment;
  B += Options.Trailing;
  return Out;
}

}  // namespace vlm::ziptest
