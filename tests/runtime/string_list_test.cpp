// tests/runtime/string_list_test.cpp -- the ordered string list: content, lookups, text files.
#include "runtime/string_list.h"

#include <gtest/gtest.h>

#include "runtime/exception.h"
#include "runtime/memory_stream.h"
#include "tests/support/temp_folder.h"

namespace vlm {
namespace {

std::vector<String> Lines(const TStringList& List) {
  std::vector<String> Result;
  for (int I = 0; I < List.Count(); ++I) Result.push_back(List.Strings(I));
  return Result;
}

TEST(TStringList, SplitsTextAtCrLfLoneCrAndLoneLf) {
  TStringList List;
  List.SetText(u"a\r\nb\rc\nd");
  EXPECT_EQ(Lines(List), (std::vector<String>{u"a", u"b", u"c", u"d"}));
}

TEST(TStringList, KeepsEmptyLinesBetweenBreaksAndDropsNothingAfterTheLastBreak) {
  TStringList List;
  List.SetText(u"a\n\n\r\r\nb\r\n");
  EXPECT_EQ(Lines(List), (std::vector<String>{u"a", u"", u"", u"", u"b"}));
}

TEST(TStringList, TextEndsAtTheFirstNulCharacter) {
  TStringList List;
  List.SetText(StringView(u"a\r\nb\0c\r\nd", 10));
  EXPECT_EQ(Lines(List), (std::vector<String>{u"a", u"b"}));
}

TEST(TStringList, TextPutsCrLfAfterEveryLine) {
  TStringList List;
  List.Add(u"x");
  List.Add(u"");
  EXPECT_EQ(List.Text(), u"x\r\n\r\n");
}

TEST(TStringList, LinearLookupsIgnoreCaseUnlessCaseSensitive) {
  TStringList List;
  List.Add(u"Alpha");
  List.Add(u"key=Value");
  List.Add(u"ÄPFEL");
  EXPECT_EQ(List.IndexOf(u"alpha"), 0);
  EXPECT_EQ(List.IndexOf(u"äpfel"), 2);
  EXPECT_EQ(List.IndexOfName(u"KEY"), 1);
  EXPECT_EQ(List.IndexOfName(u"Alpha"), -1);  // a line without "=" has no name
  List.SetCaseSensitive(true);
  EXPECT_EQ(List.IndexOf(u"alpha"), -1);
  EXPECT_EQ(List.IndexOfName(u"key"), 1);
}

TEST(TStringList, NamesAreTheTextBeforeTheFirstEquals) {
  TStringList List;
  List.Add(u"a=b=c");
  List.Add(u"plain");
  List.Add(u"=v");
  EXPECT_EQ(List.Names(0), u"a");
  EXPECT_EQ(List.Names(1), u"");
  EXPECT_EQ(List.Names(2), u"");
}

TEST(TStringList, RunsTheChangeNotificationAfterEveryChangeOfContent) {
  TStringList List;
  int Changes = 0;
  List.OnChange = [&] { ++Changes; };
  List.Add(u"a");
  List.Insert(0, u"b");
  List.Put(1, u"c");
  List.Exchange(0, 1);
  List.Delete(0);
  List.Clear();
  EXPECT_EQ(Changes, 6);
}

TEST(TStringList, AssignCopiesStringsAndAttachedObjectsWithoutOwningThem) {
  TObject Attached;
  TStringList Source, Target;
  Source.AddObject(u"s", &Attached);
  Target.Add(u"old");
  Target.Assign(Source);
  ASSERT_EQ(Target.Count(), 1);
  EXPECT_EQ(Target.Strings(0), u"s");
  EXPECT_EQ(Target.Objects(0), &Attached);
}

TEST(TStringList, RaisesListErrorForAnIndexOutOfRange) {
  TStringList List;
  List.Add(u"a");
  EXPECT_THROW(List.Strings(1), EListError);
  EXPECT_THROW(List.Delete(-1), EListError);
}

struct EncodedFile {
  const char* Name;
  std::string Bytes;
};

class TextFileEncodings : public testing::TestWithParam<EncodedFile> {};

TEST_P(TextFileEncodings, ReadBackTheSameTwoLines) {
  test::TempFolder Folder;
  test::WriteBytes(Folder.Path() / "t.txt", GetParam().Bytes);
  TStringList List;
  List.LoadFromFile(Folder.File("t.txt"));
  EXPECT_EQ(Lines(List), (std::vector<String>{u"K=\u00E9\u20AC", u"x"}));
}

INSTANTIATE_TEST_SUITE_P(
    TStringList, TextFileEncodings,
    testing::Values(
        EncodedFile{"Utf8WithMark", "\xEF\xBB\xBFK=\xC3\xA9\xE2\x82\xAC\r\nx"},
        EncodedFile{"Utf16LittleEndian", std::string("\xFF\xFEK\0=\0\xE9\0\xAC\x20\n\0x\0", 14)},
        EncodedFile{"Utf16BigEndian", std::string("\xFE\xFF\0K\0=\0\xE9\x20\xAC\0\r\0x", 14)}),
    [](const testing::TestParamInfo<EncodedFile>& Info) { return std::string(Info.param.Name); });

// Files are split as they are read, line by line from the bytes: the same lines as the decoded
// text would give, empty lines, every kind of break and the end at the first zero included.
TEST(TStringList, FilesSplitLikeTheirDecodedText) {
  const struct {
    std::string Bytes;
    std::vector<String> Lines;
  } Cases[] = {
      {"a\n\n\r\r\nb\r\n", {u"a", u"", u"", u"", u"b"}},
      {std::string("a\r\nb\0c\r\nd", 10), {u"a", u"b"}},
      {std::string("\xFF\xFE"
                   "a\0\r\0\r\0\n\0b\0\0\0c\0",
                   16),
       {u"a", u"", u"b"}},
      {"\xEF\xBB\xBF\r\n\xC3\xA9", {u"", u"\u00E9"}},
      {"", {}},
  };
  test::TempFolder Folder;
  for (const auto& Case : Cases) {
    test::WriteBytes(Folder.Path() / "t.txt", Case.Bytes);
    TStringList List;
    List.LoadFromFile(Folder.File("t.txt"));
    EXPECT_EQ(Lines(List), Case.Lines) << testing::PrintToString(Case.Bytes);
  }
}

TEST(TStringList, WritesTheAnsiCodePageWithoutMarkAndWithCrLf) {
  test::TempFolder Folder;
  TStringList List;
  List.Add(u"a");
  List.Add(u"b");
  List.SaveToFile(Folder.File("out.txt"));
  EXPECT_EQ(test::ReadBytes(Folder.Path() / "out.txt"), "a\r\nb\r\n");
}

TEST(TStringList, ReplacesAnExistingFileCompletely) {
  test::TempFolder Folder;
  test::WriteBytes(Folder.Path() / "out.txt", "a much longer old content\r\n");
  TStringList List;
  List.Add(u"new");
  List.SaveToFile(Folder.File("out.txt"));
  EXPECT_EQ(test::ReadBytes(Folder.Path() / "out.txt"), "new\r\n");
}

}  // namespace
}  // namespace vlm
