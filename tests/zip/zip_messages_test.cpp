// tests/zip/zip_messages_test.cpp -- the zip front end's message texts: the built-in table, the
// lookup order with OnLoadStr and the "missing" text, formatting, and the exceptions' ids.
#include "zip/zip_messages.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "zip/zf_exception.h"

namespace vlm {
namespace {

// Clears the process-wide hook even when a test fails half-way.
class ZipMessages : public ::testing::Test {
protected:
  void TearDown() override { SetOnLoadStr(nullptr); }
};

TEST_F(ZipMessages, BuiltInTextsAreExactIncludingTrailingBlanks) {
  EXPECT_EQ(LoadZipStr(10096), u"US: default");
  EXPECT_EQ(LoadZipStr(10106), u"Exception in Event handler ");
  EXPECT_EQ(LoadZipStr(10125), u" Unknown error %d");
  EXPECT_EQ(LoadZipStr(10155), u"Enter Password ");
  EXPECT_EQ(LoadZipStr(10203), u"Warning - Error in zip structure!");
  EXPECT_EQ(LoadZipStr(10227), u"CancelAll");
  EXPECT_EQ(LoadZipStr(10504), u"Extract directory '%s' must exist");
  EXPECT_EQ(LoadZipStr(10654), u"Error [%d %s] loading %s");
  EXPECT_EQ(LoadZipStr(11001), u"Input file does not exist");
  EXPECT_EQ(LoadZipStr(11036), u"This archive is not a valid Zip archive");
  EXPECT_EQ(LoadZipStr(11604), u"Trace: ");
  EXPECT_EQ(LoadZipStr(11648), u"Good");
  EXPECT_EQ(LoadZipStr(11675), u"Error ");
  EXPECT_EQ(LoadZipStr(11683), u"Duplicate internal name");
}

TEST_F(ZipMessages, TableHoldsTheListedIdsOnlyWithinTheMessageRange) {
  const std::vector<int32_t> Ids = BuiltInZipStrIds();
  EXPECT_EQ(Ids.size(), 91u);
  EXPECT_TRUE(std::is_sorted(Ids.begin(), Ids.end()));
  EXPECT_EQ(Ids.front(), 10096);
  EXPECT_EQ(Ids.back(), 11683);
  // The engine's error numbers 0..35 all have a text at 11648 + n.
  for (int32_t N = 0; N <= 35; ++N) {
    EXPECT_TRUE(BuiltInZipStr(kZipMsgEngineBase + N).has_value()) << N;
  }
  for (const int32_t Id : Ids) {
    const String Text = *BuiltInZipStr(Id);
    EXPECT_FALSE(Text.empty()) << Id;
    EXPECT_EQ(Text.find(u'\n'), String::npos) << Id;
  }
}

TEST_F(ZipMessages, UnknownIdGivesResourceMissingText) {
  EXPECT_EQ(LoadZipStr(10000), u"Resource missing for 10000");
  EXPECT_EQ(LoadZipStr(10231), u"Resource missing for 10231");  // the Close caption
  EXPECT_EQ(LoadZipStr(-20000), u"Resource missing for -20000");
  EXPECT_EQ(FindZipStr(10000), u"");
}

TEST_F(ZipMessages, OnLoadStrCanReplaceOrSupplyTexts) {
  std::vector<int32_t> Seen;
  SetOnLoadStr([&](int32_t Ident, String& DefStr) {
    Seen.push_back(Ident);
    if (Ident == 10000) DefStr = u"supplied";
    if (Ident == 11001) DefStr = u"ersetzt";
    if (Ident == 11002) DefStr.clear();  // an empty answer keeps the table's text
  });
  EXPECT_EQ(LoadZipStr(10000), u"supplied");
  EXPECT_EQ(LoadZipStr(11001), u"ersetzt");
  EXPECT_EQ(LoadZipStr(11002), u"Zip file could not be opened");
  EXPECT_EQ(LoadZipStr(10001), u"Resource missing for 10001");
  EXPECT_EQ(Seen, (std::vector<int32_t>{10000, 11001, 11002, 10001}));
}

TEST_F(ZipMessages, OnLoadStrSeesTheTableTextFirst) {
  String Given;
  SetOnLoadStr([&](int32_t, String& DefStr) { Given = DefStr; });
  LoadZipStr(10128);
  EXPECT_EQ(Given, u"User Abort");
}

TEST_F(ZipMessages, FormatFillsStringsIntegersAndPrecision) {
  EXPECT_EQ(ZipFmtLoadStr(10504, {String(u"C:\\vlmv2\\")}),
            u"Extract directory 'C:\\vlmv2\\' must exist");
  EXPECT_EQ(ZipFmtLoadStr(10654, {int64_t{126}, String(u"not found"), String(u"x.dll")}),
            u"Error [126 not found] loading x.dll");
  EXPECT_EQ(ZipFmtLoadStr(10125, {int64_t{-7}}), u" Unknown error -7");
  EXPECT_EQ(ZipFormat(u"%d.%d.%d.%4.4d", {int64_t{1}, int64_t{9}, int64_t{0}, int64_t{100}}),
            u"1.9.0.0100");
  EXPECT_EQ(ZipFormat(u"[%.1d] [%5d] [%-3s] 100%%", {int64_t{0}, int64_t{42}, String(u"a")}),
            u"[0] [   42] [a  ] 100%");
  EXPECT_EQ(ZipFormat(u"%.3d", {int64_t{-5}}), u"-005");
}

TEST_F(ZipMessages, FormatNeverFailsOnMismatchedArguments) {
  EXPECT_EQ(ZipFormat(u"Skipped %s %d", {String(u"x")}), u"Skipped x %d");
  EXPECT_EQ(ZipFormat(u"%s", {int64_t{12}}), u"12");
  EXPECT_EQ(ZipFormat(u"%d", {String(u"text")}), u"text");
  EXPECT_EQ(ZipFormat(u"%x %", {int64_t{1}}), u"%x %");
  EXPECT_EQ(ZipFormat(u"plain", {int64_t{1}, int64_t{2}}), u"plain");
  EXPECT_EQ(ZipIntToStr(INT64_MIN), u"-9223372036854775808");
}

TEST_F(ZipMessages, ExceptionIdsInTheNegatedRangeBecomePositive) {
  EXPECT_EQ(EZipFront::CreateResDisp(-10504, true).ResIdent(), 10504);
  EXPECT_EQ(EZipFront::CreateResDisp(-10096, true).ResIdent(), 10096);
  EXPECT_EQ(EZipFront::CreateResDisp(-11603, true).ResIdent(), 11603);
  EXPECT_EQ(EZipFront::CreateResDisp(-11604, true).ResIdent(), -11604);
  EXPECT_EQ(EZipFront::CreateResDisp(-10095, true).ResIdent(), -10095);
  const EZipFront Far = EZipFront::CreateResDisp(-20000, false);
  EXPECT_EQ(Far.ResIdent(), -20000);
  EXPECT_EQ(Far.Message(), u"Resource missing for -20000");
  EXPECT_FALSE(Far.DisplayMsg());
}

TEST_F(ZipMessages, ExceptionConstructorsFormatTheirTexts) {
  const EZipFront Disp = EZipFront::CreateDisp(u"plain text", false);
  EXPECT_EQ(Disp.Message(), u"plain text");
  EXPECT_EQ(Disp.ResIdent(), 11049);
  EXPECT_FALSE(Disp.DisplayMsg());

  const EZipFront Int = EZipFront::CreateResInt(-11603, 5);
  EXPECT_EQ(Int.Message(), u"System error: 5");
  EXPECT_EQ(Int.ResIdent(), 11603);
  EXPECT_TRUE(Int.DisplayMsg());

  const EZipFront Str = EZipFront::CreateResStr(10650, u"VlmZip190.dll");
  EXPECT_EQ(Str.Message(), u"Failed to load VlmZip190.dll");
  EXPECT_TRUE(Str.DisplayMsg());

  const EZipFront Two = EZipFront::CreateRes2Str(10112, u"first", u"ignored");
  EXPECT_EQ(Two.Message(), u"Busy + first");
  EXPECT_STREQ(Two.ClassName(), "EZipFront");
  EXPECT_EQ(Str.WithAppended(u" (more)").Message(), u"Failed to load VlmZip190.dll (more)");
  EXPECT_STREQ(Two.what(), "Busy + first");
}

}  // namespace
}  // namespace vlm
