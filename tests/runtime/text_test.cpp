// tests/runtime/text_test.cpp -- UTF-8 conversion, code pages and upper-case folding.
// The same file runs on both builds: expectations that depend on the machine's ANSI or OEM page
// check which page is in force first, and everything else names its code page explicitly.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "runtime/code_page.h"
#include "runtime/string.h"
#include "runtime/upper_case.h"

namespace vlm {
namespace {

// All 256 byte values in order, for whole-table checks.
std::string AllBytes() {
  std::string Bytes;
  for (int Byte = 0; Byte < 256; ++Byte) Bytes += static_cast<char>(Byte);
  return Bytes;
}

// The UTF-16 form of one code point, built independently of the code under test.
String Utf16Of(char32_t CodePoint) {
  if (CodePoint < 0x10000) return String(1, static_cast<char16_t>(CodePoint));
  const char32_t Offset = CodePoint - 0x10000;
  return {static_cast<char16_t>(0xD800 + (Offset >> 10)),
          static_cast<char16_t>(0xDC00 + (Offset & 0x3FF))};
}

String Replacements(size_t Count) { return String(Count, u'\uFFFD'); }

// ---------------------------------------------------------------------------------------------
// UTF-8

TEST(Utf8ToString, DecodesOneToFourByteSequences) {
  EXPECT_EQ(Utf8ToString("A"), u"A");
  EXPECT_EQ(Utf8ToString("\xC3\xA9"), u"\u00E9");
  EXPECT_EQ(Utf8ToString("\xE2\x82\xAC"), u"\u20AC");
  EXPECT_EQ(Utf8ToString("\xF0\x9F\x98\x80"), u"\xD83D\xDE00");  // U+1F600 as a surrogate pair
  EXPECT_EQ(Utf8ToString("a\xC3\xA9\xE4\xB8\xAD\xF0\x90\x90\xA8z"), u"a\u00E9\u4E2D\xD801\xDC28z");
}

TEST(Utf8ToString, DecodesTheEdgesOfEachSequenceLength) {
  EXPECT_EQ(Utf8ToString(std::string_view("\x00", 1)), String(1, u'\0'));
  EXPECT_EQ(Utf8ToString("\x7F"), u"\u007F");
  EXPECT_EQ(Utf8ToString("\xC2\x80"), u"\u0080");
  EXPECT_EQ(Utf8ToString("\xDF\xBF"), u"\u07FF");
  EXPECT_EQ(Utf8ToString("\xE0\xA0\x80"), u"\u0800");
  EXPECT_EQ(Utf8ToString("\xED\x9F\xBF"), u"\uD7FF");  // last unit before the surrogates
  EXPECT_EQ(Utf8ToString("\xEE\x80\x80"), u"\uE000");  // first unit after them
  EXPECT_EQ(Utf8ToString("\xEF\xBF\xBF"), u"\uFFFF");
  EXPECT_EQ(Utf8ToString("\xF0\x90\x80\x80"), u"\xD800\xDC00");  // U+10000
  EXPECT_EQ(Utf8ToString("\xF4\x8F\xBF\xBF"), u"\xDBFF\xDFFF");  // U+10FFFF
}

TEST(Utf8ToString, ReplacesEachByteOfAnOverlongForm) {
  EXPECT_EQ(Utf8ToString("\xC0\x80"), Replacements(2));  // NUL in two bytes
  EXPECT_EQ(Utf8ToString("\xC0\xAF"), Replacements(2));  // "/" in two bytes
  EXPECT_EQ(Utf8ToString("\xC1\xBF"), Replacements(2));
  EXPECT_EQ(Utf8ToString("\xE0\x80\xAF"), Replacements(3));      // "/" in three bytes
  EXPECT_EQ(Utf8ToString("\xE0\x9F\xBF"), Replacements(3));      // U+07FF in three bytes
  EXPECT_EQ(Utf8ToString("\xF0\x80\x80\xAF"), Replacements(4));  // "/" in four bytes
  EXPECT_EQ(Utf8ToString("\xF0\x8F\xBF\xBF"), Replacements(4));  // U+FFFF in four bytes
}

TEST(Utf8ToString, ReplacesEachByteOfAnEncodedSurrogate) {
  EXPECT_EQ(Utf8ToString("\xED\xA0\x80"), Replacements(3));  // U+D800
  EXPECT_EQ(Utf8ToString("\xED\xBF\xBF"), Replacements(3));  // U+DFFF
  // A pair written as two three-byte sequences is still two surrogates, not one character.
  EXPECT_EQ(Utf8ToString("\xED\xA0\xBD\xED\xB8\x80"), Replacements(6));
}

TEST(Utf8ToString, ReplacesEachByteOfAValueAboveTheLastCodePoint) {
  EXPECT_EQ(Utf8ToString("\xF4\x90\x80\x80"), Replacements(4));  // U+110000
  EXPECT_EQ(Utf8ToString("\xF5\x80\x80\x80"), Replacements(4));
  EXPECT_EQ(Utf8ToString("\xF8\x88\x80\x80\x80"), Replacements(5));  // an old five-byte form
  EXPECT_EQ(Utf8ToString("\xFE\xFF"), Replacements(2));
}

TEST(Utf8ToString, ReplacesEachByteOfATruncatedSequence) {
  EXPECT_EQ(Utf8ToString("\xC3"), Replacements(1));
  EXPECT_EQ(Utf8ToString("\xE2\x82"), Replacements(2));
  EXPECT_EQ(Utf8ToString("\xF0\x9F\x98"), Replacements(3));
  EXPECT_EQ(Utf8ToString("ab\xF0\x9F"), u"ab" + Replacements(2));
}

TEST(Utf8ToString, KeepsTheCharacterThatCutsASequenceShort) {
  EXPECT_EQ(Utf8ToString("\xC3\x41"), u"\uFFFDA");
  EXPECT_EQ(Utf8ToString("\xE2\x82\x42"), u"\uFFFD\uFFFDB");
  EXPECT_EQ(Utf8ToString("\xF0\x9F\x98\xC3\xA9"), Replacements(3) + u"\u00E9");
}

TEST(Utf8ToString, ReplacesStrayContinuationBytes) {
  EXPECT_EQ(Utf8ToString("\x80"), Replacements(1));
  EXPECT_EQ(Utf8ToString("a\xBF\x80z"), u"a\uFFFD\uFFFDz");
  EXPECT_EQ(Utf8ToString("\xC3\xA9\xA9"), u"\u00E9\uFFFD");
}

TEST(StringToUtf8, EncodesOneToFourByteSequences) {
  EXPECT_EQ(StringToUtf8(u"A"), "A");
  EXPECT_EQ(StringToUtf8(u"\u00E9"), "\xC3\xA9");
  EXPECT_EQ(StringToUtf8(u"\u20AC"), "\xE2\x82\xAC");
  EXPECT_EQ(StringToUtf8(u"\xD83D\xDE00"), "\xF0\x9F\x98\x80");
  EXPECT_EQ(StringToUtf8(u"\xDBFF\xDFFF"), "\xF4\x8F\xBF\xBF");
  EXPECT_EQ(StringToUtf8(String(1, u'\0')), std::string(1, '\0'));
}

TEST(StringToUtf8, ReplacesUnpairedSurrogates) {
  EXPECT_EQ(StringToUtf8(u"\xD800"), "\xEF\xBF\xBD");          // high at the end
  EXPECT_EQ(StringToUtf8(u"\xDC00\x61"), "\xEF\xBF\xBD\x61");  // low on its own, then "a"
  EXPECT_EQ(StringToUtf8(u"\xD800\x61"), "\xEF\xBF\xBD\x61");  // high before "a"
  // A pair the wrong way round is two unpaired halves.
  EXPECT_EQ(StringToUtf8(u"\xDC00\xD800"), "\xEF\xBF\xBD\xEF\xBF\xBD");
  EXPECT_EQ(StringToUtf8(u"\xD800\xD83D\xDE00"), "\xEF\xBF\xBD\xF0\x9F\x98\x80");
}

TEST(StringToUtf8, RoundTripsEveryCodePoint) {
  int Failures = 0;
  for (char32_t CodePoint = 0; CodePoint <= 0x10FFFF && Failures < 5; ++CodePoint) {
    if (CodePoint >= 0xD800 && CodePoint <= 0xDFFF) continue;
    const String Text = Utf16Of(CodePoint);
    const std::string Utf8 = StringToUtf8(Text);
    const size_t ExpectedLength = CodePoint < 0x80      ? 1
                                  : CodePoint < 0x800   ? 2
                                  : CodePoint < 0x10000 ? 3
                                                        : 4;
    if (Utf8.size() != ExpectedLength || Utf8ToString(Utf8) != Text) {
      ADD_FAILURE() << "U+" << std::hex << static_cast<unsigned long>(CodePoint);
      ++Failures;
    }
  }
}

// ---------------------------------------------------------------------------------------------
// Code pages

TEST(CodePage, SupportsTheBuiltInPagesAndTheAliases) {
  for (const unsigned Page :
       {kCodePageAnsi, kCodePageOem, 1252u, 437u, 850u, kCodePageUtf8, 20127u, 28591u}) {
    EXPECT_TRUE(IsCodePageSupported(Page)) << Page;
  }
  EXPECT_TRUE(IsCodePageSupported(AnsiCodePage()));
  EXPECT_TRUE(IsCodePageSupported(OemCodePage()));
  EXPECT_FALSE(IsCodePageSupported(12345));
}

TEST(CodePage, OemPageIsTheDosPageThatGoesWithTheAnsiPage) {
  EXPECT_TRUE(IsCodePageSupported(OemCodePage()));
  // Western European machines (and Linux) pair 1252 with the US or the multilingual DOS page.
  if (AnsiCodePage() == 1252) {
    EXPECT_TRUE(OemCodePage() == 437 || OemCodePage() == 850) << OemCodePage();
  }
}

TEST(CodePage, AliasesConvertLikeTheConcretePages) {
  const std::string Bytes = AllBytes();
  EXPECT_EQ(DecodeCodePage(kCodePageAnsi, Bytes), DecodeCodePage(AnsiCodePage(), Bytes));
  EXPECT_EQ(DecodeCodePage(kCodePageOem, Bytes), DecodeCodePage(OemCodePage(), Bytes));
  EXPECT_EQ(AnsiToString(Bytes), DecodeCodePage(AnsiCodePage(), Bytes));
  const String Text = u"Gr\u00FC\u00DFe \u20AC \u2502 \u4E2D";
  EXPECT_EQ(EncodeCodePage(kCodePageAnsi, Text), EncodeCodePage(AnsiCodePage(), Text));
  EXPECT_EQ(EncodeCodePage(kCodePageOem, Text), EncodeCodePage(OemCodePage(), Text));
  EXPECT_EQ(StringToAnsi(Text), EncodeCodePage(AnsiCodePage(), Text));
}

TEST(CodePage, SingleBytePagesRoundTripEveryByte) {
  const std::string Bytes = AllBytes();
  for (const unsigned Page : {1252u, 437u, 850u, 28591u}) {
    const String Text = DecodeCodePage(Page, Bytes);
    ASSERT_EQ(Text.size(), 256u) << Page;
    for (int Byte = 0; Byte < 0x80; ++Byte) {
      EXPECT_EQ(Text[Byte], static_cast<char16_t>(Byte)) << Page << " byte " << Byte;
    }
    EXPECT_EQ(EncodeCodePage(Page, Text), Bytes) << Page;
  }
}

TEST(CodePage, ConvertsEmptyTextInEveryPage) {
  for (const unsigned Page :
       {kCodePageAnsi, kCodePageOem, 1252u, 437u, 850u, kCodePageUtf8, 20127u, 12345u}) {
    EXPECT_EQ(DecodeCodePage(Page, ""), u"") << Page;
    EXPECT_EQ(EncodeCodePage(Page, u""), "") << Page;
  }
}

TEST(DecodeCodePage, Maps1252SpecialsOutsideLatin1) {
  EXPECT_EQ(DecodeCodePage(1252, "\x80"), u"\u20AC");
  EXPECT_EQ(DecodeCodePage(1252, "\x9F"), u"\u0178");
  EXPECT_EQ(DecodeCodePage(1252, "\x85\x8A\x99"), u"\u2026\u0160\u2122");
  EXPECT_EQ(DecodeCodePage(1252, "caf\xE9 \xFF"), u"caf\u00E9 \u00FF");
}

TEST(DecodeCodePage, MapsUndefined1252BytesToTheSameNumberedControls) {
  EXPECT_EQ(DecodeCodePage(1252, "\x81\x8D\x8F\x90\x9D"), u"\u0081\u008D\u008F\u0090\u009D");
}

TEST(EncodeCodePage, Maps1252SpecialsBackToTheirBytes) {
  EXPECT_EQ(EncodeCodePage(1252, u"\u20AC\u0178\u2026\u0160\u2122"), "\x80\x9F\x85\x8A\x99");
  EXPECT_EQ(EncodeCodePage(1252, u"\u0081\u008D\u008F\u0090\u009D"), "\x81\x8D\x8F\x90\x9D");
  EXPECT_EQ(EncodeCodePage(1252, u"caf\u00E9 \u00FF"), "caf\xE9 \xFF");
}

TEST(EncodeCodePage, ReplacesUnmappableCharactersWithQuestionMarks) {
  EXPECT_EQ(EncodeCodePage(1252, u"a\u4E2Db"), "a?b");
  EXPECT_EQ(EncodeCodePage(1252, u"\u0100\u03A9"), "??");  // Latin-A and Greek are not in 1252
  EXPECT_EQ(EncodeCodePage(437, u"\u20AC"), "?");
  EXPECT_EQ(EncodeCodePage(850, u"\u2122"), "?");
}

TEST(EncodeCodePage, DoesNotSubstituteLookAlikes) {
  // A fullwidth "=" or "\" must not turn into the ASCII one: that would split an INI line at a
  // different place or change a path.
  EXPECT_EQ(EncodeCodePage(1252, u"k\uFF1Dv\uFF3C\u0101"), "k?v??");
  EXPECT_EQ(EncodeCodePage(437, u"\u263A"), "?");  // not the control byte the DOS glyph sits on
}

TEST(DecodeCodePage, Maps437AccentsAndBoxDrawing) {
  EXPECT_EQ(DecodeCodePage(437, "\x82\x9A\xE1"), u"\u00E9\u00DC\u00DF");
  EXPECT_EQ(DecodeCodePage(437, "\xC4\xB3\xC9"), u"\u2500\u2502\u2554");
  EXPECT_EQ(DecodeCodePage(437, "\x80\x9B"), u"\u00C7\u00A2");
}

TEST(DecodeCodePage, Keeps437ControlBytesAsControls) {
  EXPECT_EQ(DecodeCodePage(437, "\x01\x0D\x0A\x7F"), u"\u0001\r\n\u007F");
}

TEST(EncodeCodePage, Maps437AccentsAndBoxDrawingBack) {
  EXPECT_EQ(EncodeCodePage(437, u"\u00E9\u00DC\u00DF"), "\x82\x9A\xE1");
  EXPECT_EQ(EncodeCodePage(437, u"\u2500\u2502\u2554"), "\xC4\xB3\xC9");
}

TEST(DecodeCodePage, Maps850WhereItDiffersFrom437) {
  EXPECT_EQ(DecodeCodePage(850, "\x82\x9B\xD5"), u"\u00E9\u00F8\u0131");
  EXPECT_EQ(EncodeCodePage(850, u"\u00F8\u0131\u00A2"), "\x9B\xD5\xBD");
}

TEST(DecodeCodePage, DecodesUtf8IncludingMalformedInput) {
  EXPECT_EQ(DecodeCodePage(kCodePageUtf8, "\xC3\xA9\xF0\x9F\x98\x80"), u"\u00E9\xD83D\xDE00");
  // An overlong NUL, "A", an encoded surrogate.
  EXPECT_EQ(DecodeCodePage(kCodePageUtf8, "\xC0\x80\x41\xED\xA0\x80"),
            u"\uFFFD\uFFFDA\uFFFD\uFFFD\uFFFD");
  EXPECT_EQ(EncodeCodePage(kCodePageUtf8, u"\u00E9\xD800"), "\xC3\xA9\xEF\xBF\xBD");
}

TEST(DecodeCodePage, DropsTheEighthBitInUsAscii) {
  EXPECT_EQ(DecodeCodePage(20127, "Az\xE9\xC1"), u"AziA");
  EXPECT_EQ(EncodeCodePage(20127, u"Az\u00E9~"), "Az?~");
}

TEST(DecodeCodePage, TreatsLatin1AsTheFirst256Units) {
  EXPECT_EQ(DecodeCodePage(28591, "\x80\xE9"), u"\u0080\u00E9");
  EXPECT_EQ(EncodeCodePage(28591, u"\u00E9\u0100\u20AC"), "\xE9??");
}

TEST(DecodeCodePage, FallsBackToLatin1ForAnUnsupportedPage) {
  EXPECT_EQ(DecodeCodePage(12345, "a\x80\xE9\xFF"), u"a\u0080\u00E9\u00FF");
  EXPECT_EQ(EncodeCodePage(12345, u"a\u0080\u00E9\u00FF\u20AC"), "a\x80\xE9\xFF?");
}

// ---------------------------------------------------------------------------------------------
// Upper case

TEST(UpperCaseUnit, MapsAsciiLettersAndNothingElseInAscii) {
  for (char16_t C = 0; C < 0x80; ++C) {
    const char16_t Expected = C >= u'a' && C <= u'z' ? static_cast<char16_t>(C - u'a' + u'A') : C;
    EXPECT_EQ(UpperCaseUnit(C), Expected) << static_cast<int>(C);
  }
}

TEST(UpperCaseUnit, MapsLatin1Letters) {
  EXPECT_EQ(UpperCaseUnit(u'\u00E4'), u'\u00C4');  // ä
  EXPECT_EQ(UpperCaseUnit(u'\u00E9'), u'\u00C9');  // é
  EXPECT_EQ(UpperCaseUnit(u'\u00FE'), u'\u00DE');  // þ
  EXPECT_EQ(UpperCaseUnit(u'\u00FF'), u'\u0178');  // ÿ leaves Latin-1
  EXPECT_EQ(UpperCaseUnit(u'\u00F7'), u'\u00F7');  // ÷ sits among the letters but is not one
  EXPECT_EQ(UpperCaseUnit(u'\u00C4'), u'\u00C4');
}

TEST(UpperCaseUnit, KeepsSharpSBecauseItsCapitalIsTwoLetters) {
  EXPECT_EQ(UpperCaseUnit(u'\u00DF'), u'\u00DF');
}

TEST(UpperCaseUnit, KeepsLettersWhoseCapitalFoldsBackToAnotherLetter) {
  // Μ lower-cases to μ, not to the micro sign; likewise I to i, Σ to σ. Folding these would make
  // two different small letters equal to one capital, and the platform does not.
  EXPECT_EQ(UpperCaseUnit(u'\u00B5'), u'\u00B5');  // micro sign
  EXPECT_EQ(UpperCaseUnit(u'\u0131'), u'\u0131');  // dotless i
  EXPECT_EQ(UpperCaseUnit(u'\u017F'), u'\u017F');  // long s
  EXPECT_EQ(UpperCaseUnit(u'\u03C2'), u'\u03C2');  // final sigma
  EXPECT_EQ(UpperCaseUnit(u'\u01C5'), u'\u01C5');  // title-case Dž
}

TEST(UpperCaseUnit, MapsLettersThatAlternateWithTheirCapitals) {
  EXPECT_EQ(UpperCaseUnit(u'\u0101'), u'\u0100');  // ā
  EXPECT_EQ(UpperCaseUnit(u'\u012F'), u'\u012E');  // į
  EXPECT_EQ(UpperCaseUnit(u'\u0102'), u'\u0102');  // Ă, between two small letters, stays
  EXPECT_EQ(UpperCaseUnit(u'\u0130'), u'\u0130');  // İ
  EXPECT_EQ(UpperCaseUnit(u'\u01C6'), u'\u01C4');  // ǆ
}

TEST(UpperCaseUnit, MapsGreekAndCyrillic) {
  EXPECT_EQ(UpperCaseUnit(u'\u03C9'), u'\u03A9');  // ω
  EXPECT_EQ(UpperCaseUnit(u'\u03B1'), u'\u0391');  // α
  EXPECT_EQ(UpperCaseUnit(u'\u03AC'), u'\u0386');  // ά
  EXPECT_EQ(UpperCaseUnit(u'\u1FB3'), u'\u1FBC');  // ᾳ keeps its iota as a prosgegrammeni
  EXPECT_EQ(UpperCaseUnit(u'\u044F'), u'\u042F');  // я
  EXPECT_EQ(UpperCaseUnit(u'\u0430'), u'\u0410');  // а
  EXPECT_EQ(UpperCaseUnit(u'\u0451'), u'\u0401');  // ё lies outside the а-я block
  EXPECT_EQ(UpperCaseUnit(u'\u042F'), u'\u042F');
}

TEST(UpperCaseUnit, MapsFullwidthLetters) {
  EXPECT_EQ(UpperCaseUnit(u'\uFF41'), u'\uFF21');
  EXPECT_EQ(UpperCaseUnit(u'\uFF5A'), u'\uFF3A');
  EXPECT_EQ(UpperCaseUnit(u'\uFF5B'), u'\uFF5B');
}

TEST(UpperCaseUnit, KeepsDigitsSymbolsAndUncasedScripts) {
  EXPECT_EQ(UpperCaseUnit(u'7'), u'7');
  EXPECT_EQ(UpperCaseUnit(u'\u0663'), u'\u0663');  // Arabic-Indic three
  EXPECT_EQ(UpperCaseUnit(u'\u4E2D'), u'\u4E2D');
  EXPECT_EQ(UpperCaseUnit(u'\u20AC'), u'\u20AC');
  EXPECT_EQ(UpperCaseUnit(u'\uFFFF'), u'\uFFFF');
}

TEST(UpperCaseUnit, KeepsEverySurrogate) {
  for (char32_t C = 0xD800; C <= 0xDFFF; ++C) {
    const auto Unit = static_cast<char16_t>(C);
    EXPECT_EQ(UpperCaseUnit(Unit), Unit) << std::hex << static_cast<unsigned>(C);
  }
}

TEST(UpperCaseUnit, IsStableWhenAppliedTwice) {
  int Failures = 0;
  for (char32_t C = 0; C <= 0xFFFF && Failures < 5; ++C) {
    const char16_t Once = UpperCaseUnit(static_cast<char16_t>(C));
    if (UpperCaseUnit(Once) != Once) {
      ADD_FAILURE() << std::hex << static_cast<unsigned>(C) << " -> "
                    << static_cast<unsigned>(Once);
      ++Failures;
    }
  }
}

TEST(UpperCase, FoldsEveryUnitAndKeepsTheLength) {
  EXPECT_EQ(UpperCase(u"Stra\u00DFe \u00E4\u00F6\u00FC"), u"STRA\u00DFE \u00C4\u00D6\u00DC");
  EXPECT_EQ(UpperCase(u"\u043F\u0440\u0438\u0432\u0435\u0442"),
            u"\u041F\u0420\u0418\u0412\u0415\u0422");
  EXPECT_EQ(UpperCase(u""), u"");
}

TEST(UpperCase, LeavesSurrogatePairsAlone) {
  // U+10428 DESERET SMALL LETTER LONG I has a capital, but folding works on single units.
  const String Text = u"a\xD801\xDC28z";
  EXPECT_EQ(UpperCase(Text), u"A\xD801\xDC28Z");
}

TEST(SameText, IgnoresCaseOfAsciiAndOtherLetters) {
  EXPECT_TRUE(SameText(u"Setup", u"SETUP"));
  EXPECT_TRUE(SameText(u"\u00C4rger", u"\u00E4RGER"));
  EXPECT_TRUE(SameText(u"gr\u00F6\u00DFe", u"GR\u00D6\u00DFE"));
  EXPECT_TRUE(
      SameText(u"\u044F\u0431\u043B\u043E\u043A\u043E", u"\u042F\u0411\u041B\u041E\u041A\u041E"));
  EXPECT_TRUE(SameText(u"", u""));
}

TEST(SameText, TellsDifferentTextApart) {
  EXPECT_FALSE(SameText(u"abc", u"abd"));
  EXPECT_FALSE(SameText(u"abc", u"abcd"));
  EXPECT_FALSE(SameText(u"gr\u00F6\u00DFe", u"GR\u00D6SSE"));  // ß does not become SS
  EXPECT_FALSE(SameText(u"A", u"\u0410"));                     // Latin A against Cyrillic А
  EXPECT_FALSE(SameText(u"\u00B5", u"\u03BC"));                // micro sign against small mu
  EXPECT_FALSE(SameText(u"[", u"{"));  // differ by 0x20 like letters do, but are not letters
}

}  // namespace
}  // namespace vlm
