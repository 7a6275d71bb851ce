// ini/mem_ini_file.h -- an INI file held in memory: read once, changed in memory, written on
// request. The file is read when the object is created (a missing file gives an empty INI), every
// change stays in memory, and only UpdateFile writes, replacing the whole file. Releasing the
// object writes nothing.
//
// Reading rules, one line at a time: the line is trimmed of every character at or below U+0020;
// empty lines and lines beginning with ";" are skipped; "[name]" starts a new section (the name
// trimmed again; empty and repeated names allowed); other lines before the first section are
// dropped; inside a section a line with "=" is stored as trimmed name "=" trimmed value, any
// other line as it stands (a plain line, kept and written back but never read as a key).
// Written form: per section "[name]", its lines, one empty line; CR LF after every line; the ANSI
// code page without a byte-order mark.
//
// Lookups by name find the last occurrence: reads, writes and deletions act on the last section
// of a name and, inside it, on the last line of a key name.
#pragma once

#include <memory>
#include <vector>

#include "ini/custom_ini_file.h"
#include "ini/hashed_string_list.h"

namespace vlm {

class TMemIniFile : public TCustomIniFile {
public:
  // Loads FileName when it names an existing file. Raises EFOpenError ("Cannot open file "%s".
  // %s") when the file exists but cannot be read.
  explicit TMemIniFile(const String& FileName);
  // Frees all section lists; writes nothing.
  ~TMemIniFile() override;

  String ReadString(const String& Section, const String& Ident,
                    const String& Default) const override;
  // The line becomes Ident "=" Value, both unchanged; an existing key line of that name (any
  // letter case unless CaseSensitive) is replaced, else the line is appended to the section.
  void WriteString(const String& Section, const String& Ident, const String& Value) override;
  void ReadSection(const String& Section, TStringList& Strings) const override;
  // Each entry carries its section's line list as attached object; this INI keeps owning it.
  void ReadSections(TStringList& Strings) const override;
  void ReadSectionValues(const String& Section, TStringList& Strings) const override;
  // Removes the last section of that name with its lines; earlier ones of the name stay.
  void EraseSection(const String& Section) override;
  void DeleteKey(const String& Section, const String& Ident) override;
  // Creates or replaces FileName with the written form. Raises EFCreateError ("Cannot create file
  // "%s". %s") when it cannot be created.
  void UpdateFile() override;

  // Removes all sections.
  void Clear();
  // Appends the written form, line by line, to List (without clearing it first).
  void GetStrings(TStringList& List) const;
  // Replaces all sections by the result of the reading rules applied to List's strings.
  void SetStrings(const TStringList& List);
  // Changes FileName; with Reload, replaces the content by that file's (or empties it when the
  // file does not exist).
  void Rename(const String& FileName, bool Reload);

  // The matching rule for section and key names (false: without regard to letter case).
  bool CaseSensitive() const { return FSections.CaseSensitive(); }
  void SetCaseSensitive(bool Value);

protected:
  // Loads FileName as described at the constructor.
  void ReloadValues();
  // One line of text read by the rules above into the sections; Current is the section being
  // filled (null before the first).
  void ReadLine(String&& Line, THashedStringList*& Current);
  // Appends a new, empty section named Section (with the current case sensitivity) and returns
  // its line list.
  THashedStringList& AppendSection(const String& Section);

private:
  // The line list of the last section named Section, or none.
  THashedStringList* FindSection(const String& Section) const;
  THashedStringList& SectionAt(int Index) const;

  // Section names; entry i carries section i's line list as attached object. The list itself
  // does not own those objects: FSectionLists does.
  THashedStringList FSections;
  std::vector<std::unique_ptr<THashedStringList>> FSectionLists;
};

}  // namespace vlm
