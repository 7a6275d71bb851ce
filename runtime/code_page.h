// runtime/code_page.h -- conversions between UTF-16 and the byte code pages the system uses.
// The ANSI code page is CP_ACP on Windows and Windows-1252 on Linux; the OEM code page is
// CP_OEMCP on Windows and 437 on Linux. Linux has built-in tables for 1252, 437 and 850;
// Windows asks the platform, so every installed code page works there.
#pragma once

#include <string>
#include <string_view>

#include "runtime/string.h"

namespace vlm {

// Code page numbers as the platform names them.
inline constexpr unsigned kCodePageAnsi = 0;  // the system's ANSI code page (CP_ACP)
inline constexpr unsigned kCodePageOem = 1;   // the system's OEM code page (CP_OEMCP)
inline constexpr unsigned kCodePageUtf8 = 65001;

// The concrete numbers behind kCodePageAnsi and kCodePageOem on this machine (1252 and 437 on
// Linux).
unsigned AnsiCodePage();
unsigned OemCodePage();

// Whether conversions in CodePage are available here.
bool IsCodePageSupported(unsigned CodePage);

// Bytes in CodePage to UTF-16. The single-byte tables map every byte (the five bytes that 1252
// leaves undefined map to the same-numbered C1 control, as Windows does); malformed UTF-8 becomes
// U+FFFD. An unsupported code page decodes as Latin-1 so that nothing is lost.
String DecodeCodePage(unsigned CodePage, std::string_view Bytes);

// UTF-16 to bytes in CodePage; characters with no mapping become "?" (the platform's default
// character), never a look-alike such as "=" for a fullwidth equals sign. An unsupported code page
// encodes as Latin-1 with "?" above U+00FF.
std::string EncodeCodePage(unsigned CodePage, StringView Text);

inline String AnsiToString(std::string_view Bytes) { return DecodeCodePage(kCodePageAnsi, Bytes); }
inline std::string StringToAnsi(StringView Text) { return EncodeCodePage(kCodePageAnsi, Text); }

}  // namespace vlm
