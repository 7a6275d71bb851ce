// ini/ini_line_edit.h -- setting one key of an INI text in place. The lines are read by the same
// rules as TMemIniFile (the last section of a name, the last line of a key, names compared
// without regard to letter case), and only the key's own line changes, or a new line is added at
// the end of its section (a new section at the end of the text); every other line, comments and
// blank lines included, stays exactly as it was.
#pragma once

#include "runtime/string.h"
#include "runtime/string_list.h"

namespace vlm {

void WriteKeyInPlace(TStringList& Lines, const String& Section, const String& Ident,
                     const String& Value);

}  // namespace vlm
