// tests/fuzz/ini_fuzz.cpp -- fuzz target: arbitrary bytes read as an INI file must load without
// fault, and the written form must load back into the same sections, lines and values.
// Built by scripts/fuzz_ini.sh with clang's libFuzzer, AddressSanitizer and UBSan.
//
// The first byte chooses the case sensitivity of both INI objects; the rest is the file's bytes
// (any encoding: a byte-order mark selects UTF-8 or UTF-16, else the ANSI code page).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "ini/mem_ini_file.h"
#include "runtime/memory_stream.h"
#include "runtime/string_list.h"

namespace vlm {
namespace {

[[noreturn]] void Mismatch(const char* What, const String& Detail) {
  std::fprintf(stderr, "round-trip mismatch: %s: %s\n", What, StringToUtf8(Detail).c_str());
  std::abort();
}

void CheckSameLists(const char* What, const TStringList& A, const TStringList& B) {
  if (A.Count() != B.Count()) Mismatch(What, u"count differs");
  for (int I = 0; I < A.Count(); ++I) {
    if (A.Strings(I) != B.Strings(I)) Mismatch(What, A.Strings(I) + u" <> " + B.Strings(I));
  }
}

// Every section, by position, holds the same lines in both INI objects; every name lookup
// (which finds the last occurrence) gives the same value in both.
void CheckSameContent(const TMemIniFile& First, const TMemIniFile& Second) {
  TStringList SectionsA, SectionsB;
  First.ReadSections(SectionsA);
  Second.ReadSections(SectionsB);
  CheckSameLists("section names", SectionsA, SectionsB);
  for (int I = 0; I < SectionsA.Count(); ++I) {
    const auto& LinesA = *static_cast<const TStringList*>(SectionsA.Objects(I));
    const auto& LinesB = *static_cast<const TStringList*>(SectionsB.Objects(I));
    CheckSameLists("section lines", LinesA, LinesB);
    const String& Section = SectionsA.Strings(I);
    for (int J = 0; J < LinesA.Count(); ++J) {
      const String Name = LinesA.Names(J);
      const String ValueA = First.ReadString(Section, Name, u"\uFFFF<none>");
      const String ValueB = Second.ReadString(Section, Name, u"\uFFFF<none>");
      if (ValueA == u"\uFFFF<none>") continue;  // a plain line: nothing to read
      if (ValueA != ValueB) Mismatch("value", Section + u"/" + Name);
      // The typed readers must cope with any stored text.
      First.ReadInteger(Section, Name, 0);
      First.ReadFloat(Section, Name, 0);
      First.ReadDateTime(Section, Name, 0);
      TMemoryStream Binary;
      const int64_t Decoded = First.ReadBinaryStream(Section, Name, Binary);
      const int64_t Expected = static_cast<int64_t>(ValueA.size() / 2);
      if (!ValueA.empty() && Decoded != Expected) Mismatch("binary size", Section + u"/" + Name);
    }
  }
}

}  // namespace
}  // namespace vlm

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  using namespace vlm;
  if (Size == 0) return 0;
  const bool CaseSensitive = (Data[0] & 1) != 0;

  TMemoryStream Input;
  Input.WriteBuffer(Data + 1, static_cast<int64_t>(Size - 1));
  Input.SetPosition(0);
  TStringList Text;
  Text.LoadFromStream(Input);

  TMemIniFile First(u"");
  First.SetCaseSensitive(CaseSensitive);
  First.SetStrings(Text);

  TStringList Written;
  First.GetStrings(Written);
  TMemIniFile Second(u"");
  Second.SetCaseSensitive(CaseSensitive);
  Second.SetStrings(Written);
  CheckSameContent(First, Second);

  // The written form is a fixed point: writing the reloaded INI gives the same lines.
  TStringList Rewritten;
  Second.GetStrings(Rewritten);
  CheckSameLists("written form", Written, Rewritten);
  return 0;
}
