// tests/ini/ini_line_edit_test.cpp -- one key set in an INI text in place: which line changes or
// where the new one goes, every other line kept, and the result read back by TMemIniFile.
#include "ini/ini_line_edit.h"

#include <gtest/gtest.h>

#include "ini/mem_ini_file.h"

namespace vlm {
namespace {

struct EditCase {
  const char16_t* Name;
  String Before;  // lines joined by CR LF
  String After;
};

const String kSeal =
    u"; descriptor\r\n[vlmv2menu]\r\nURL=http://h/p.pkg\r\n\r\n[Server]\r\nName=x\r\n";

const EditCase kCases[] = {
    {u"added after the section's last line, before its blank line and the next section", kSeal,
     u"; descriptor\r\n[vlmv2menu]\r\nURL=http://h/p.pkg\r\nSize=7\r\n\r\n[Server]\r\nName=x\r\n"},
    {u"an existing key's line replaced, whatever its spacing and letter case",
     u"[vlmv2menu]\r\n  size = 1 \r\n; Size=2\r\nURL=u\r\n",
     u"[vlmv2menu]\r\nSize=7\r\n; Size=2\r\nURL=u\r\n"},
    {u"of a repeated key, the last line (the one read)", u"[vlmv2menu]\r\nSize=1\r\nSize=2\r\n",
     u"[vlmv2menu]\r\nSize=1\r\nSize=7\r\n"},
    {u"of a repeated section, the last one (the one read)",
     u"[vlmv2menu]\r\nA=1\r\n[VLMV2MENU]\r\nB=2\r\n[Other]\r\nC=3\r\n",
     u"[vlmv2menu]\r\nA=1\r\n[VLMV2MENU]\r\nB=2\r\nSize=7\r\n[Other]\r\nC=3\r\n"},
    {u"a key of another section left alone", u"[Other]\r\nSize=1\r\n[vlmv2menu]\r\n",
     u"[Other]\r\nSize=1\r\n[vlmv2menu]\r\nSize=7\r\n"},
    {u"a missing section appended after a blank line", u"[Other]\r\nA=1\r\n",
     u"[Other]\r\nA=1\r\n\r\n[vlmv2menu]\r\nSize=7\r\n"},
    {u"an empty text", u"", u"[vlmv2menu]\r\nSize=7\r\n"},
};

TEST(WriteKeyInPlace, ChangesOnlyTheKeysLine) {
  for (const EditCase& C : kCases) {
    SCOPED_TRACE(StringToUtf8(C.Name));
    TStringList Lines;
    Lines.SetText(C.Before);
    WriteKeyInPlace(Lines, u"vlmv2menu", u"Size", u"7");
    EXPECT_EQ(StringToUtf8(Lines.Text()), StringToUtf8(C.After));
    TMemIniFile Ini(String{});
    Ini.SetStrings(Lines);
    EXPECT_EQ(Ini.ReadString(u"vlmv2menu", u"Size", u"?"), u"7");
  }
}

}  // namespace
}  // namespace vlm
