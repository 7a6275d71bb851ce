// runtime/posix/code_page_posix.cpp -- code page conversions on Linux, from built-in tables.
// The machine's ANSI and OEM pages are fixed at 1252 and 437, the pages of an English Windows.
#include "runtime/code_page.h"

#include <algorithm>

#include "runtime/posix/text_tables.inc"

namespace vlm {

namespace {

constexpr unsigned kCodePageAscii = 20127;
constexpr unsigned kCodePageLatin1 = 28591;
constexpr char kDefaultChar = '?';

struct SingleByteTable {
  const char16_t* Decode;                  // 256 units, indexed by byte
  const text_tables::ByteForUnit* Encode;  // bytes 0x80-0xFF, sorted by unit
};

// The resolved page: the two aliases become concrete numbers so that every caller sees one table.
unsigned ResolveCodePage(unsigned CodePage) {
  if (CodePage == kCodePageAnsi) return AnsiCodePage();
  if (CodePage == kCodePageOem) return OemCodePage();
  return CodePage;
}

const SingleByteTable* TableFor(unsigned CodePage) {
  static constexpr SingleByteTable k1252{text_tables::kCodePage1252,
                                         text_tables::kCodePage1252Reverse};
  static constexpr SingleByteTable k437{text_tables::kCodePage437,
                                        text_tables::kCodePage437Reverse};
  static constexpr SingleByteTable k850{text_tables::kCodePage850,
                                        text_tables::kCodePage850Reverse};
  switch (CodePage) {
    case 1252:
      return &k1252;
    case 437:
      return &k437;
    case 850:
      return &k850;
    default:
      return nullptr;
  }
}

char EncodeUnit(const SingleByteTable& Table, char16_t Unit) {
  // Every table passes 0x00-0x7F through (the generator checks it), so ASCII needs no search.
  if (Unit < 0x80) return static_cast<char>(Unit);
  const auto* First = Table.Encode;
  const auto* Last = Table.Encode + 128;
  const auto* Found = std::lower_bound(
      First, Last, Unit,
      [](const text_tables::ByteForUnit& Entry, char16_t U) { return Entry.Unit < U; });
  if (Found == Last || Found->Unit != Unit) return kDefaultChar;
  return static_cast<char>(Found->Byte);
}

}  // namespace

unsigned AnsiCodePage() { return 1252; }
unsigned OemCodePage() { return 437; }

bool IsCodePageSupported(unsigned CodePage) {
  CodePage = ResolveCodePage(CodePage);
  return TableFor(CodePage) != nullptr || CodePage == kCodePageUtf8 || CodePage == kCodePageAscii ||
         CodePage == kCodePageLatin1;
}

String DecodeCodePage(unsigned CodePage, std::string_view Bytes) {
  CodePage = ResolveCodePage(CodePage);
  if (CodePage == kCodePageUtf8) return Utf8ToString(Bytes);
  const SingleByteTable* Table = TableFor(CodePage);
  String Out;
  Out.reserve(Bytes.size());
  for (const char Ch : Bytes) {
    const auto Byte = static_cast<unsigned char>(Ch);
    if (Table) {
      Out += Table->Decode[Byte];
    } else if (CodePage == kCodePageAscii) {
      Out += static_cast<char16_t>(Byte & 0x7F);  // the platform drops the eighth bit, not the byte
    } else {
      Out += static_cast<char16_t>(Byte);  // Latin-1, and the fallback for pages without a table
    }
  }
  return Out;
}

std::string EncodeCodePage(unsigned CodePage, StringView Text) {
  CodePage = ResolveCodePage(CodePage);
  if (CodePage == kCodePageUtf8) return StringToUtf8(Text);
  const SingleByteTable* Table = TableFor(CodePage);
  const char16_t Limit = CodePage == kCodePageAscii ? 0x7F : 0xFF;
  std::string Out;
  Out.reserve(Text.size());
  // No single-byte page holds a character outside the BMP, so each half of a surrogate pair
  // becomes "?" on its own.
  for (const char16_t Unit : Text) {
    if (Table) {
      Out += EncodeUnit(*Table, Unit);
    } else {
      Out += Unit <= Limit ? static_cast<char>(Unit) : kDefaultChar;
    }
  }
  return Out;
}

}  // namespace vlm
