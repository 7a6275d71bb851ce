// ui/diredit/folder_glyph.cpp -- the open-folder picture, drawn from two small pixel maps.
#include "ui/diredit/folder_glyph.h"

#include <cstring>

namespace vlm {

namespace {

// One character per pixel: '.' transparent, K outline, Y folder, D shade, W highlight, O soft
// outline, L light front.
constexpr const char* kClassic[kFolderGlyphHeight] = {
    "..............",  //
    ".KKKK.........",  //
    "KWYYWK........",  //
    "KYYYYKKKKKKK..",  //
    "KYYYYYYYYYYK..",  //
    "KYYKKKKKKKKKKK",  //
    "KYKWWWWWWWWWDK",  //
    "KYKWYYYYYYYDK.",  //
    "KKWYYYYYYYYDK.",  //
    "KKWYYYYYYYDK..",  //
    "KKDDDDDDDDDK..",  //
    "KKKKKKKKKKKK..",  //
};

constexpr const char* kFlat[kFolderGlyphHeight] = {
    "..............",  //
    ".OOOO.........",  //
    "OYYYYO........",  //
    "OYYYYOOOOOOO..",  //
    "OYYYYYYYYYYO..",  //
    "OYYOOOOOOOOOOO",  //
    "OYOLLLLLLLLLLO",  //
    "OYOLLLLLLLLLO.",  //
    "OOLLLLLLLLLLO.",  //
    "OOLLLLLLLLLO..",  //
    "OOLLLLLLLLLO..",  //
    "OOOOOOOOOOOO..",  //
};

COLORREF ColourOf(char C) {
  switch (C) {
    case 'K': return RGB(0x00, 0x00, 0x00);
    case 'Y': return RGB(0xFF, 0xD8, 0x50);
    case 'D': return RGB(0xB0, 0x80, 0x10);
    case 'W': return RGB(0xFF, 0xFF, 0xE0);
    case 'O': return RGB(0xC0, 0x90, 0x20);
    case 'L': return RGB(0xFF, 0xE8, 0x90);
  }
  return kGlyphTransparent;
}

FolderGlyph Build(const char* const (&Rows)[kFolderGlyphHeight]) {
  FolderGlyph Pixels{};
  for (int Y = 0; Y < kFolderGlyphHeight; ++Y) {
    for (int X = 0; X < kFolderGlyphWidth; ++X) {
      // A short row leaves the rest transparent.
      const char C = X < static_cast<int>(std::strlen(Rows[Y])) ? Rows[Y][X] : '.';
      Pixels[Y * kFolderGlyphWidth + X] = ColourOf(C);
    }
  }
  return Pixels;
}

}  // namespace

const FolderGlyph& FolderGlyphPixels(TGlyphVariant Variant) {
  static const FolderGlyph Classic = Build(kClassic);
  static const FolderGlyph Flat = Build(kFlat);
  return Variant == TGlyphVariant::Flat ? Flat : Classic;
}

void DrawFolderGlyph(HDC DC, int X, int Y, TGlyphVariant Variant) {
  const FolderGlyph& Pixels = FolderGlyphPixels(Variant);
  for (int Row = 0; Row < kFolderGlyphHeight; ++Row) {
    for (int Column = 0; Column < kFolderGlyphWidth; ++Column) {
      const COLORREF C = Pixels[Row * kFolderGlyphWidth + Column];
      if (C != kGlyphTransparent) SetPixelV(DC, X + Column, Y + Row, C);
    }
  }
}

}  // namespace vlm
