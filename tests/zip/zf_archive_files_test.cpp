// tests/zip/zf_archive_files_test.cpp -- loading archive directories from files: archives made by
// python3's zipfile and by 7z at test time (make_directory_archives.py), missing and damaged files,
// and every archive of the public corpus, which must load or fail with one of the directory's
// defined error codes and, where python3's zipfile reads it too, list the same number of files.
#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <ostream>
#include <set>
#include <sstream>

#include "archive_files.h"
#include "runtime/code_page.h"
#include "zip_test_support.h"

namespace vlm {
namespace {

using ziptest::RecordingWorker;

struct FileFixture : ::testing::Test {
  void SetUp() override {
    Folder = ziptest::DirectoryArchivesFolder();
    ASSERT_FALSE(Folder.empty()) << "test archives missing: run make_directory_archives.py "
                                    "(CTest does so in the zip_directory_archives fixture)";
  }
  // Loads Name from the archives folder into R.
  void Load(const char16_t* Name) { R.Worker.SetZipFileName(Folder + Name); }
  std::vector<String> Names() const {
    std::vector<String> Out;
    for (const auto& Entry : R.Worker.CentralDir()) Out.push_back(Entry->FileName());
    return Out;
  }
  String Folder;
  RecordingWorker R;
};

using ZipfileArchives = FileFixture;

TEST_F(ZipfileArchives, StoredAndDeflatedListTheSameFilesWithTheirMethods) {
  for (const char16_t* Name : {u"stored.zip", u"deflated.zip"}) {
    Load(Name);
    SCOPED_TRACE(StringToUtf8(Name));
    EXPECT_EQ(R.Worker.ErrCode(), 0);
    EXPECT_EQ(Names(), (std::vector<String>{u"a.txt", u"sub\\b.txt", u"empty.txt"}));
    EXPECT_EQ(R.Worker.CentralDir().DirOnlyCnt(), 1);
    const auto B = R.Worker.CentralDir().Items(1);
    EXPECT_EQ(B->UncompressedSize(), 600u);
    const bool Deflated = StringView(Name) == u"deflated.zip";
    EXPECT_EQ(B->CompressionMethod(), Deflated ? 8 : 0);
    EXPECT_EQ(B->CompressedSize() < 600u, Deflated);
    EXPECT_EQ(R.Worker.CentralDir().Items(2)->UncompressedSize(), 0u);
    EXPECT_TRUE(R.Presenter->Shown.empty());
  }
}

TEST_F(ZipfileArchives, ForcedZip64EntriesHaveTheirRealSizes) {
  Load(u"zip64.zip");
  EXPECT_EQ(R.Worker.ErrCode(), 0);
  ASSERT_EQ(Names(), (std::vector<String>{u"big1.bin", u"big2.bin"}));
  EXPECT_EQ(R.Worker.CentralDir().Items(0)->UncompressedSize(), 600u);
  EXPECT_EQ(R.Worker.CentralDir().Items(1)->UncompressedSize(), 6u);
  // zipfile puts the Zip64 block into the local headers only; the central headers of these
  // small entries just need version 4.5 (the Zip64 block itself: zf_directory_test.cpp).
  EXPECT_EQ(R.Worker.CentralDir().Items(1)->VersionNeeded(), 45);
}

TEST_F(ZipfileArchives, CommentPrefixAndTrailingData) {
  Load(u"comment.zip");
  std::string Expected;
  for (int C = 32; C < 132; ++C) Expected += static_cast<char>(C);
  EXPECT_EQ(R.Worker.ZipComment(), Expected);
  EXPECT_EQ(R.Worker.ErrCode(), 0);

  Load(u"prefixed_counting.zip");
  EXPECT_EQ(R.Worker.ErrCode(), 0);
  EXPECT_EQ(R.Worker.SFXOffset(), 1000u);
  EXPECT_EQ(Names(), (std::vector<String>{u"a.txt", u"sub\\b.txt"}));

  Load(u"prefixed_plain.zip");
  EXPECT_EQ(R.Worker.ErrCode(), 10203);
  EXPECT_EQ(R.Worker.CentralDir().Count(), 3);

  Load(u"trailing.zip");
  EXPECT_EQ(R.Worker.ErrCode(), 11022);
  EXPECT_EQ(R.Worker.CentralDir().Count(), 3);
  EXPECT_TRUE(R.Presenter->Shown.empty());
}

TEST_F(ZipfileArchives, Utf8AndCodePage437Names) {
  Load(u"utf8.zip");
  EXPECT_EQ(Names(), (std::vector<String>{u"caf\u00E9.txt", u"\u65E5\u672C\\\u8A9E.txt"}));
  Load(u"cp437.zip");
  EXPECT_EQ(R.Worker.CentralDir().Items(0)->Encoded(), zeoOEM);
  if (OemCodePage() == 437) {
    EXPECT_EQ(Names(), (std::vector<String>{u"caf\u00E9.txt"}));
  }
  EXPECT_EQ(Names(), (std::vector<String>{DecodeCodePage(kCodePageOem, "caf\x82.txt")}));
}

TEST_F(ZipfileArchives, EmptyShortAndForeignFiles) {
  Load(u"empty.zip");
  EXPECT_EQ(R.Worker.ErrCode(), 0);
  EXPECT_EQ(R.Worker.CentralDir().Count(), 0);
  for (const char16_t* Name : {u"short.zip", u"not_a_zip.zip"}) {
    R.ClearRecords();
    Load(Name);
    EXPECT_EQ(R.Worker.ErrCode(), 11036);
    EXPECT_EQ(R.Presenter->Shown.size(), 1u);
  }
  R.ClearRecords();
  Load(u"no such file.pkg");
  EXPECT_EQ(R.Worker.ErrCode(), 11001);
  EXPECT_TRUE(R.Presenter->Shown.empty());
  EXPECT_EQ(R.Worker.CentralDir().Count(), 0);
}

TEST_F(ZipfileArchives, SevenZipArchives) {
  Load(u"7z_deflated.zip");
  EXPECT_EQ(R.Worker.ErrCode(), 0);
  EXPECT_EQ(Names(), (std::vector<String>{u"a.txt", u"sub\\b.txt"}));
  EXPECT_EQ(R.Worker.CentralDir().DirOnlyCnt(), 1);
  EXPECT_EQ(R.Worker.CentralDir().Items(1)->CompressionMethod(), 8);
  Load(u"7z_utf8.zip");
  EXPECT_EQ(Names(), (std::vector<String>{u"gr\u00FC\u00DF.txt"}));
}

TEST_F(ZipfileArchives, TheFileIsClosedAfterLoading) {
  Load(u"stored.zip");
  ASSERT_NE(R.Worker.CentralDir().Current(), nullptr);
  EXPECT_FALSE(R.Worker.CentralDir().Current()->IsOpen());
  EXPECT_EQ(R.Worker.ZipFileSize(),
            static_cast<int64_t>(ziptest::ReadTextFile(Folder + u"stored.zip").size()));
  EXPECT_GT(R.Worker.ZipFileSize(), 0);
}

// ---- the public corpus --------------------------------------------------------------------

struct CorpusCase {
  std::string Name;     // path below the corpus folder
  std::string Zipfile;  // python3's zipfile: file count, or "error"
};

std::vector<CorpusCase> CorpusCases() {
  std::vector<CorpusCase> Cases;
  const String Corpus = ziptest::CorpusFolder();
  if (Corpus.empty()) return Cases;
  std::map<std::string, std::string> Zipfile;
  const String Archives = ziptest::DirectoryArchivesFolder();
  if (!Archives.empty()) {
    std::istringstream Lines(ziptest::ReadTextFile(Archives + u"corpus_expectations.tsv"));
    std::string Line;
    while (std::getline(Lines, Line)) {
      const size_t Tab = Line.find('\t');
      if (Tab != std::string::npos) Zipfile[Line.substr(0, Tab)] = Line.substr(Tab + 1);
    }
  }
  std::istringstream Lines(ziptest::ReadTextFile(Corpus + u"SOURCES.tsv"));
  std::string Line;
  std::getline(Lines, Line);  // the column names
  while (std::getline(Lines, Line)) {
    const std::string Name = Line.substr(0, Line.find('\t'));
    if (!Name.empty()) Cases.push_back({Name, Zipfile.count(Name) ? Zipfile[Name] : ""});
  }
  return Cases;
}

std::string CaseName(const ::testing::TestParamInfo<CorpusCase>& Info) {
  std::string Name;
  for (const char C : Info.param.Name) {
    Name += std::isalnum(static_cast<unsigned char>(C)) ? C : '_';
  }
  return Name;
}

void PrintTo(const CorpusCase& Case, std::ostream* Out) {
  *Out << Case.Name;
}

class CorpusArchive : public ::testing::TestWithParam<CorpusCase> {};

// Archives whose reading is meant to differ from python3's zipfile, with the reason.
const std::map<std::string, std::string>& KnownDifferences() {
  // zipfile reads the central directory for as many bytes as the end record's size says; this
  // reader reads as many entries as the end record's count says, and prefers the stored offset
  // when it holds a central header.
  static const std::map<std::string, std::string> Differences = {
      {"golang/test-badbase.zip", "stored offset holds the directory; the computed one is off"},
      {"libzip/incons-eocd64.zip", "count 0, size of one entry"},
      {"libzip/incons-file-count-low.zip", "count 2, size of three entries"},
      {"zip2-fuzz/fuzz_000224.zip", "count 2, size 0"},
      {"zip2-fuzz/fuzz_000232.zip", "count 1, size 0"},
      {"zip2-fuzz/fuzz_000664.zip", "count 1, size 0"},
  };
  return Differences;
}

TEST_P(CorpusArchive, LoadsOrFailsWithADefinedCode) {
  const CorpusCase& Case = GetParam();
  RecordingWorker R;
  R.Worker.SetZipFileName(ziptest::CorpusFolder() + Utf8ToString(Case.Name));
  static const std::set<int32_t> Defined = {0,     10201, 10203, 11013, 11015,
                                            11017, 11022, 11036, 11052};
  const int32_t Code = R.Worker.ErrCode();
  RecordProperty("ErrCode", Code);  // in the XML results: the corpus outcome at a glance
  EXPECT_TRUE(Defined.count(Code)) << "ErrCode " << Code;
  const bool Loaded =
      R.Worker.CentralDir().Current() && R.Worker.CentralDir().Current()->IsLoaded();
  EXPECT_EQ(Loaded, Code == 0 || Code == 10203 || Code == 11022) << "ErrCode " << Code;
  if (!Loaded) {
    EXPECT_EQ(R.Worker.CentralDir().Count(), 0);
    return;
  }
  // Every visible entry answers its getters; names are decoded.
  for (const auto& Entry : R.Worker.CentralDir()) {
    EXPECT_FALSE(Entry->IsDirOnly());
    EXPECT_EQ(Entry->FileNameLength(), Entry->HeaderName().size());
  }
  if (Case.Zipfile.empty() || Case.Zipfile == "error" || KnownDifferences().count(Case.Name)) {
    return;
  }
  EXPECT_EQ(std::to_string(R.Worker.CentralDir().Count()), Case.Zipfile)
      << "python3's zipfile lists a different number of files";
}

INSTANTIATE_TEST_SUITE_P(SharedTestdata, CorpusArchive, ::testing::ValuesIn(CorpusCases()),
                         CaseName);
// Without the corpus there are no cases; the next test says so.
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(CorpusArchive);

TEST(CorpusArchives, AreFoundOrTheirTestsAreSkipped) {
  if (ziptest::CorpusFolder().empty()) {
    GTEST_SKIP() << "public archive corpus not found, expected at "
                 << StringToUtf8(ziptest::CorpusExpectedFolder());
  }
  EXPECT_GT(CorpusCases().size(), 100u);
}

}  // namespace
}  // namespace vlm
