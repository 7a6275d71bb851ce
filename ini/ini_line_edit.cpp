// ini/ini_line_edit.cpp -- one key set in an INI text, every other line kept.
#include "ini/ini_line_edit.h"

#include "ini/ini_text.h"
#include "runtime/upper_case.h"

namespace vlm {

namespace {

bool SameName(StringView A, StringView B) {
  return A.size() == B.size() && UpperCase(A) == UpperCase(B);
}

// The trimmed name of a key line, or nothing when the line is not a key.
bool KeyName(StringView Line, String& Name) {
  const size_t Equals = Line.find(u'=');
  if (Equals == StringView::npos) return false;
  Name = TrimIniText(Line.substr(0, Equals));
  return true;
}

}  // namespace

void WriteKeyInPlace(TStringList& Lines, const String& Section, const String& Ident,
                     const String& Value) {
  // The last section of the name: where it starts, where its last meaningful line is, and the
  // last line of the key inside it.
  int Header = -1, LastLine = -1, Key = -1;
  bool InSection = false;
  for (int I = 0; I < Lines.Count(); ++I) {
    const String Line = TrimIniText(Lines.Strings(I));
    if (IsIniSilentLine(Line)) continue;
    if (IsIniSectionHeader(Line)) {
      InSection = SameName(IniSectionName(Line), Section);
      if (InSection) Header = LastLine = I, Key = -1;
      continue;
    }
    if (!InSection) continue;
    LastLine = I;
    String Name;
    if (KeyName(Line, Name) && SameName(Name, Ident)) Key = I;
  }
  const String NewLine = Ident + u"=" + Value;
  if (Key >= 0) {
    Lines.Put(Key, NewLine);
  } else if (Header >= 0) {
    Lines.Insert(LastLine + 1, NewLine);
  } else {
    if (Lines.Count() > 0 && !TrimIniText(Lines.Strings(Lines.Count() - 1)).empty())
      Lines.Add(String());
    Lines.Add(u"[" + Section + u"]");
    Lines.Add(NewLine);
  }
}

}  // namespace vlm
