// tests/zip/engine/target_path_test.cpp -- the name rules, entry name normalization, target paths
// and file specifications.
#include "zip/engine/target_path.h"

#include <gtest/gtest.h>

#include "runtime/file_system.h"
#include "zip/engine/wildcard.h"

namespace vlm::zipengine {
namespace {

TEST(IsSafeNameComponent, AcceptsOrdinaryNames) {
  for (const char16_t* Name : {u"a", u"file.txt", u".hidden", u"..x", u"x..y", u"CONSOLE.txt",
                               u"COM10", u"LPT", u"com.txt", u"Grüße.txt", u"日本語", u"a b"}) {
    EXPECT_TRUE(IsSafeNameComponent(Name)) << StringToUtf8(Name);
  }
  EXPECT_TRUE(IsSafeNameComponent(String(255, u'n')));
}

TEST(IsSafeNameComponent, RefusesDotsEmptyAndOverlongNames) {
  for (const char16_t* Name : {u"", u".", u"..", u"name.", u"name ", u"name. "}) {
    EXPECT_FALSE(IsSafeNameComponent(Name)) << StringToUtf8(Name);
  }
  EXPECT_FALSE(IsSafeNameComponent(String(256, u'n')));
}

TEST(IsSafeNameComponent, RefusesReservedCharactersAndControls) {
  for (char16_t C :
       {u'<', u'>', u':', u'"', u'|', u'?', u'*', u'/', u'\\', u'\x01', u'\x1F', u'\x7F'}) {
    EXPECT_FALSE(IsSafeNameComponent(String(u"a") + C + u"b")) << static_cast<int>(C);
  }
  EXPECT_FALSE(IsSafeNameComponent(String(u"a\0b", 3)));
}

TEST(IsSafeNameComponent, RefusesDeviceNamesInAnyCaseWithOrWithoutExtension) {
  for (const char16_t* Name :
       {u"CON", u"con", u"Prn.txt", u"aux.tar.gz", u"NUL", u"nul .txt", u"COM0", u"com9.log",
        u"LPT1", u"lpt9", u"COM\u00B9", u"lpt\u00B2.txt", u"COM\u00B3", u"CONIN$", u"conout$.x"}) {
    EXPECT_FALSE(IsSafeNameComponent(Name)) << StringToUtf8(Name);
  }
}

TEST(NormalizeEntryName, ReadsSlashesAsBackslashesAndDropsLeadingOnes) {
  EXPECT_EQ(NormalizeEntryName(u"dir/sub/file.txt"), u"dir\\sub\\file.txt");
  EXPECT_EQ(NormalizeEntryName(u"//abs/x"), u"abs\\x");
  EXPECT_EQ(NormalizeEntryName(u"\\x"), u"x");
  EXPECT_TRUE(IsFolderEntryName(NormalizeEntryName(u"dir/")));
  EXPECT_FALSE(IsFolderEntryName(u"dir\\x"));
  EXPECT_TRUE(IsFolderEntryName(u"dir/"));
  EXPECT_FALSE(IsFolderEntryName(u""));
}

TEST(ExtractionName, DropsFolderNamesUnlessKept) {
  EXPECT_EQ(ExtractionName(u"dir\\sub\\file.txt", false), u"file.txt");
  EXPECT_EQ(ExtractionName(u"dir\\sub\\file.txt", true), u"dir\\sub\\file.txt");
  EXPECT_EQ(ExtractionName(u"..\\..\\x", false), u"x");
}

TEST(TargetPathFor, JoinsBaseFolderAndNameWithThePlatformDelimiter) {
  const String D(1, PathDelimiter());
  const auto Target = TargetPathFor(u"base\\", u"file.txt");
  ASSERT_TRUE(Target);
  EXPECT_EQ(Target->Path, u"base" + D + u"file.txt");
  EXPECT_EQ(Target->FolderCount(), 0u);
  const auto Deep = TargetPathFor(u"base/", u"a\\b\\c.txt");
  ASSERT_TRUE(Deep);
  EXPECT_EQ(Deep->Path, u"base" + D + u"a" + D + u"b" + D + u"c.txt");
  ASSERT_EQ(Deep->FolderCount(), 2u);
  EXPECT_EQ(Deep->Folder(0), u"base" + D + u"a");
  EXPECT_EQ(Deep->Folder(1), u"base" + D + u"a" + D + u"b");
  EXPECT_EQ(TargetPathFor(u"", u"f")->Path, u"." + D + u"f");
}

TEST(TargetPathFor, RefusesAnyUnsafeComponent) {
  for (const char16_t* Name :
       {u"..\\x", u"a\\..\\x", u"C:\\x", u"a\\CON\\x", u"a\\\\x", u"a\\", u"", u"a\\b.\\c"}) {
    EXPECT_FALSE(TargetPathFor(u"base", Name)) << StringToUtf8(Name);
  }
}

TEST(TargetPathFor, RefusesPathsBeyondThePlatformLimitOrTooDeep) {
  // Base "b", a delimiter, the name and the terminating NUL: exactly at the limit, and one over.
  const size_t Fits = MaxPathLength() - 3;
  TPathRefusal Why = TPathRefusal::BadComponent;
  String Long;  // 200-unit components: fewer than 256 folders on every platform
  while (Long.size() < Fits) Long += (Long.empty() ? u"" : u"\\") + String(200, u'd');
  Long.resize(Fits);
  if (Long.back() == u'\\') Long.back() = u'e';
  const auto AtLength = TargetPathFor(u"b", Long, &Why);
  ASSERT_TRUE(AtLength);
  EXPECT_EQ(AtLength->Path.size(), MaxPathLength() - 1);
  EXPECT_EQ(Why, TPathRefusal::None);
  EXPECT_FALSE(TargetPathFor(u"b", Long + u"x", &Why));
  EXPECT_EQ(Why, TPathRefusal::TooLong);

  String Deep;
  for (size_t I = 0; I < kMaxFolderDepth; ++I) Deep += u"a\\";
  const auto AtLimit = TargetPathFor(u"b", Deep + u"f", &Why);
  ASSERT_TRUE(AtLimit);
  EXPECT_EQ(AtLimit->FolderCount(), kMaxFolderDepth);
  EXPECT_EQ(AtLimit->Folder(0), u"b" + String(1, PathDelimiter()) + u"a");
  EXPECT_FALSE(TargetPathFor(u"b", Deep + u"a\\f", &Why));
  EXPECT_EQ(Why, TPathRefusal::TooDeep);
  EXPECT_FALSE(TargetPathFor(u"b", u"a\\..\\f", &Why));
  EXPECT_EQ(Why, TPathRefusal::BadComponent);
}

TEST(MatchesSpec, WildcardsWithoutRegardToCase) {
  EXPECT_TRUE(MatchesSpec(u"*.*", u"noext"));
  EXPECT_TRUE(MatchesSpec(u"*.*", u"dir\\a.b"));
  EXPECT_TRUE(MatchesSpec(u"*.TXT", u"dir\\readme.txt"));
  EXPECT_TRUE(MatchesSpec(u"r?adme.*", u"README.md"));
  EXPECT_FALSE(MatchesSpec(u"r?adme.*", u"rdme.md"));
  EXPECT_TRUE(MatchesSpec(u"dir/*.txt", u"dir\\a.txt"));
  EXPECT_FALSE(MatchesSpec(u"dir\\*.txt", u"other\\a.txt"));
  EXPECT_TRUE(MatchesSpec(u"*a*b*c", u"xxaxxbxxc"));
  EXPECT_FALSE(MatchesSpec(u"*a*b*c", u"xxaxxcxxb"));
  EXPECT_FALSE(MatchesSpec(u"", u"x"));
  // A pathological pattern stays fast (one backtrack point).
  EXPECT_FALSE(MatchesSpec(String(50, u'*') + u"b", String(5000, u'a')));
}

TEST(IsSelected, EmptyIncludeListSelectsAllBeforeExclusions) {
  EXPECT_TRUE(IsSelected({}, {}, u"x.bin"));
  EXPECT_FALSE(IsSelected({}, {u"*.bin"}, u"x.bin"));
  EXPECT_TRUE(IsSelected({u"*.txt", u"x.*"}, {}, u"x.bin"));
  EXPECT_FALSE(IsSelected({u"*.txt"}, {}, u"x.bin"));
}

}  // namespace
}  // namespace vlm::zipengine
