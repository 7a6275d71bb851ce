// ini/mem_ini_file.cpp -- the in-memory INI file: reading rules, lookups, written form.
#include "ini/mem_ini_file.h"

#include <algorithm>

#include "ini/ini_text.h"
#include "runtime/file_stream.h"
#include "runtime/file_system.h"

namespace vlm {

TMemIniFile::TMemIniFile(const String& FileName) : TCustomIniFile(FileName) {
  ReloadValues();
}

TMemIniFile::~TMemIniFile() = default;

THashedStringList& TMemIniFile::SectionAt(int Index) const {
  return *static_cast<THashedStringList*>(FSections.Objects(Index));
}

THashedStringList* TMemIniFile::FindSection(const String& Section) const {
  const int Index = FSections.IndexOf(Section);
  return Index < 0 ? nullptr : &SectionAt(Index);
}

THashedStringList& TMemIniFile::AppendSection(const String& Section) {
  auto Lines = std::make_unique<THashedStringList>();
  Lines->SetCaseSensitive(FSections.CaseSensitive());
  THashedStringList& Result = *Lines;
  // Owned before it is published: if adding the entry fails, the list is still freed.
  FSectionLists.push_back(std::move(Lines));
  FSections.AddObject(Section, &Result);
  return Result;
}

void TMemIniFile::Clear() {
  FSections.Clear();  // first, so that no entry refers to a freed list
  FSectionLists.clear();
}

void TMemIniFile::SetCaseSensitive(bool Value) {
  if (Value == FSections.CaseSensitive()) return;
  FSections.SetCaseSensitive(Value);
  FSections.MarkHashesStale();
  for (const auto& Lines : FSectionLists) {
    Lines->SetCaseSensitive(Value);
    Lines->MarkHashesStale();
  }
}

void TMemIniFile::ReloadValues() {
  if (FFileName.empty() || !FileExists(FFileName)) {
    Clear();
    return;
  }
  // The file's lines are read one at a time, as the string list would read them: a line the
  // rules drop (a comment, a line before the first section) is never kept.
  Clear();
  THashedStringList* Current = nullptr;
  std::string Bytes;
  {
    TFileStream File(FFileName, fmOpenRead | fmShareDenyWrite);
    Bytes = ReadRestOfStream(File);
  }
  ForEachTextLine(Bytes, [&](String&& Line) { ReadLine(std::move(Line), Current); });
}

void TMemIniFile::SetStrings(const TStringList& List) {
  Clear();
  THashedStringList* Current = nullptr;
  for (int I = 0; I < List.Count(); ++I) ReadLine(String(List.Strings(I)), Current);
}

void TMemIniFile::ReadLine(String&& Line, THashedStringList*& Current) {
  TrimIniTextInPlace(Line);
  if (IsIniSilentLine(Line)) return;
  if (IsIniSectionHeader(Line)) {
    Current = &AppendSection(IniSectionName(Line));
    return;
  }
  if (Current == nullptr) return;  // lines before the first section are dropped
  const size_t Equals = Line.find(u'=');
  if (Equals == String::npos) {
    Current->Add(std::move(Line));
    return;
  }
  // name "=" value, each trimmed; a line that is so already (the line's own ends are trimmed)
  // is kept as it is, not copied.
  const bool NameTrimmed = Equals == 0 || Line[Equals - 1] > u' ';
  const bool ValueTrimmed = Equals + 1 == Line.size() || Line[Equals + 1] > u' ';
  if (NameTrimmed && ValueTrimmed) {
    Current->Add(std::move(Line));
    return;
  }
  const String Name = TrimIniText(StringView(Line).substr(0, Equals));
  Current->Add(Name + u"=" + TrimIniText(StringView(Line).substr(Equals + 1)));
}

void TMemIniFile::GetStrings(TStringList& List) const {
  for (int I = 0; I < FSections.Count(); ++I) {
    List.Add(u"[" + FSections.Strings(I) + u"]");
    const THashedStringList& Lines = SectionAt(I);
    for (int J = 0; J < Lines.Count(); ++J) List.Add(Lines.Strings(J));
    List.Add(String());
  }
}

void TMemIniFile::Rename(const String& FileName, bool Reload) {
  FFileName = FileName;
  if (Reload) ReloadValues();
}

String TMemIniFile::ReadString(const String& Section, const String& Ident,
                               const String& Default) const {
  const THashedStringList* Lines = FindSection(Section);
  if (Lines == nullptr) return Default;
  const int Index = Lines->IndexOfName(Ident);
  if (Index < 0) return Default;
  // The name matched Ident, and folding keeps lengths, so the value starts after Ident and "=".
  return Lines->Strings(Index).substr(Ident.size() + 1);
}

void TMemIniFile::WriteString(const String& Section, const String& Ident, const String& Value) {
  THashedStringList* Lines = FindSection(Section);
  if (Lines == nullptr) Lines = &AppendSection(Section);
  const String Line = Ident + u"=" + Value;
  const int Index = Lines->IndexOfName(Ident);
  if (Index >= 0) {
    Lines->Put(Index, Line);
  } else {
    Lines->Add(Line);
  }
}

void TMemIniFile::ReadSection(const String& Section, TStringList& Strings) const {
  Strings.Clear();
  const THashedStringList* Lines = FindSection(Section);
  if (Lines == nullptr) return;
  for (int I = 0; I < Lines->Count(); ++I) Strings.Add(Lines->Names(I));
}

void TMemIniFile::ReadSections(TStringList& Strings) const {
  Strings.Assign(FSections);
}

void TMemIniFile::ReadSectionValues(const String& Section, TStringList& Strings) const {
  Strings.Clear();
  const THashedStringList* Lines = FindSection(Section);
  if (Lines != nullptr) Strings.Assign(*Lines);
}

void TMemIniFile::EraseSection(const String& Section) {
  const int Index = FSections.IndexOf(Section);
  if (Index < 0) return;
  const TObject* Lines = FSections.Objects(Index);
  FSections.Delete(Index);
  const auto Owned = std::find_if(FSectionLists.begin(), FSectionLists.end(),
                                  [&](const auto& Entry) { return Entry.get() == Lines; });
  if (Owned != FSectionLists.end()) FSectionLists.erase(Owned);
}

void TMemIniFile::DeleteKey(const String& Section, const String& Ident) {
  THashedStringList* Lines = FindSection(Section);
  if (Lines == nullptr) return;
  const int Index = Lines->IndexOfName(Ident);
  if (Index >= 0) Lines->Delete(Index);
}

void TMemIniFile::UpdateFile() {
  TStringList List;
  GetStrings(List);
  List.SaveToFile(FFileName);
}

}  // namespace vlm
