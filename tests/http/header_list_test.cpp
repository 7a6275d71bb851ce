// tests/http/header_list_test.cpp -- header lookup, unfolding, setting and folding.
#include "http/header_list.h"

#include <gtest/gtest.h>

namespace vlm {
namespace {

void Fill(TNetHeaderList& List, std::initializer_list<const char16_t*> Lines) {
  for (const char16_t* Line : Lines) List.Add(Line);
}

TEST(TNetHeaderList, FindsTheFirstLineOfANameWithoutRegardToLetterCase) {
  TNetHeaderList H;
  Fill(H, {u"content-length: 42", u"Content-Type: text/plain", u"content-type: second"});
  EXPECT_EQ(H.Values(u"Content-Length"), u"42");
  EXPECT_EQ(H.Values(u"CONTENT-TYPE"), u"text/plain");
  EXPECT_EQ(H.IndexOfName(u"Content-Type"), 1);
  EXPECT_EQ(H.Values(u"Missing"), u"");
  EXPECT_EQ(H.IndexOfName(u"Missing"), -1);
  EXPECT_EQ(H.GetName(0), u"content-length");
}

TEST(TNetHeaderList, DoesNotFindANameWrittenWithABlankBeforeTheColon) {
  TNetHeaderList H;
  Fill(H, {u"Content-Length : 42"});
  EXPECT_EQ(H.Values(u"Content-Length"), u"");
  EXPECT_EQ(H.IndexOfName(u"Content-Length"), -1);
  EXPECT_EQ(H.GetName(0), u"Content-Length ");
}

TEST(TNetHeaderList, UnfoldsContinuationLinesWithOneSpace) {
  TNetHeaderList H;
  Fill(H, {u"Set-Cookie: a=1;", u"\t path=/;  ", u"   secure", u"Next: x"});
  EXPECT_EQ(H.Values(u"Set-Cookie"), u"a=1; path=/; secure");
  EXPECT_EQ(H.Values(u"Next"), u"x");
  H.UnfoldLines = false;
  EXPECT_EQ(H.Values(u"Set-Cookie"), u"a=1;");
}

TEST(TNetHeaderList, TrimsTheValue) {
  TNetHeaderList H;
  Fill(H, {u"A:   spaced out  \t", u"B:", u"C"});
  EXPECT_EQ(H.Values(u"A"), u"spaced out");
  EXPECT_EQ(H.Values(u"B"), u"");
  EXPECT_EQ(H.IndexOfName(u"C"), -1);  // a line without ":" names no header
}

TEST(TNetHeaderList, ExtractsEveryValueOfAName) {
  TNetHeaderList H;
  Fill(H, {u"Set-Cookie: a=1", u"Other: z", u"set-cookie: b=2;", u" path=/", u"X: y",
           u" Set-Cookie: not-a-header"});
  TStringList Values;
  H.Extract(u"Set-Cookie", Values);
  ASSERT_EQ(Values.Count(), 2);
  EXPECT_EQ(Values.Strings(0), u"a=1");
  EXPECT_EQ(Values.Strings(1), u"b=2; path=/");
}

TEST(TNetHeaderList, SetValueReplacesInPlaceAndDropsContinuations) {
  TNetHeaderList H;
  Fill(H, {u"A: 1", u"B: 2", u" more", u"C: 3"});
  H.SetValue(u"b", u"new");
  ASSERT_EQ(H.Count(), 3);
  EXPECT_EQ(H.Strings(1), u"b: new");
  EXPECT_EQ(H.Strings(2), u"C: 3");
  H.SetValue(u"D", u"4");
  EXPECT_EQ(H.Strings(3), u"D: 4");
}

TEST(TNetHeaderList, SetValueWithAnEmptyValueDeletesTheLine) {
  TNetHeaderList H;
  Fill(H, {u"A: 1", u"B: 2", u"\tmore", u"C: 3"});
  H.SetValue(u"B", u"");
  ASSERT_EQ(H.Count(), 2);
  EXPECT_EQ(H.Strings(0), u"A: 1");
  EXPECT_EQ(H.Strings(1), u"C: 3");
  H.SetValue(u"Absent", u"");
  EXPECT_EQ(H.Count(), 2);
}

TEST(TNetHeaderList, AddValueAlwaysAppends) {
  TNetHeaderList H;
  H.AddValue(u"Cookie", u"a=1");
  H.AddValue(u"Cookie", u"b=2");
  ASSERT_EQ(H.Count(), 2);
  EXPECT_EQ(H.Strings(1), u"Cookie: b=2");
}

TEST(TNetHeaderListFolding, BreaksLongLinesAfterBlanksAndCommas) {
  TNetHeaderList H(20);
  H.AddValue(u"X-List", u"alpha, beta, gamma, delta, epsilon");
  ASSERT_GT(H.Count(), 1);
  for (int I = 0; I < H.Count(); ++I) {
    EXPECT_LE(H.Strings(I).size(), 20u) << StringToUtf8(H.Strings(I));
    if (I > 0) {
      EXPECT_EQ(H.Strings(I)[0], u' ');
    }
  }
  // Unfolding restores the value up to blanks at the folds.
  EXPECT_EQ(H.Values(u"X-List"), u"alpha, beta, gamma, delta, epsilon");
}

TEST(TNetHeaderListFolding, DoesNotBreakInsideDoubleQuotes) {
  TStringList Pieces;
  TNetHeaderList::FoldLine(u"X: \"a b c d e f g h\" tail", 8, Pieces);
  ASSERT_EQ(Pieces.Count(), 3);
  EXPECT_EQ(Pieces.Strings(0), u"X:");
  EXPECT_EQ(Pieces.Strings(1), u" \"a b c d e f g h\"");
  EXPECT_EQ(Pieces.Strings(2), u" tail");
}

TEST(TNetHeaderListFolding, KeepsALineWithoutBreaksWhole) {
  TStringList Pieces;
  TNetHeaderList::FoldLine(u"X: " + String(100, u'a'), 10, Pieces);
  ASSERT_EQ(Pieces.Count(), 2);
  EXPECT_EQ(Pieces.Strings(0), u"X:");
  EXPECT_EQ(Pieces.Strings(1), u" " + String(100, u'a'));
  TStringList NoBlank;
  TNetHeaderList::FoldLine(u"X:" + String(100, u'a'), 10, NoBlank);
  EXPECT_EQ(NoBlank.Count(), 1);
  TStringList Short;
  TNetHeaderList::FoldLine(u"X: short", 78, Short);
  ASSERT_EQ(Short.Count(), 1);
  EXPECT_EQ(Short.Strings(0), u"X: short");
}

TEST(TNetHeaderListFolding, EveryFoldedPieceUnfoldsToTheSameWords) {
  // Many lengths and limits: folding always ends, and unfolding gives the words back.
  const String Value = u"w1 w2,w3  w4\tw5, \"q 1, q2\" w6 w7w7w7w7w7w7 w8";
  for (int Limit = 1; Limit < 60; ++Limit) {
    TNetHeaderList H(Limit);
    H.AddValue(u"H", Value);
    String Joined;
    for (int I = 0; I < H.Count(); ++I) Joined += H.Strings(I);
    String Compact, Expected;
    for (char16_t C : Joined) {
      if (C != u' ' && C != u'\t') Compact += C;
    }
    for (char16_t C : u"H:" + Value) {
      if (C != u' ' && C != u'\t') Expected += C;
    }
    EXPECT_EQ(Compact, Expected) << "limit " << Limit;
  }
}

}  // namespace
}  // namespace vlm
