// tests/ini/hashed_string_list_test.cpp -- hashed lookups: last occurrence, folding, staleness.
#include "ini/hashed_string_list.h"

#include <gtest/gtest.h>

#include <string>

namespace vlm {
namespace {

void Fill(TStringList& List, std::initializer_list<const char16_t*> Lines) {
  for (const char16_t* Line : Lines) List.Add(Line);
}

TEST(THashedStringList, IndexOfFindsTheLastOccurrence) {
  THashedStringList List;
  Fill(List, {u"x", u"y", u"x"});
  EXPECT_EQ(List.IndexOf(u"x"), 2);
  EXPECT_EQ(List.IndexOf(u"y"), 1);
  EXPECT_EQ(List.IndexOf(u"z"), -1);
}

TEST(THashedStringList, IndexOfNameFindsTheLastLineOfANameUnderEitherRule) {
  THashedStringList List;
  Fill(List, {u"a=1", u"A=2"});
  EXPECT_EQ(List.IndexOfName(u"a"), 1);  // case-insensitive by default
  EXPECT_EQ(List.IndexOfName(u"A"), 1);
  List.SetCaseSensitive(true);
  List.MarkHashesStale();
  EXPECT_EQ(List.IndexOfName(u"a"), 0);
  EXPECT_EQ(List.IndexOfName(u"A"), 1);
}

TEST(THashedStringList, NamesAreTheTextBeforeTheFirstEqualsOnly) {
  THashedStringList List;
  Fill(List, {u"plain", u"=empty name", u"k=v=w", u"k2= spaced"});
  EXPECT_EQ(List.IndexOfName(u"plain"), -1);  // no "=": no name
  EXPECT_EQ(List.IndexOfName(u""), 1);
  EXPECT_EQ(List.IndexOfName(u"k"), 2);
  EXPECT_EQ(List.IndexOfName(u"k=v"), -1);
  EXPECT_EQ(List.IndexOfName(u"k2"), 3);
  EXPECT_EQ(List.IndexOf(u"plain"), 0);
  EXPECT_EQ(List.IndexOf(u"k=v=w"), 2);
}

TEST(THashedStringList, FoldsNonAsciiLettersWhenCaseInsensitive) {
  THashedStringList List;
  Fill(List, {u"Äpfel", u"Größe=1", u"ÿ"});
  EXPECT_EQ(List.IndexOf(u"äPFEL"), 0);
  EXPECT_EQ(List.IndexOfName(u"GRÖSSE"), -1);  // folding keeps the length: ß stays ß
  EXPECT_EQ(List.IndexOfName(u"GRÖßE"), 1);
  EXPECT_EQ(List.IndexOf(u"Ÿ"), 2);  // U+00FF folds to U+0178
}

TEST(THashedStringList, StaleHashIsRebuiltAfterReplaceInsertDeleteExchangeAndClear) {
  THashedStringList List;
  Fill(List, {u"a=1", u"b=2", u"c=3"});
  ASSERT_EQ(List.IndexOf(u"a=1"), 0);
  ASSERT_EQ(List.IndexOfName(u"b"), 1);

  List.Put(0, u"z=9");
  EXPECT_EQ(List.IndexOf(u"a=1"), -1);
  EXPECT_EQ(List.IndexOfName(u"a"), -1);
  EXPECT_EQ(List.IndexOfName(u"z"), 0);

  List.Insert(0, u"first");
  EXPECT_EQ(List.IndexOfName(u"b"), 2);
  EXPECT_EQ(List.IndexOf(u"first"), 0);

  List.Delete(0);
  EXPECT_EQ(List.IndexOf(u"first"), -1);
  EXPECT_EQ(List.IndexOfName(u"c"), 2);

  List.Exchange(0, 2);
  EXPECT_EQ(List.IndexOfName(u"c"), 0);
  EXPECT_EQ(List.IndexOfName(u"z"), 2);

  List.Add(u"c=again");
  EXPECT_EQ(List.IndexOfName(u"c"), 3);

  List.Clear();
  EXPECT_EQ(List.IndexOfName(u"c"), -1);
  EXPECT_EQ(List.IndexOf(u"b=2"), -1);
}

TEST(THashedStringList, AssignReplacesWhatLookupsFind) {
  THashedStringList List;
  Fill(List, {u"old"});
  ASSERT_EQ(List.IndexOf(u"old"), 0);
  THashedStringList Source;
  Fill(Source, {u"new", u"old"});
  List.Assign(Source);
  EXPECT_EQ(List.IndexOf(u"new"), 0);
  EXPECT_EQ(List.IndexOf(u"old"), 1);
}

TEST(THashedStringList, ChangingCaseSensitiveNeverAnswersFromAHashOfTheOtherRule) {
  THashedStringList List;
  Fill(List, {u"Key=1"});
  ASSERT_EQ(List.IndexOfName(u"KEY"), 0);
  ASSERT_EQ(List.IndexOf(u"KEY=1"), 0);
  List.SetCaseSensitive(true);  // without MarkHashesStale
  EXPECT_EQ(List.IndexOfName(u"KEY"), -1);
  EXPECT_EQ(List.IndexOf(u"KEY=1"), -1);
  EXPECT_EQ(List.IndexOfName(u"Key"), 0);
  List.SetCaseSensitive(false);
  EXPECT_EQ(List.IndexOfName(u"KEY"), 0);
}

TEST(THashedStringList, ChangeHandlerSeesTheNewContentInLookups) {
  THashedStringList List;
  Fill(List, {u"a"});
  ASSERT_EQ(List.IndexOf(u"a"), 0);
  int Seen = -2;
  List.OnChange = [&] { Seen = List.IndexOf(u"b"); };
  List.Put(0, u"b");
  EXPECT_EQ(Seen, 0);
}

TEST(THashedStringList, LooksUpManyLinesThroughFixedBuckets) {
  THashedStringList List;
  for (int I = 0; I < 3000; ++I) List.Add(S("key" + std::to_string(I) + "=" + std::to_string(I)));
  for (int I = 0; I < 3000; I += 7) {
    EXPECT_EQ(List.IndexOfName(S("KEY" + std::to_string(I))), I);
  }
  EXPECT_EQ(List.IndexOfName(u"key3000"), -1);
}

TEST(THashedStringList, DoesNotOwnAttachedObjects) {
  TObject Attached;
  {
    THashedStringList List;
    List.AddObject(u"x", &Attached);
    EXPECT_EQ(List.Objects(List.IndexOf(u"x")), &Attached);
  }  // releasing the list must leave Attached alone (freeing a stack object would crash)
}

}  // namespace
}  // namespace vlm
