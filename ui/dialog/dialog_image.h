// ui/dialog/dialog_image.h -- an off-screen 32-bit image with per-pixel alpha: the message
// dialog's complete look as it is handed to the window system.
#pragma once

#include <cstdint>
#include <vector>

namespace vlm {

// Pixels are top-down rows of premultiplied 0xAARRGGBB values (in memory B, G, R, A), the layout
// both GDI+ (32bppPARGB) and layered windows use.
struct DialogImage {
  int Width = 0;
  int Height = 0;
  std::vector<uint32_t> Pixels;

  uint32_t Pixel(int X, int Y) const { return Pixels[static_cast<size_t>(Y) * Width + X]; }
  int Alpha(int X, int Y) const { return static_cast<int>(Pixel(X, Y) >> 24); }
  // One colour channel (16 red, 8 green, 0 blue) with the alpha divided out again.
  int Straight(int X, int Y, int Shift) const {
    const int A = Alpha(X, Y);
    if (A == 0) return 0;
    const int C = static_cast<int>((Pixel(X, Y) >> Shift) & 0xFF);
    return (C * 255 + A / 2) / A;
  }
};

}  // namespace vlm
