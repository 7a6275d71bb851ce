// zip/format/zip_format.cpp -- the shared reading of extra fields, names and DOS times.
#include "zip/format/zip_format.h"

#include <zlib.h>

#include "runtime/code_page.h"

namespace vlm::zipformat {

namespace {

const uint8_t* Bytes(std::string_view Text) {
  return reinterpret_cast<const uint8_t*>(Text.data());
}

uint16_t Get16(const uint8_t* P) {
  return static_cast<uint16_t>(P[0] | P[1] << 8);
}

uint32_t Get32(const uint8_t* P) {
  return uint32_t{P[0]} | uint32_t{P[1]} << 8 | uint32_t{P[2]} << 16 | uint32_t{P[3]} << 24;
}

uint32_t Crc32Of(std::string_view Text) {
  // Names and comments are at most 65535 bytes: one call of the 32-bit interface.
  return static_cast<uint32_t>(
      crc32(crc32(0L, Z_NULL, 0), Bytes(Text), static_cast<uInt>(Text.size())));
}

bool NeedsConversion(std::string_view Raw) {
  for (const char C : Raw) {
    const auto B = static_cast<uint8_t>(C);
    if (B < 31 || B > 126) return true;
  }
  return false;
}

bool IsOemHost(uint16_t VersionMadeBy) {
  return VersionMadeBy <= 255 || (VersionMadeBy >= 1536 && VersionMadeBy <= 1791) ||
         VersionMadeBy == 2866;
}

}  // namespace

bool IsValidUtf8(std::string_view Text) {
  const uint8_t* P = Bytes(Text);
  const size_t N = Text.size();
  size_t I = 0;
  while (I < N) {
    const uint8_t B = P[I];
    if (B < 0x80) {
      ++I;
      continue;
    }
    size_t Length;
    uint32_t Min, Code;
    if ((B & 0xE0) == 0xC0) {
      Length = 2, Min = 0x80, Code = B & 0x1F;
    } else if ((B & 0xF0) == 0xE0) {
      Length = 3, Min = 0x800, Code = B & 0x0F;
    } else if ((B & 0xF8) == 0xF0) {
      Length = 4, Min = 0x10000, Code = B & 0x07;
    } else {
      return false;
    }
    if (N - I < Length) return false;
    for (size_t K = 1; K < Length; ++K) {
      if ((P[I + K] & 0xC0) != 0x80) return false;
      Code = (Code << 6) | (P[I + K] & 0x3F);
    }
    if (Code < Min || Code > 0x10FFFF || (Code >= 0xD800 && Code <= 0xDFFF)) return false;
    I += Length;
  }
  return true;
}

bool FindExtraBlock(std::string_view Extra, uint16_t Tag, std::string_view& Data) {
  size_t Pos = 0;
  while (Extra.size() - Pos >= 4) {
    const uint16_t BlockTag = Get16(Bytes(Extra) + Pos);
    const uint16_t Length = Get16(Bytes(Extra) + Pos + 2);
    Pos += 4;
    if (Length > Extra.size() - Pos) return false;
    if (BlockTag == Tag) {
      Data = Extra.substr(Pos, Length);
      return true;
    }
    Pos += Length;
  }
  return false;
}

TZip64Result ApplyZip64Block(std::string_view Extra, uint16_t VersionNeeded, TZip64Fields& Fields) {
  std::string_view Data;
  if ((VersionNeeded & 0xFF) < kLowestZip64Version || !FindExtraBlock(Extra, kZip64Tag, Data))
    return TZip64Result::None;
  size_t Pos = 0;
  // Takes the next Width bytes when Field holds all ones; false when the block is too short.
  const auto Take = [&](uint64_t& Field, uint64_t AllOnes, size_t Width) {
    if (Field != AllOnes) return true;
    if (Data.size() - Pos < Width) return false;
    Field = Width == 8
                ? uint64_t{Get32(Bytes(Data) + Pos)} | uint64_t{Get32(Bytes(Data) + Pos + 4)} << 32
                : Get32(Bytes(Data) + Pos);
    Pos += Width;
    return true;
  };
  uint64_t Disk = Fields.DiskStart;
  const bool Complete = Take(Fields.UncompressedSize, 0xFFFFFFFF, 8) &&
                        Take(Fields.CompressedSize, 0xFFFFFFFF, 8) &&
                        Take(Fields.LocalOffset, 0xFFFFFFFF, 8) && Take(Disk, 0xFFFF, 4);
  Fields.DiskStart = static_cast<uint32_t>(Disk);
  return Complete ? TZip64Result::Applied : TZip64Result::Short;
}

bool UnicodeBlockText(std::string_view Extra, uint16_t Tag, std::string_view Raw,
                      std::string_view& Utf8) {
  std::string_view Data;
  if (!FindExtraBlock(Extra, Tag, Data) || Data.size() < 5) return false;
  if (static_cast<uint8_t>(Data[0]) != 1) return false;
  if (Get32(Bytes(Data) + 1) != Crc32Of(Raw)) return false;
  Utf8 = Data.substr(5);
  return IsValidUtf8(Utf8);
}

TNameCoding DetectNameCoding(uint16_t Flag, uint16_t VersionMadeBy, std::string_view Extra,
                             std::string_view RawName, std::string_view RawComment) {
  std::string_view Ignored;
  if (Flag & kUtf8Flag) return TNameCoding::Utf8;
  if (UnicodeBlockText(Extra, kUnicodePathTag, RawName, Ignored)) return TNameCoding::UnicodePath;
  if (UnicodeBlockText(Extra, kUnicodeCommentTag, RawComment, Ignored))
    return TNameCoding::UnicodePath;
  return IsOemHost(VersionMadeBy) ? TNameCoding::Oem : TNameCoding::None;
}

String DecodeEntryText(TNameCoding Coding, std::string_view Raw, std::string_view Extra,
                       uint16_t UnicodeTag, unsigned CodePage) {
  String Text;
  if (Coding == TNameCoding::UnicodePath || NeedsConversion(Raw)) {
    switch (Coding) {
      case TNameCoding::None:
        Text = DecodeCodePage(CodePage == 0 ? kCodePageAnsi : CodePage, Raw);
        break;
      case TNameCoding::Oem: Text = DecodeCodePage(kCodePageOem, Raw); break;
      case TNameCoding::Utf8:
        Text = IsValidUtf8(Raw) ? Utf8ToString(Raw) : AnsiToString(Raw);
        break;
      case TNameCoding::UnicodePath: {
        std::string_view Utf8;
        if (UnicodeBlockText(Extra, UnicodeTag, Raw, Utf8)) Text = Utf8ToString(Utf8);
        break;
      }
      case TNameCoding::Auto: break;
    }
  }
  if (Text.empty()) Text = AnsiToString(Raw);
  return Text;
}

TDosParts DosParts(uint32_t DosDateTime) {
  const uint32_t Date = DosDateTime >> 16, Time = DosDateTime & 0xFFFF;
  return TDosParts{static_cast<int>((Date >> 9) & 0x7F) + 1980,
                   static_cast<int>((Date >> 5) & 0x0F),
                   static_cast<int>(Date & 0x1F),
                   static_cast<int>(Time >> 11),
                   static_cast<int>((Time >> 5) & 0x3F),
                   static_cast<int>((Time & 0x1F) * 2)};
}

bool IsValidDosDateTime(uint32_t DosDateTime) {
  const TDosParts P = DosParts(DosDateTime);
  return P.Month >= 1 && P.Month <= 12 && P.Day >= 1 && P.Day <= 31 && P.Hour < 24 &&
         P.Minute < 60 && P.Second < 60;
}

}  // namespace vlm::zipformat
