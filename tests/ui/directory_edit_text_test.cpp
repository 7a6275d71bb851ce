// tests/ui/directory_edit_text_test.cpp -- the directory edit's text rules without a window:
// the line-break cut, dropped items, the browser's starting folder; and the button picture.
#include "ui/diredit/directory_text.h"

#include <gtest/gtest.h>

#include "tests/ui/directory_edit_test_folder.h"
#include "ui/diredit/folder_glyph.h"

namespace vlm {
namespace {

using ui_test::ScratchFolder;

TEST(CutAtLineBreak, KeepsTextWithoutBreaks) {
  EXPECT_EQ(CutAtLineBreak(u"c:\\vlmv2"), u"c:\\vlmv2");
  EXPECT_EQ(CutAtLineBreak(u""), u"");
}

TEST(CutAtLineBreak, CutsBeforeTheFirstCarriageReturnOrLineFeed) {
  EXPECT_EQ(CutAtLineBreak(u"C:\\data\r\nsecond line"), u"C:\\data");
  EXPECT_EQ(CutAtLineBreak(u"C:\\data\nsecond\rthird"), u"C:\\data");
  EXPECT_EQ(CutAtLineBreak(u"C:\\da\rta\n"), u"C:\\da");
  EXPECT_EQ(CutAtLineBreak(u"\r\nC:\\data"), u"");
}

TEST(DroppedDirectory, AFileGivesItsFolder) {
  ScratchFolder Folder;
  const String File = Folder.Path() + u"\\notes.txt";
  Folder.WriteFile(File);
  EXPECT_EQ(DroppedDirectory(File), Folder.Path());
}

TEST(DroppedDirectory, AFolderGivesItselfWithoutTheTrailingBackslash) {
  ScratchFolder Folder;
  EXPECT_EQ(DroppedDirectory(Folder.Path() + u"\\"), Folder.Path());
  EXPECT_EQ(DroppedDirectory(Folder.Path()), Folder.Path());
}

TEST(DroppedDirectory, AMissingPathIsTakenAsItIs) {
  EXPECT_EQ(DroppedDirectory(u"Q:\\no\\such\\place\\"), u"Q:\\no\\such\\place");
}

TEST(BrowseStartDirectory, AnExistingFolderTextIsUsed) {
  ScratchFolder Folder;
  EXPECT_EQ(BrowseStartDirectory(Folder.Path(), u""), Folder.Path());
}

TEST(BrowseStartDirectory, AMissingFolderStartsAtTheDriveRoot) {
  EXPECT_EQ(BrowseStartDirectory(u"c:\\vlmv2-not-here\\x", u""), u"\\");
}

TEST(BrowseStartDirectory, AFileIsNotAFolder) {
  ScratchFolder Folder;
  const String File = Folder.Path() + u"\\a.txt";
  Folder.WriteFile(File);
  EXPECT_EQ(BrowseStartDirectory(File, u""), u"\\");
}

TEST(BrowseStartDirectory, AnEmptyTextUsesInitialDirOrTheRoot) {
  ScratchFolder Folder;
  EXPECT_EQ(BrowseStartDirectory(u"", Folder.Path()), Folder.Path());
  EXPECT_EQ(BrowseStartDirectory(u"", u""), u"\\");
  EXPECT_EQ(BrowseStartDirectory(u"", u"c:\\vlmv2-not-here"), u"\\");
}

TEST(FolderGlyph, BothVariantsAre14By12WithTransparentCornersAndAVisibleFolder) {
  for (const TGlyphVariant V : {TGlyphVariant::Classic, TGlyphVariant::Flat}) {
    const FolderGlyph& P = FolderGlyphPixels(V);
    EXPECT_EQ(P.size(), 14u * 12u);
    EXPECT_EQ(P[0], kGlyphTransparent);             // top-left
    EXPECT_EQ(P[13], kGlyphTransparent);            // top-right
    EXPECT_EQ(P[11 * 14 + 13], kGlyphTransparent);  // bottom-right, beside the open flap
    int Opaque = 0;
    for (const COLORREF C : P) Opaque += C != kGlyphTransparent;
    EXPECT_GT(Opaque, 100);
  }
  EXPECT_NE(FolderGlyphPixels(TGlyphVariant::Classic), FolderGlyphPixels(TGlyphVariant::Flat));
}

TEST(FolderGlyph, ClassicVariantIsOutlinedInBlackAndFlatOneIsNot) {
  auto Blacks = [](const FolderGlyph& P) {
    int N = 0;
    for (const COLORREF C : P) N += C == RGB(0, 0, 0);
    return N;
  };
  EXPECT_GT(Blacks(FolderGlyphPixels(TGlyphVariant::Classic)), 30);
  EXPECT_EQ(Blacks(FolderGlyphPixels(TGlyphVariant::Flat)), 0);
}

}  // namespace
}  // namespace vlm
