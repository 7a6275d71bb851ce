// tests/ini/mem_ini_file_test.cpp -- the in-memory INI file: reading rules, lookups by name,
// the sections' operations, the written form and the file errors.
#include "ini/mem_ini_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "ini/ini_file.h"
#include "runtime/code_page.h"
#include "runtime/exception.h"
#include "runtime/file_stream.h"
#include "runtime/file_system.h"
#include "runtime/os_error.h"
#include "tests/support/temp_folder.h"

namespace vlm {
namespace {

using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

std::vector<String> Lines(const TStringList& List) {
  std::vector<String> Result;
  for (int I = 0; I < List.Count(); ++I) Result.push_back(List.Strings(I));
  return Result;
}

// The written form of an INI, as lines.
std::vector<String> Written(const TMemIniFile& Ini) {
  TStringList List;
  Ini.GetStrings(List);
  return Lines(List);
}

// An INI loaded from the given lines (no file involved).
void Load(TMemIniFile& Ini, std::initializer_list<const char16_t*> Text) {
  TStringList List;
  for (const char16_t* Line : Text) List.Add(Line);
  Ini.SetStrings(List);
}

std::vector<String> SectionNames(const TMemIniFile& Ini) {
  TStringList List;
  Ini.ReadSections(List);
  return Lines(List);
}

// ---- Reading rules -------------------------------------------------------------------------

TEST(TMemIniFile, DropsCommentsEmptyLinesAndLinesBeforeTheFirstSection) {
  TMemIniFile Ini(u"");
  Load(Ini, {u"orphan=1", u"; leading comment", u"[main]", u"", u"   ; indented comment", u"\t",
             u"key=value", u";key2=hidden"});
  EXPECT_EQ(Written(Ini), (std::vector<String>{u"[main]", u"key=value", u""}));
  EXPECT_EQ(Ini.ReadString(u"main", u"key2", u"none"), u"none");
}

TEST(TMemIniFile, KeepsHashLinesAndOtherPlainLinesInTheirSection) {
  TMemIniFile Ini(u"");
  Load(Ini, {u"[s]", u"# not a comment", u"  plain text  ", u"[a] ;c"});
  EXPECT_EQ(Written(Ini),
            (std::vector<String>{u"[s]", u"# not a comment", u"plain text", u"[a] ;c", u""}));
  EXPECT_EQ(SectionNames(Ini), (std::vector<String>{u"s"}));  // "[a] ;c" is no header
}

TEST(TMemIniFile, TrimsHeadersNamesAndValuesOfBlanksAndControlCharacters) {
  TMemIniFile Ini(u"");
  Load(Ini, {u"  [  Main Section\t]  ", u" \tkey one \t=\t value one \x01", u"\x1F[x]\x7F"});
  EXPECT_EQ(SectionNames(Ini), (std::vector<String>{u"Main Section"}));
  EXPECT_EQ(Ini.ReadString(u"Main Section", u"key one", u""), u"value one");
  // U+007F is above U+0020 and is kept; the line is not a header then.
  EXPECT_EQ(Written(Ini),
            (std::vector<String>{u"[Main Section]", u"key one=value one", u"[x]\x7F", u""}));
}

TEST(TMemIniFile, SplitsAKeyLineAtTheFirstEqualsOnly) {
  TMemIniFile Ini(u"");
  Load(Ini, {u"[s]", u"url = http://h/p?a=1&b=2 ", u"empty =", u"=no name"});
  EXPECT_EQ(Ini.ReadString(u"s", u"url", u""), u"http://h/p?a=1&b=2");
  EXPECT_EQ(Ini.ReadString(u"s", u"empty", u"default"), u"");  // present but empty
  EXPECT_EQ(Ini.ReadString(u"s", u"missing", u"default"), u"default");
  EXPECT_EQ(Ini.ReadString(u"s", u"", u"default"), u"no name");
}

TEST(TMemIniFile, AcceptsEmptyAndRepeatedSectionNames) {
  TMemIniFile Ini(u"");
  Load(Ini, {u"[]", u"a=1", u"[ ]", u"a=2", u"[s]", u"[s]", u"b=3"});
  EXPECT_EQ(SectionNames(Ini), (std::vector<String>{u"", u"", u"s", u"s"}));
  EXPECT_EQ(Ini.ReadString(u"", u"a", u""), u"2");
  EXPECT_EQ(Ini.ReadString(u"s", u"b", u""), u"3");
}

TEST(TMemIniFile, FindsTheLastSectionOfANameRegardlessOfCase) {
  TMemIniFile Ini(u"");
  Load(Ini, {u"[a]", u"x = 1", u"[A]", u"x=2"});
  EXPECT_EQ(Ini.ReadString(u"a", u"X", u""), u"2");
  EXPECT_EQ(SectionNames(Ini), (std::vector<String>{u"a", u"A"}));
  EXPECT_EQ(Written(Ini), (std::vector<String>{u"[a]", u"x=1", u"", u"[A]", u"x=2", u""}));
}

TEST(TMemIniFile, MatchesNonAsciiNamesWithoutRegardToCase) {
  TMemIniFile Ini(u"");
  Load(Ini, {u"[Äpfel]", u"Größe=groß", u"Ölpreis=3"});
  EXPECT_EQ(Ini.ReadString(u"äPFEL", u"GRÖßE", u""), u"groß");
  EXPECT_EQ(Ini.ReadString(u"ÄPFEL", u"ölPREIS", u""), u"3");
  EXPECT_TRUE(Ini.SectionExists(u"äpfel"));
  EXPECT_TRUE(Ini.ValueExists(u"äpfel", u"ÖLPREIS"));
}

TEST(TMemIniFile, CaseSensitiveSeparatesNamesAndCanBeSwitchedBack) {
  TMemIniFile Ini(u"");
  Load(Ini, {u"[a]", u"Key=lower section", u"[A]", u"key=upper section"});
  ASSERT_EQ(Ini.ReadString(u"a", u"KEY", u""), u"upper section");  // builds the hashes
  Ini.SetCaseSensitive(true);
  EXPECT_TRUE(Ini.CaseSensitive());
  EXPECT_EQ(Ini.ReadString(u"a", u"Key", u""), u"lower section");
  EXPECT_EQ(Ini.ReadString(u"a", u"key", u"-"), u"-");
  EXPECT_EQ(Ini.ReadString(u"A", u"key", u""), u"upper section");
  // New sections follow the current rule.
  Ini.WriteString(u"N", u"k", u"1");
  EXPECT_EQ(Ini.ReadString(u"n", u"k", u"-"), u"-");
  EXPECT_EQ(Ini.ReadString(u"N", u"K", u"-"), u"-");
  Ini.SetCaseSensitive(false);
  EXPECT_EQ(Ini.ReadString(u"n", u"K", u"-"), u"1");
  EXPECT_EQ(Ini.ReadString(u"a", u"KEY", u""), u"upper section");
}

// ---- Changes ---------------------------------------------------------------------------------

TEST(TMemIniFile, WriteStringAppendsKeysAndSectionsInOrder) {
  TMemIniFile Ini(u"");
  Ini.WriteString(u"s", u"b", u"2");
  Ini.WriteString(u"t", u"a", u"1");
  Ini.WriteString(u"s", u"a", u" spaced ");  // stored unchanged
  EXPECT_EQ(Written(Ini),
            (std::vector<String>{u"[s]", u"b=2", u"a= spaced ", u"", u"[t]", u"a=1", u""}));
  EXPECT_EQ(Ini.ReadString(u"s", u"a", u""), u" spaced ");
}

TEST(TMemIniFile, WriteStringReplacesTheLastKeyLineAndTakesTheCallersCase) {
  TMemIniFile Ini(u"");
  Load(Ini, {u"[s]", u"Key=1", u"other=x", u"KEY=2"});
  Ini.WriteString(u"S", u"key", u"3");
  EXPECT_EQ(Written(Ini), (std::vector<String>{u"[s]", u"Key=1", u"other=x", u"key=3", u""}));
}

TEST(TMemIniFile, WritesIntoTheLastSectionOfAName) {
  TMemIniFile Ini(u"");
  Load(Ini, {u"[s]", u"a=1", u"[S]", u"b=2"});
  Ini.WriteString(u"s", u"a", u"new");
  EXPECT_EQ(Written(Ini),
            (std::vector<String>{u"[s]", u"a=1", u"", u"[S]", u"b=2", u"a=new", u""}));
}

TEST(TMemIniFile, EraseSectionRemovesOnlyTheLastOfItsName) {
  TMemIniFile Ini(u"");
  Load(Ini, {u"[s]", u"a=1", u"[t]", u"b=2", u"[S]", u"c=3"});
  Ini.EraseSection(u"s");
  EXPECT_EQ(Written(Ini), (std::vector<String>{u"[s]", u"a=1", u"", u"[t]", u"b=2", u""}));
  Ini.EraseSection(u"s");
  Ini.EraseSection(u"missing");
  EXPECT_EQ(SectionNames(Ini), (std::vector<String>{u"t"}));
  EXPECT_EQ(Ini.ReadString(u"t", u"b", u""), u"2");
  Ini.WriteString(u"s", u"again", u"1");  // a fresh section after the erased ones
  EXPECT_EQ(SectionNames(Ini), (std::vector<String>{u"t", u"s"}));
}

TEST(TMemIniFile, DeleteKeyRemovesTheLastLineOfTheName) {
  TMemIniFile Ini(u"");
  Load(Ini, {u"[s]", u"k=1", u"plain", u"K=2"});
  Ini.DeleteKey(u"s", u"k");
  EXPECT_EQ(Written(Ini), (std::vector<String>{u"[s]", u"k=1", u"plain", u""}));
  Ini.DeleteKey(u"s", u"plain");  // plain lines have no name
  Ini.DeleteKey(u"missing", u"k");
  EXPECT_EQ(Written(Ini), (std::vector<String>{u"[s]", u"k=1", u"plain", u""}));
  Ini.DeleteKey(u"S", u"K");
  EXPECT_EQ(Written(Ini), (std::vector<String>{u"[s]", u"plain", u""}));
}

TEST(TMemIniFile, ReadSectionGivesNamesAndEmptyStringsForPlainLines) {
  TMemIniFile Ini(u"");
  Load(Ini, {u"[s]", u"a=1", u"plain", u"b=x=y"});
  TStringList Names;
  Names.Add(u"stale");
  Ini.ReadSection(u"S", Names);
  EXPECT_EQ(Lines(Names), (std::vector<String>{u"a", u"", u"b"}));
  Ini.ReadSection(u"missing", Names);
  EXPECT_EQ(Names.Count(), 0);
}

TEST(TMemIniFile, ReadSectionValuesCopiesTheLines) {
  TMemIniFile Ini(u"");
  Load(Ini, {u"[s]", u"a=1", u"plain"});
  TStringList Values;
  Values.Add(u"stale");
  Ini.ReadSectionValues(u"s", Values);
  EXPECT_EQ(Lines(Values), (std::vector<String>{u"a=1", u"plain"}));
  Values.Put(0, u"a=changed");  // a copy: the INI keeps its own line
  EXPECT_EQ(Ini.ReadString(u"s", u"a", u""), u"1");
  Ini.ReadSectionValues(u"missing", Values);
  EXPECT_EQ(Values.Count(), 0);
}

TEST(TMemIniFile, ReadSectionsAttachesEachSectionsLineList) {
  TMemIniFile Ini(u"");
  Load(Ini, {u"[s]", u"a=1", u"[s]", u"b=2"});
  TStringList Sections;
  Sections.Add(u"stale");
  Ini.ReadSections(Sections);
  ASSERT_EQ(Lines(Sections), (std::vector<String>{u"s", u"s"}));
  const auto* Second = dynamic_cast<const TStringList*>(Sections.Objects(1));
  ASSERT_NE(Second, nullptr);
  EXPECT_EQ(Lines(*Second), (std::vector<String>{u"b=2"}));
}

TEST(TMemIniFile, SectionExistsNeedsAtLeastOneLine) {
  TMemIniFile Ini(u"");
  Load(Ini, {u"[empty]", u"[plain]", u"text"});
  EXPECT_FALSE(Ini.SectionExists(u"empty"));
  EXPECT_TRUE(Ini.SectionExists(u"PLAIN"));
  EXPECT_FALSE(Ini.SectionExists(u"missing"));
}

TEST(TMemIniFile, ValueExistsComparesNamesWithoutRegardToCaseEvenWhenCaseSensitive) {
  TMemIniFile Ini(u"");
  Load(Ini, {u"[s]", u"Key=", u"plain"});
  EXPECT_TRUE(Ini.ValueExists(u"s", u"KEY"));  // an empty value still exists
  EXPECT_FALSE(Ini.ValueExists(u"s", u"other"));
  EXPECT_FALSE(Ini.ValueExists(u"missing", u"Key"));
  Ini.SetCaseSensitive(true);
  EXPECT_TRUE(Ini.ValueExists(u"s", u"KEY"));
  EXPECT_FALSE(Ini.ValueExists(u"S", u"Key"));  // the section itself is matched by the rule
}

TEST(TMemIniFile, ClearRemovesAllSections) {
  TMemIniFile Ini(u"");
  Load(Ini, {u"[a]", u"x=1", u"[b]", u"y=2"});
  Ini.Clear();
  EXPECT_TRUE(SectionNames(Ini).empty());
  EXPECT_EQ(Ini.ReadString(u"a", u"x", u"-"), u"-");
}

TEST(TMemIniFile, GetStringsAppendsAndSetStringsReplaces) {
  TMemIniFile Ini(u"");
  Load(Ini, {u"[a]", u"x=1"});
  TStringList List;
  List.Add(u"before");
  Ini.GetStrings(List);
  EXPECT_EQ(Lines(List), (std::vector<String>{u"before", u"[a]", u"x=1", u""}));
  Load(Ini, {u"[b]", u"y=2"});
  EXPECT_EQ(SectionNames(Ini), (std::vector<String>{u"b"}));
}

// ---- Files -----------------------------------------------------------------------------------

TEST(TMemIniFile, MissingFileOrEmptyNameGivesAnEmptyIni) {
  TempFolder Folder;
  TMemIniFile Missing(Folder.File("absent.ini"));
  EXPECT_TRUE(SectionNames(Missing).empty());
  EXPECT_EQ(Missing.FileName(), Folder.File("absent.ini"));
  TMemIniFile Unnamed(u"");
  EXPECT_TRUE(SectionNames(Unnamed).empty());
}

TEST(TIniFile, WritesTheThreeLineDeploymentRecordExactly) {
  TempFolder Folder;
  const String Name = Folder.File("deploy.vlm");
  TIniFile Ini(Name);
  Ini.WriteString(u"Packages", u"PackageList", u"vlmv2menu");
  Ini.UpdateFile();
  EXPECT_EQ(ReadBytes(Folder.Path() / "deploy.vlm"), "[Packages]\r\nPackageList=vlmv2menu\r\n\r\n");
}

TEST(TIniFile, WritesTheSixLineDeploymentRecordExactly) {
  TempFolder Folder;
  const String Name = Folder.File("local.vlm");
  TIniFile Ini(Name);
  Ini.WriteString(u"Packages", u"PackageList", u"vlmv2menu");
  Ini.WriteString(u"vlmv2menu", u"Release", u"2.0.1.7");
  Ini.UpdateFile();
  EXPECT_EQ(ReadBytes(Folder.Path() / "local.vlm"),
            "[Packages]\r\nPackageList=vlmv2menu\r\n\r\n[vlmv2menu]\r\nRelease=2.0.1.7\r\n\r\n");
}

TEST(TIniFile, ReadsAFileOnceAndWritesNothingUntilUpdateFile) {
  TempFolder Folder;
  const auto Path = Folder.Path() / "a.ini";
  WriteBytes(Path, "[s]\r\nk=1\r\n");
  {
    TIniFile Ini(Folder.File("a.ini"));
    WriteBytes(Path, "[s]\r\nk=changed on disk\r\n");
    EXPECT_EQ(Ini.ReadString(u"s", u"k", u""), u"1");  // read at creation only
    Ini.WriteString(u"s", u"k", u"2");
  }  // released without UpdateFile
  EXPECT_EQ(ReadBytes(Path), "[s]\r\nk=changed on disk\r\n");
  {
    TIniFile Unsaved(Folder.File("new.ini"));
    Unsaved.WriteString(u"s", u"k", u"v");
  }
  EXPECT_FALSE(std::filesystem::exists(Folder.Path() / "new.ini"));
}

TEST(TMemIniFile, UpdateFileReplacesTheWholeFileAndDropsComments) {
  TempFolder Folder;
  const auto Path = Folder.Path() / "a.ini";
  WriteBytes(Path, "junk before\n; comment\n[s]\nk = v\n\n\n# kept\n[t]\r" + std::string(200, 'x'));
  TMemIniFile Ini(Folder.File("a.ini"));
  Ini.UpdateFile();
  EXPECT_EQ(ReadBytes(Path),
            "[s]\r\nk=v\r\n# kept\r\n\r\n[t]\r\n" + std::string(200, 'x') + "\r\n\r\n");
  Ini.EraseSection(u"t");
  Ini.UpdateFile();  // any number of times; a shorter text leaves nothing of the longer one
  EXPECT_EQ(ReadBytes(Path), "[s]\r\nk=v\r\n# kept\r\n\r\n");
}

TEST(TMemIniFile, ReadsUtf8WithByteOrderMarkAndWritesAnsiWithoutIt) {
  TempFolder Folder;
  const auto Path = Folder.Path() / "u8.ini";
  WriteBytes(Path, "\xEF\xBB\xBF[Gr\xC3\xBC\xC3\x9F\x65]\r\nK\xC3\xA4se=\xC3\xA9t\xC3\xA9\r\n");
  TMemIniFile Ini(Folder.File("u8.ini"));
  EXPECT_EQ(Ini.ReadString(u"GRÜßE", u"KÄSE", u""), u"été");
  Ini.UpdateFile();
  const std::string Bytes = ReadBytes(Path);
  EXPECT_EQ(Bytes, StringToAnsi(u"[Grüße]\r\nKäse=été\r\n\r\n"));
  EXPECT_NE(Bytes.substr(0, 3), "\xEF\xBB\xBF");
  if (AnsiCodePage() == 1252) {
    EXPECT_EQ(Bytes, "[Gr\xFC\xDF\x65]\r\nK\xE4se=\xE9t\xE9\r\n\r\n");
  }
  // Read back in the ANSI code page, the text is the same where that code page holds it.
  if (AnsiToString(StringToAnsi(u"Grüße Käse été")) != u"Grüße Käse été") return;
  TMemIniFile Again(Folder.File("u8.ini"));
  EXPECT_EQ(Again.ReadString(u"Grüße", u"Käse", u""), u"été");
}

TEST(TMemIniFile, ReadsUtf16FilesOfEitherByteOrder) {
  TempFolder Folder;
  const String Text = u"[Äpfel]\r\nkey=Ω\nnext=1\r";
  std::string Little = "\xFF\xFE", Big = "\xFE\xFF";
  for (const char16_t Unit : Text) {
    Little += static_cast<char>(Unit & 0xFF);
    Little += static_cast<char>(Unit >> 8);
    Big += static_cast<char>(Unit >> 8);
    Big += static_cast<char>(Unit & 0xFF);
  }
  WriteBytes(Folder.Path() / "le.ini", Little);
  WriteBytes(Folder.Path() / "be.ini", Big);
  for (const char* Name : {"le.ini", "be.ini"}) {
    TMemIniFile Ini(Folder.File(Name));
    EXPECT_EQ(Ini.ReadString(u"äpfel", u"key", u""), u"Ω") << Name;
    EXPECT_EQ(Ini.ReadString(u"äpfel", u"next", u""), u"1") << Name;
  }
}

TEST(TMemIniFile, ReadsAnsiFilesWithoutByteOrderMark) {
  if (AnsiToString(StringToAnsi(u"Zürich")) != u"Zürich") {
    GTEST_SKIP() << "the ANSI code page " << AnsiCodePage() << " has no \"ü\"";
  }
  TempFolder Folder;
  WriteBytes(Folder.Path() / "ansi.ini", StringToAnsi(u"[Zürich]\r\nSee=Zürichsee\r\n"));
  TMemIniFile Ini(Folder.File("ansi.ini"));
  EXPECT_EQ(Ini.ReadString(u"ZÜRICH", u"see", u""), u"Zürichsee");
}

TEST(TMemIniFile, RenameChangesTheFileNameAndReloadsOnRequest) {
  TempFolder Folder;
  WriteBytes(Folder.Path() / "one.ini", "[s]\r\nk=one\r\n");
  WriteBytes(Folder.Path() / "two.ini", "[s]\r\nk=two\r\n");
  TMemIniFile Ini(Folder.File("one.ini"));
  Ini.Rename(Folder.File("two.ini"), /*Reload=*/false);
  EXPECT_EQ(Ini.FileName(), Folder.File("two.ini"));
  EXPECT_EQ(Ini.ReadString(u"s", u"k", u""), u"one");
  Ini.Rename(Folder.File("two.ini"), /*Reload=*/true);
  EXPECT_EQ(Ini.ReadString(u"s", u"k", u""), u"two");
  Ini.Rename(Folder.File("absent.ini"), /*Reload=*/true);
  EXPECT_TRUE(SectionNames(Ini).empty());
  Ini.WriteString(u"s", u"k", u"three");
  Ini.UpdateFile();  // goes to the new name
  EXPECT_EQ(ReadBytes(Folder.Path() / "absent.ini"), "[s]\r\nk=three\r\n\r\n");
  EXPECT_EQ(ReadBytes(Folder.Path() / "two.ini"), "[s]\r\nk=two\r\n");
}

TEST(TMemIniFile, UpdateFileIntoAMissingFolderRaisesEFCreateError) {
  TempFolder Folder;
  const String Name = Folder.File("missing/sub/out.ini");
  TMemIniFile Ini(Name);
  Ini.WriteString(u"s", u"k", u"v");
  try {
    Ini.UpdateFile();
    FAIL() << "UpdateFile succeeded";
  } catch (const EFCreateError& E) {
    const String Prefix = u"Cannot create file \"" + ExpandFileName(Name) + u"\". ";
    ASSERT_EQ(E.Message().substr(0, Prefix.size()), Prefix);
    // Windows reports the missing folder as "path not found".
    EXPECT_EQ(E.Message().substr(Prefix.size()), SysErrorMessage(kErrorPathNotFound));
    EXPECT_STREQ(E.ClassName(), "EFCreateError");
  }
}

// A file that exists but that this process cannot open for reading, or "" when none can be made
// here. Locked is kept open exclusively while the test runs (Windows refuses a second opener);
// where locks do not bind other openers, a write-only kernel setting file is the fallback (even
// the superuser may not read one).
String UnreadableFile(const TempFolder& Folder, std::unique_ptr<TFileStream>& Locked) {
  auto CannotOpen = [](const String& Name) {
    try {
      TFileStream Probe(Name, fmOpenRead | fmShareDenyWrite);
      return false;
    } catch (const EFOpenError&) {
      return true;
    }
  };
  const String Name = Folder.File("locked.ini");
  WriteBytes(Folder.Path() / "locked.ini", "[s]\r\nk=v\r\n");
  Locked = std::make_unique<TFileStream>(Name, fmOpenReadWrite | fmShareExclusive);
  if (CannotOpen(Name)) return Name;
  Locked.reset();
  const String WriteOnly = u"/proc/sys/vm/compact_memory";
  if (FileExists(WriteOnly) && CannotOpen(WriteOnly)) return WriteOnly;
  return String();
}

TEST(TMemIniFile, ExistingFileThatCannotBeOpenedRaisesEFOpenError) {
  TempFolder Folder;
  std::unique_ptr<TFileStream> Lock;
  const String Name = UnreadableFile(Folder, Lock);
  if (Name.empty()) GTEST_SKIP() << "no unreadable file can be made on this machine";
  try {
    TMemIniFile Ini(Name);
    FAIL() << "loading succeeded";
  } catch (const EFOpenError& E) {
    const String Prefix = u"Cannot open file \"" + ExpandFileName(Name) + u"\". ";
    ASSERT_EQ(E.Message().substr(0, Prefix.size()), Prefix);
    EXPECT_GT(E.Message().size(), Prefix.size());  // followed by the platform's reason
    EXPECT_STREQ(E.ClassName(), "EFOpenError");
  }
  // Reloading by Rename meets the same error.
  TMemIniFile Other(u"");
  EXPECT_THROW(Other.Rename(Name, /*Reload=*/true), EFOpenError);
}

TEST(TMemIniFile, AFolderOfTheFileNameIsNoFileAndGivesAnEmptyIni) {
  TempFolder Folder;
  std::filesystem::create_directory(Folder.Path() / "dir.ini");
  TMemIniFile Ini(Folder.File("dir.ini"));
  EXPECT_TRUE(SectionNames(Ini).empty());
  Ini.WriteString(u"s", u"k", u"v");
  EXPECT_THROW(Ini.UpdateFile(), EFCreateError);
}

}  // namespace
}  // namespace vlm
