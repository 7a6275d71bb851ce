// runtime/string.cpp -- UTF-8 <-> UTF-16 conversion for the edges of the system.
// Portable and table-free, so both builds convert UTF-8 exactly the same way.
#include "runtime/string.h"

namespace vlm {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

bool IsContinuation(unsigned char Byte) { return (Byte & 0xC0) == 0x80; }
bool IsHighSurrogate(char32_t Unit) { return Unit >= 0xD800 && Unit <= 0xDBFF; }
bool IsLowSurrogate(char32_t Unit) { return Unit >= 0xDC00 && Unit <= 0xDFFF; }

// Decodes the well-formed sequence that starts at Utf8[Pos], storing the code point and its length.
// Returns false when the bytes there are not one: the caller then replaces only the lead byte, so a
// bad sequence costs one U+FFFD per byte and the next good character is never swallowed.
bool DecodeSequence(std::string_view Utf8, size_t Pos, char32_t& CodePoint, size_t& Length) {
  const unsigned char Lead = static_cast<unsigned char>(Utf8[Pos]);
  char32_t Min;
  if (Lead < 0x80) {
    CodePoint = Lead;
    Length = 1;
    return true;
  }
  if (Lead >= 0xC2 && Lead <= 0xDF) {  // C0 and C1 could only start overlong two-byte forms
    Length = 2;
    CodePoint = Lead & 0x1F;
    Min = 0x80;
  } else if (Lead >= 0xE0 && Lead <= 0xEF) {
    Length = 3;
    CodePoint = Lead & 0x0F;
    Min = 0x800;
  } else if (Lead >= 0xF0 && Lead <= 0xF4) {  // F5 and above would start values past U+10FFFF
    Length = 4;
    CodePoint = Lead & 0x07;
    Min = 0x10000;
  } else {
    return false;  // a stray continuation byte or a lead byte no valid sequence uses
  }
  if (Utf8.size() - Pos < Length) return false;  // truncated at the end of the input
  for (size_t I = 1; I < Length; ++I) {
    const unsigned char Byte = static_cast<unsigned char>(Utf8[Pos + I]);
    if (!IsContinuation(Byte)) return false;
    CodePoint = (CodePoint << 6) | (Byte & 0x3F);
  }
  // Overlong forms would let one character hide behind several spellings (a "/" or "." that a
  // byte-level check never sees); surrogates are not characters and cannot be written in UTF-16
  // without changing meaning.
  if (CodePoint < Min || CodePoint > 0x10FFFF) return false;
  if (CodePoint >= 0xD800 && CodePoint <= 0xDFFF) return false;
  return true;
}

void AppendUtf8(std::string& Out, char32_t CodePoint) {
  if (CodePoint < 0x80) {
    Out += static_cast<char>(CodePoint);
  } else if (CodePoint < 0x800) {
    Out += static_cast<char>(0xC0 | (CodePoint >> 6));
    Out += static_cast<char>(0x80 | (CodePoint & 0x3F));
  } else if (CodePoint < 0x10000) {
    Out += static_cast<char>(0xE0 | (CodePoint >> 12));
    Out += static_cast<char>(0x80 | ((CodePoint >> 6) & 0x3F));
    Out += static_cast<char>(0x80 | (CodePoint & 0x3F));
  } else {
    Out += static_cast<char>(0xF0 | (CodePoint >> 18));
    Out += static_cast<char>(0x80 | ((CodePoint >> 12) & 0x3F));
    Out += static_cast<char>(0x80 | ((CodePoint >> 6) & 0x3F));
    Out += static_cast<char>(0x80 | (CodePoint & 0x3F));
  }
}

}  // namespace

String Utf8ToString(std::string_view Utf8) {
  String Out;
  Out.reserve(Utf8.size());  // never more units than bytes
  size_t Pos = 0;
  while (Pos < Utf8.size()) {
    char32_t CodePoint;
    size_t Length;
    if (!DecodeSequence(Utf8, Pos, CodePoint, Length)) {
      Out += kReplacement;
      ++Pos;
      continue;
    }
    Pos += Length;
    if (CodePoint < 0x10000) {
      Out += static_cast<char16_t>(CodePoint);
    } else {
      CodePoint -= 0x10000;
      Out += static_cast<char16_t>(0xD800 + (CodePoint >> 10));
      Out += static_cast<char16_t>(0xDC00 + (CodePoint & 0x3FF));
    }
  }
  return Out;
}

std::string StringToUtf8(StringView Text) {
  std::string Out;
  Out.reserve(Text.size());
  for (size_t I = 0; I < Text.size(); ++I) {
    const char32_t Unit = Text[I];
    if (IsHighSurrogate(Unit) && I + 1 < Text.size() && IsLowSurrogate(Text[I + 1])) {
      AppendUtf8(Out, 0x10000 + ((Unit - 0xD800) << 10) + (Text[I + 1] - 0xDC00));
      ++I;
    } else if (IsHighSurrogate(Unit) || IsLowSurrogate(Unit)) {
      AppendUtf8(Out, kReplacement);  // half a character has no UTF-8 form
    } else {
      AppendUtf8(Out, Unit);
    }
  }
  return Out;
}

}  // namespace vlm
