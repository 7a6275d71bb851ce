// runtime/string.h -- the system's string type and the conversions at its edges.
// The system works in UTF-16 code units (hashes, upper-casing, code pages); UTF-8 appears only
// where text leaves the process (POSIX calls, vlmtool's output, test messages).
#pragma once

#include <string>
#include <string_view>

namespace vlm {

using String = std::u16string;
using StringView = std::u16string_view;

// Strict-enough UTF-8 decoding: a malformed or truncated sequence, an overlong form, a surrogate
// or a value above U+10FFFF becomes U+FFFD per bad byte, so any byte string converts.
String Utf8ToString(std::string_view Utf8);

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string StringToUtf8(StringView Text);

// Shorthand for literals and test messages: u"..." is preferred in code, this is for UTF-8 input.
inline String S(std::string_view Utf8) { return Utf8ToString(Utf8); }

}  // namespace vlm
