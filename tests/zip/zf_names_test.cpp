// tests/zip/zf_names_test.cpp -- decoding of entry names and comments (UTF-8 flag, Unicode path
// and comment fields, OEM by host system, the archive code page), the name index, and the view's
// handles that turn empty once their archive is reloaded or replaced.
#include <gtest/gtest.h>

#include <cctype>
#include <memory>

#include "archive_builder.h"
#include "runtime/code_page.h"
#include "runtime/upper_case.h"
#include "zip/zf_dir_entry.h"
#include "zip/zf_dir_hash_list.h"
#include "zip_test_support.h"

namespace vlm {
namespace {

using ziptest::BuildArchive;
using ziptest::RecordingWorker;
using ziptest::TestEntry;
using ziptest::UnicodeBlock;

constexpr uint16_t kDosMadeBy = 0x0014;   // host 0, version 20
constexpr uint16_t kUnixMadeBy = 0x0314;  // host 3

String NameOf(std::string Raw, uint16_t Flag, uint16_t MadeBy, std::string Extra = {},
              TZFEncodingSettings Settings = {}) {
  TZFIRec Rec(&Settings);
  Rec.SetRawForTesting(std::move(Raw), std::move(Extra), "", Flag, MadeBy);
  return Rec.FileName();
}

TZFEncodingOpts EncodingOf(std::string Raw, uint16_t Flag, uint16_t MadeBy, std::string Extra = {},
                           std::string Comment = {}) {
  TZFEncodingSettings Settings;
  TZFIRec Rec(&Settings);
  Rec.SetRawForTesting(std::move(Raw), std::move(Extra), std::move(Comment), Flag, MadeBy);
  return Rec.Encoded();
}

TEST(NameDecoding, OemNameFromDosHostAndUtf8FlagFallingBackToAnsi) {
  // 0x66 0x81: "f" and, in code page 437, u with diaeresis.
  EXPECT_EQ(NameOf("f\x81", 0, kDosMadeBy), DecodeCodePage(kCodePageOem, "f\x81"));
  EXPECT_EQ(EncodingOf("f\x81", 0, kDosMadeBy), zeoOEM);
  // The same bytes flagged UTF-8 are not valid UTF-8: the ANSI code page decodes them.
  EXPECT_EQ(NameOf("f\x81", 0x0800, kDosMadeBy), AnsiToString("f\x81"));
  EXPECT_EQ(EncodingOf("f\x81", 0x0800, kDosMadeBy), zeoUTF8);
}

TEST(NameDecoding, Utf8FlagDecodesValidUtf8) {
  EXPECT_EQ(NameOf("caf\xC3\xA9/\xE6\x97\xA5.txt", 0x0800, kUnixMadeBy), u"caf\u00E9\\\u65E5.txt");
  // Overlong forms and encoded surrogates are not valid UTF-8.
  EXPECT_EQ(NameOf("\xC0\xAF", 0x0800, kUnixMadeBy), AnsiToString("\xC0\xAF"));
  EXPECT_EQ(NameOf("\xED\xA0\x80", 0x0800, kUnixMadeBy), AnsiToString("\xED\xA0\x80"));
}

TEST(NameDecoding, HostSystemsChooseOemOrTheArchiveCodePage) {
  EXPECT_EQ(EncodingOf("x", 0, 0x00FF), zeoOEM);
  EXPECT_EQ(EncodingOf("x", 0, 0x0600), zeoOEM);  // OS/2 HPFS
  EXPECT_EQ(EncodingOf("x", 0, 0x06FF), zeoOEM);
  EXPECT_EQ(EncodingOf("x", 0, 0x0B32), zeoOEM);  // host 11, version 50
  EXPECT_EQ(EncodingOf("x", 0, 0x0B33), zeoNone);
  EXPECT_EQ(EncodingOf("x", 0, 0x0100), zeoNone);  // host 1
  EXPECT_EQ(EncodingOf("x", 0, kUnixMadeBy), zeoNone);
  // Host 3 names go through the ANSI code page; 0xE9 is e acute in 1252.
  EXPECT_EQ(NameOf("caf\xE9", 0, kUnixMadeBy), AnsiToString("caf\xE9"));
  TZFEncodingSettings Cp850;
  Cp850.Encoding_CP = 850;
  if (IsCodePageSupported(850)) {
    EXPECT_EQ(NameOf("caf\x82", 0, kUnixMadeBy, {}, Cp850), u"caf\u00E9");
  }
}

TEST(NameDecoding, UnicodePathFieldWinsWhenItsChecksumMatchesTheRawName) {
  const std::string Raw = "caf?.txt";
  const std::string Utf8 = "caf\xC3\xA9.txt";
  EXPECT_EQ(NameOf(Raw, 0, kDosMadeBy, UnicodeBlock(0x7075, Raw, Utf8)), u"caf\u00E9.txt");
  EXPECT_EQ(EncodingOf(Raw, 0, kDosMadeBy, UnicodeBlock(0x7075, Raw, Utf8)), zeoUPath);
  // A checksum of another name, a wrong version or invalid UTF-8 make the field count for nothing.
  EXPECT_EQ(NameOf(Raw, 0, kDosMadeBy, UnicodeBlock(0x7075, "other", Utf8)), u"caf?.txt");
  EXPECT_EQ(NameOf(Raw, 0, kDosMadeBy, UnicodeBlock(0x7075, Raw, Utf8, 2)), u"caf?.txt");
  EXPECT_EQ(EncodingOf(Raw, 0, kDosMadeBy, UnicodeBlock(0x7075, Raw, "\xFF")), zeoOEM);
  // A truncated block is never read.
  std::string Cut = UnicodeBlock(0x7075, Raw, Utf8);
  Cut.resize(Cut.size() - 3);
  EXPECT_EQ(NameOf(Raw, 0, kDosMadeBy, Cut), u"caf?.txt");
}

TEST(NameDecoding, UnicodeCommentFieldAloneSelectsUnicodeForTheEntry) {
  const std::string Comment = "r\xE9sum\xE9";
  const std::string Extra = UnicodeBlock(0x6375, Comment, "r\xC3\xA9sum\xC3\xA9");
  EXPECT_EQ(EncodingOf("plain.txt", 0, kDosMadeBy, Extra, Comment), zeoUPath);
  TZFEncodingSettings Settings;
  TZFIRec Rec(&Settings);
  Rec.SetRawForTesting("n\xE9.txt", Extra, Comment, 0, kDosMadeBy);
  EXPECT_EQ(Rec.FileComment(), u"r\u00E9sum\u00E9");
  // No path field: the name falls back to the ANSI code page.
  EXPECT_EQ(Rec.FileName(), AnsiToString("n\xE9.txt"));
}

TEST(NameDecoding, ArchiveEncodingOverridesDetection) {
  TZFEncodingSettings Utf8;
  Utf8.Encoding = zeoUTF8;
  EXPECT_EQ(NameOf("\xC3\xA9", 0, kDosMadeBy, {}, Utf8), u"\u00E9");
  TZFEncodingSettings Oem;
  Oem.Encoding = zeoOEM;
  EXPECT_EQ(NameOf("\x82", 0x0800, kUnixMadeBy, {}, Oem), DecodeCodePage(kCodePageOem, "\x82"));
}

TEST(NameDecoding, PrintableAsciiIsTakenAsItIsAndSlashesBecomeBackslashes) {
  EXPECT_EQ(NameOf("a/b/c.txt", 0, kDosMadeBy), u"a\\b\\c.txt");
  EXPECT_EQ(NameOf("", 0, kDosMadeBy), u"");
}

TEST(DirEntry, DateStampDecodesDosDateAndRejectsImpossibleTimes) {
  RecordingWorker R;
  TestEntry E{.Name = "t.txt", .Data = "x", .DosDateTime = 0x5A8B6C21};
  TestEntry Bad{.Name = "u.txt", .Data = "y", .DosDateTime = 0x5A8B6C3E};  // 60 seconds
  R.LoadBytes(BuildArchive({E, Bad}).Bytes);
  ASSERT_EQ(R.Worker.CentralDir().Count(), 2);
  EXPECT_EQ(R.Worker.CentralDir().Items(0)->DateStamp(),
            ComposeDateTime(EncodeDate(2025, 4, 11), EncodeTime(13, 33, 2, 0)));
  EXPECT_EQ(R.Worker.CentralDir().Items(1)->DateStamp(), 0.0);
}

TEST(DirEntry, GettersReportTheCentralHeaderFields) {
  RecordingWorker R;
  TestEntry E{.Name = "f.bin", .Data = "12345", .Flag = 1, .Comment = "note"};
  E.Extra = ziptest::ExtraBlock(0x5455, "abc");
  R.LoadBytes(BuildArchive({E}).Bytes);
  const auto Entry = R.Worker.CentralDir().Items(0);
  ASSERT_NE(Entry, nullptr);
  EXPECT_EQ(Entry->UncompressedSize(), 5u);
  EXPECT_EQ(Entry->CRC32(), ziptest::Crc32("12345"));
  EXPECT_TRUE(Entry->Encrypted());
  EXPECT_EQ(Entry->FileComment(), u"note");
  EXPECT_EQ(Entry->FileCommentLen(), 4);
  EXPECT_EQ(Entry->ExtraData(0x5455), "abc");
  EXPECT_EQ(Entry->ExtraData(0x7075), "");
  EXPECT_EQ(Entry->ExtraFieldLength(), 7);
  EXPECT_EQ(Entry->HeaderName(), "f.bin");
  EXPECT_EQ(Entry->VersionMadeBy(), kUnixMadeBy);
  EXPECT_EQ(R.Worker.CentralDir().Items(1), nullptr);
  EXPECT_EQ(R.Worker.CentralDir().Items(-1), nullptr);
}

TEST(CentralEntry, HandlesAnswerEmptyOnceTheArchiveIsReplacedOrDropped) {
  RecordingWorker R;
  R.LoadBytes(BuildArchive({{.Name = "first.txt", .Data = "1111"}}).Bytes);
  const auto Old = R.Worker.CentralDir().Items(0);
  ASSERT_NE(Old, nullptr);
  EXPECT_EQ(Old->FileName(), u"first.txt");
  R.LoadBytes(BuildArchive({{.Name = "second.txt", .Data = "22"}}).Bytes);
  EXPECT_EQ(Old->FileName(), u"");
  EXPECT_EQ(Old->UncompressedSize(), 0u);
  EXPECT_EQ(Old->StatusBits(), 0u);
  EXPECT_EQ(R.Worker.CentralDir().Items(0)->FileName(), u"second.txt");
  const auto Current = R.Worker.CentralDir().Items(0);
  R.Worker.SetZipFileName(u"");
  EXPECT_EQ(Current->FileName(), u"");
}

TEST(CentralEntry, HandlesAnswerEmptyAfterAReloadOfTheSameArchiveObject) {
  RecordingWorker R;
  R.LoadBytes(BuildArchive({{.Name = "x.txt", .Data = "1"}}).Bytes);
  auto Handle = std::dynamic_pointer_cast<TZFCentralEntry>(R.Worker.CentralDir().Items(0));
  ASSERT_NE(Handle, nullptr);
  EXPECT_TRUE(Handle->IsValid());
  // A different check number stands for a later load of the same object.
  const TZFCentralEntry Stale(R.Worker.CentralDir().Current(),
                              R.Worker.CentralDir().Current()->CheckNo() + 1, 0);
  EXPECT_FALSE(Stale.IsValid());
  EXPECT_EQ(Stale.FileName(), u"");
  const TZFCentralEntry OutOfRange(R.Worker.CentralDir().Current(),
                                   R.Worker.CentralDir().Current()->CheckNo(), 5);
  EXPECT_FALSE(OutOfRange.IsValid());
}

TEST(NameIndex, FindsNamesWithoutRegardToCaseAndKeepsTheFirstDuplicate) {
  RecordingWorker R;
  R.LoadBytes(BuildArchive({{.Name = "Docs/Read.Me", .Data = "1"},
                            {.Name = "docs/read.me", .Data = "22"},
                            {.Name = "other.txt", .Data = "333"},
                            {.Name = "sub/", .Data = ""},
                            {.Name = "\xC3\x84pfel.txt", .Data = "4", .Flag = 0x0800}})
                  .Bytes);
  const TZFCenDir& View = R.Worker.CentralDir();
  EXPECT_EQ(View.IndexOf(u"DOCS\\READ.ME"), 0);
  EXPECT_EQ(View.IndexOf(u"Other.TXT"), 2);
  EXPECT_EQ(View.IndexOf(u"\u00E4PFEL.txt"), 3);
  EXPECT_EQ(View.IndexOf(u"sub\\"), -1);  // directory-only entries are not in the view
  EXPECT_EQ(View.IndexOf(u"missing"), -1);
  EXPECT_EQ(View.Current()->FindName(u"docs\\read.me"), &View.Current()->Entry(0));
  // A hidden directory entry whose Unicode path names a file does not hide that file.
  R.LoadBytes(
      BuildArchive({{.Name = "x/", .Data = "", .Extra = UnicodeBlock(0x7075, "x/", "a.txt")},
                    {.Name = "A.TXT", .Data = "1"}})
          .Bytes);
  EXPECT_EQ(View.IndexOf(u"a.txt"), 0);
  R.LoadBytes(BuildArchive({{.Name = "Docs/Read.Me", .Data = "1"},
                            {.Name = "docs/read.me", .Data = "22"},
                            {.Name = "other.txt", .Data = "333"}})
                  .Bytes);
  int Index = -1;
  ASSERT_TRUE(View.Find(u"*.me", Index));
  EXPECT_EQ(Index, 0);
  ASSERT_TRUE(View.Find(u"*.me", Index));
  EXPECT_EQ(Index, 1);
  EXPECT_FALSE(View.Find(u"*.me", Index));
  Index = -1;
  EXPECT_TRUE(View.Find(u"o?her.*", Index));
  EXPECT_EQ(Index, 2);
}

TEST(NameIndex, TableSizeFollowsTheEntryCount) {
  EXPECT_EQ(TZFDirHashList::TableSizeFor(0), 61u);
  EXPECT_EQ(TZFDirHashList::TableSizeFor(61), 61u);
  EXPECT_EQ(TZFDirHashList::TableSizeFor(62), 131u);
  EXPECT_EQ(TZFDirHashList::TableSizeFor(11999), 12289u);
  EXPECT_EQ(TZFDirHashList::TableSizeFor(12000), 10243u);
  EXPECT_EQ(TZFDirHashList::TableSizeFor(40962), 40961u);
  EXPECT_EQ(TZFDirHashList::TableSizeFor(~0ull), 65537u);
  TZFDirHashList Unsized;
  TZFEncodingSettings Settings;
  TZFIRec Rec(&Settings);
  Rec.SetRawForTesting("a", "", "", 0, 0);
  EXPECT_EQ(Unsized.Add(&Rec), &Rec);
  EXPECT_EQ(Unsized.TableSize(), 1283u);
}

// Names built from 2-character blocks of one weight under the name hash ("AQ", "BA", "C1", "D!":
// 16 * first + second is the same) all share one hash: the index must still find each of them,
// the first of a name in any letter case, and none that is absent.
TEST(NameIndex, NamesOfOneHashAreEachFoundAndTheFirstOfAName) {
  constexpr const char* kBlocks[] = {"AQ", "BA", "C1", "D!"};
  constexpr size_t kCount = 16384;  // 4^7 names of 7 blocks
  auto NameFor = [&](size_t I, bool Lower) {
    std::string Name;
    for (int Block = 0; Block < 7; ++Block, I /= 4) Name += kBlocks[I % 4];
    Name += ".txt";
    if (Lower) {
      for (char& C : Name) C = static_cast<char>(std::tolower(static_cast<unsigned char>(C)));
    }
    return Name;
  };
  TZFEncodingSettings Settings;
  std::vector<std::unique_ptr<TZFIRec>> Entries;
  TZFDirHashList Index;
  Index.Reserve(kCount + 1);
  for (size_t I = 0; I + 1 < kCount; ++I) {  // all but the last name
    Entries.push_back(std::make_unique<TZFIRec>(&Settings));
    Entries.back()->SetRawForTesting(NameFor(I, false), "", "", 0, kUnixMadeBy);
    ASSERT_EQ(Entries.back()->Hash(), Entries.front()->Hash()) << NameFor(I, false);
    EXPECT_EQ(Index.Add(Entries.back().get()), Entries.back().get());
  }
  // A later entry of an existing name in other letter case: the first stays indexed.
  TZFIRec Duplicate(&Settings);
  Duplicate.SetRawForTesting(NameFor(77, true), "", "", 0, kUnixMadeBy);
  EXPECT_EQ(Index.Add(&Duplicate), Entries[77].get());
  for (size_t I = 0; I + 1 < kCount; ++I) {
    ASSERT_EQ(Index.Find(Utf8ToString(NameFor(I, I % 2 == 1))), Entries[I].get()) << I;
  }
  // The last name has the same hash but is not in the index.
  const String Absent = Utf8ToString(NameFor(kCount - 1, false));
  EXPECT_EQ(Absent, u"D!D!D!D!D!D!D!.txt");
  EXPECT_EQ(ZipNameHash(UpperCase(Absent)), Entries.front()->Hash());
  EXPECT_EQ(Index.Find(Absent), nullptr);
  EXPECT_EQ(Index.Find(u"AQ.TXT"), nullptr);
}

TEST(NameIndex, HashFoldsHighBitsBackIntoTwentyEightBits) {
  EXPECT_EQ(ZipNameHash(u""), 0u);
  EXPECT_EQ(ZipNameHash(u"A"), 0x41u);
  EXPECT_EQ(ZipNameHash(u"AB"), 0x41u * 16 + 0x42u);
  // From the seventh unit on the value passes 2^28 and is folded back (value worked out by hand:
  // 0x456789A7 folds to 0x056789E7 ... then 0x6789EE8 after "H").
  EXPECT_EQ(ZipNameHash(u"ABCDEFGH"), 0x06789EE8u);
  EXPECT_LT(ZipNameHash(u"\uFFFF\uFFFF\uFFFF\uFFFF\uFFFF\uFFFF\uFFFF\uFFFF"), 0x10000000u);
}

}  // namespace
}  // namespace vlm
