// zip/format/zip_format.h -- the one reading of the ZIP format's details that the front end (what
// the user is shown and asked about) and the engine (what is written) must share: the extra-field
// walk, the Zip64 fields of a central entry, the Unicode name blocks and the choice of code page,
// UTF-8 validation and the DOS date-time. Both link this small library, so a name is listed and
// written the same way, and an entry's sizes are the same to both.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "runtime/string.h"

namespace vlm::zipformat {

inline constexpr uint16_t kZip64Tag = 0x0001;
inline constexpr uint16_t kUnicodePathTag = 0x7075;
inline constexpr uint16_t kUnicodeCommentTag = 0x6375;
inline constexpr uint16_t kUtf8Flag = 0x0800;
// Zip64 fields are honoured from version 4.5 on (the low byte of "version needed").
inline constexpr unsigned kLowestZip64Version = 45;

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF, no cut sequence.
bool IsValidUtf8(std::string_view Text);

// The data of the first extra-field block with Tag. Blocks are a 2-byte tag and a 2-byte data
// length followed by the data; a block whose declared length runs past the field ends the walk
// (its data is never returned). False when there is no complete block with Tag.
bool FindExtraBlock(std::string_view Extra, uint16_t Tag, std::string_view& Data);

// The fields a central entry's Zip64 block may replace: each one holding all ones is taken from
// the block, in this order (uncompressed size, compressed size, local header offset, disk).
struct TZip64Fields {
  uint64_t UncompressedSize, CompressedSize, LocalOffset;
  uint32_t DiskStart;
};
enum class TZip64Result { None, Applied, Short };
// None when the entry's version needed is below 4.5 or there is no Zip64 block; Short when the
// block lacks a field it must hold (the fields are then partly replaced).
TZip64Result ApplyZip64Block(std::string_view Extra, uint16_t VersionNeeded, TZip64Fields& Fields);

// How a raw name or comment becomes text (the order of the front end's encoding options).
enum class TNameCoding : uint32_t { Auto = 0, None = 1, Oem = 2, Utf8 = 3, UnicodePath = 4 };

// The UTF-8 text of the first Unicode path or comment block (Tag) when it belongs to Raw:
// version 1, the CRC-32 of Raw, valid UTF-8 (it may be empty). False otherwise.
bool UnicodeBlockText(std::string_view Extra, uint16_t Tag, std::string_view Raw,
                      std::string_view& Utf8);

// An entry's own coding: flag bit 11 gives UTF-8; else a Unicode path block for the name, or a
// Unicode comment block for the comment, gives UnicodePath; else a host that writes the OEM code
// page (MS-DOS, OS/2 HPFS, one NTFS writer version) gives Oem; else None.
TNameCoding DetectNameCoding(uint16_t Flag, uint16_t VersionMadeBy, std::string_view Extra,
                             std::string_view RawName, std::string_view RawComment);

// The text of Raw (a name with UnicodeTag kUnicodePathTag, a comment with kUnicodeCommentTag)
// in Coding (not Auto): converted only for UnicodePath or when Raw holds a byte below 31 or above
// 126; None converts from CodePage (0: the ANSI code page), Oem from the OEM code page, Utf8 from
// UTF-8 (the ANSI code page when it is not valid), UnicodePath takes the block's text. When that
// gives nothing, Raw widened through the ANSI code page.
String DecodeEntryText(TNameCoding Coding, std::string_view Raw, std::string_view Extra,
                       uint16_t UnicodeTag, unsigned CodePage);

// A DOS date-time (date in the high 16 bits, time in the low 16) in its parts, unchecked.
struct TDosParts {
  int Year, Month, Day, Hour, Minute, Second;
};
TDosParts DosParts(uint32_t DosDateTime);
// Whether the parts make a real date and time (month 1-12, day 1-31, hour 0-23, minute 0-59,
// second 0-58).
bool IsValidDosDateTime(uint32_t DosDateTime);

}  // namespace vlm::zipformat
