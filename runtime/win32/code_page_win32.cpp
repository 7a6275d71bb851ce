// runtime/win32/code_page_win32.cpp -- code page conversions on Windows, through the platform.
// Every code page installed on the machine works; UTF-8 goes through the portable converter.
#include "runtime/code_page.h"

#include "runtime/win32/win32_api.h"

namespace vlm {

namespace {

static_assert(kCodePageAnsi == CP_ACP && kCodePageOem == CP_OEMCP && kCodePageUtf8 == CP_UTF8,
              "the code page aliases are passed to the platform as they are");

// UTF-8 is converted by the portable code so that both builds replace malformed input the same
// way (the platform's replacement rules differ between versions). A machine whose ANSI page is
// UTF-8 takes the same path.
bool IsUtf8(unsigned CodePage) {
  return CodePage == kCodePageUtf8 || (CodePage == kCodePageAnsi && ::GetACP() == CP_UTF8) ||
         (CodePage == kCodePageOem && ::GetOEMCP() == CP_UTF8);
}

// The platform takes int lengths, so longer text is converted in pieces of this many units. Only
// a multi-byte character straddling a 512 MiB boundary could suffer, which no input here reaches.
constexpr size_t kMaxPiece = size_t{1} << 29;

String DecodeLatin1(std::string_view Bytes) {
  String Out;
  Out.reserve(Bytes.size());
  for (const char Ch : Bytes) Out += static_cast<char16_t>(static_cast<unsigned char>(Ch));
  return Out;
}

std::string EncodeLatin1(StringView Text) {
  std::string Out;
  Out.reserve(Text.size());
  for (const char16_t Unit : Text) Out += Unit <= 0xFF ? static_cast<char>(Unit) : '?';
  return Out;
}

bool DecodePiece(unsigned CodePage, std::string_view Bytes, String& Out) {
  const int InLength = static_cast<int>(Bytes.size());
  const int Needed = ::MultiByteToWideChar(CodePage, 0, Bytes.data(), InLength, nullptr, 0);
  if (Needed <= 0) return false;
  const size_t Start = Out.size();
  Out.resize(Start + static_cast<size_t>(Needed));
  const int Done = ::MultiByteToWideChar(CodePage, 0, Bytes.data(), InLength,
                                         reinterpret_cast<wchar_t*>(Out.data() + Start), Needed);
  Out.resize(Start + static_cast<size_t>(Done > 0 ? Done : 0));
  return Done > 0;
}

int WideToBytes(unsigned CodePage, DWORD Flags, const char* DefaultChar, StringView Text, char* Out,
                int OutSize) {
  return ::WideCharToMultiByte(CodePage, Flags, reinterpret_cast<const wchar_t*>(Text.data()),
                               static_cast<int>(Text.size()), Out, OutSize, DefaultChar, nullptr);
}

bool EncodePiece(unsigned CodePage, StringView Text, std::string& Out) {
  // No best fit: without the flag the platform turns characters the page lacks into look-alikes,
  // so a fullwidth "=" or "\" would come out as the real one and change what an INI line or a
  // path means. A few pages (UTF-7, the ISO-2022 family) refuse both the flag and a default
  // character; they convert with the platform's own rules.
  DWORD Flags = WC_NO_BEST_FIT_CHARS;
  const char* DefaultChar = "?";
  int Needed = WideToBytes(CodePage, Flags, DefaultChar, Text, nullptr, 0);
  if (Needed <= 0) {
    Flags = 0;
    DefaultChar = nullptr;
    Needed = WideToBytes(CodePage, Flags, DefaultChar, Text, nullptr, 0);
  }
  if (Needed <= 0) return false;
  const size_t Start = Out.size();
  Out.resize(Start + static_cast<size_t>(Needed));
  const int Done = WideToBytes(CodePage, Flags, DefaultChar, Text, Out.data() + Start, Needed);
  Out.resize(Start + static_cast<size_t>(Done > 0 ? Done : 0));
  return Done > 0;
}

}  // namespace

unsigned AnsiCodePage() { return ::GetACP(); }
unsigned OemCodePage() { return ::GetOEMCP(); }

bool IsCodePageSupported(unsigned CodePage) {
  if (CodePage == kCodePageAnsi || CodePage == kCodePageOem) return true;
  return ::IsValidCodePage(CodePage) != 0;
}

String DecodeCodePage(unsigned CodePage, std::string_view Bytes) {
  if (IsUtf8(CodePage)) return Utf8ToString(Bytes);
  if (Bytes.empty()) return String();
  if (!IsCodePageSupported(CodePage)) return DecodeLatin1(Bytes);
  String Out;
  Out.reserve(Bytes.size());
  for (size_t Pos = 0; Pos < Bytes.size(); Pos += kMaxPiece) {
    // A page the platform lists but cannot convert with these flags (a few need special ones)
    // still must not lose text: the whole input falls back to Latin-1.
    if (!DecodePiece(CodePage, Bytes.substr(Pos, kMaxPiece), Out)) return DecodeLatin1(Bytes);
  }
  return Out;
}

std::string EncodeCodePage(unsigned CodePage, StringView Text) {
  if (IsUtf8(CodePage)) return StringToUtf8(Text);
  if (Text.empty()) return std::string();
  if (!IsCodePageSupported(CodePage)) return EncodeLatin1(Text);
  std::string Out;
  Out.reserve(Text.size());
  for (size_t Pos = 0; Pos < Text.size(); Pos += kMaxPiece) {
    if (!EncodePiece(CodePage, Text.substr(Pos, kMaxPiece), Out)) return EncodeLatin1(Text);
  }
  return Out;
}

}  // namespace vlm
