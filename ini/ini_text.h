// ini/ini_text.h -- how one line of INI text reads, for every reader of INI text: the line is
// trimmed of every character at or below U+0020; an empty line or one beginning with ";" says
// nothing; "[name]" starts a section; inside a section, a line with "=" is a key.
#pragma once

#include "runtime/string.h"

namespace vlm {

// Text without the characters at or below U+0020 at either end.
String TrimIniText(StringView Text);
// The same, done to Text itself (no second copy of a long line).
void TrimIniTextInPlace(String& Text);

// Whether a trimmed line starts a section.
inline bool IsIniSectionHeader(StringView Line) {
  return Line.size() >= 2 && Line.front() == u'[' && Line.back() == u']';
}

// Whether a trimmed line says nothing: empty, or a comment.
inline bool IsIniSilentLine(StringView Line) {
  return Line.empty() || Line.front() == u';';
}

// The section name of a trimmed header line, trimmed again.
inline String IniSectionName(StringView Header) {
  return TrimIniText(Header.substr(1, Header.size() - 2));
}

}  // namespace vlm
