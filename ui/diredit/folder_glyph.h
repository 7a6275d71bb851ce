// ui/diredit/folder_glyph.h -- the browse button's picture: an open folder of 14 x 12 pixels in
// two variants, with magenta (#FF00FF) standing for "transparent".
#pragma once

#include <array>

#include "runtime/win32/win32_api.h"

namespace vlm {

inline constexpr int kFolderGlyphWidth = 14;
inline constexpr int kFolderGlyphHeight = 12;
inline constexpr COLORREF kGlyphTransparent = RGB(0xFF, 0x00, 0xFF);

enum class TGlyphVariant {
  Classic,  // outlined in black with highlight and shadow, for the classic look
  Flat      // a flatter, softly outlined folder, for when visual styles are on
};

using FolderGlyph = std::array<COLORREF, kFolderGlyphWidth * kFolderGlyphHeight>;

// The picture's pixels, row by row from the top; transparent pixels are kGlyphTransparent.
const FolderGlyph& FolderGlyphPixels(TGlyphVariant Variant);

// Draws the picture with its top-left corner at (X, Y), leaving transparent pixels untouched.
void DrawFolderGlyph(HDC DC, int X, int Y, TGlyphVariant Variant);

}  // namespace vlm
