// ui/forms/color.h -- 24-bit RGB colours as the window layer stores them (#RRGGBB), with the
// value none that means "draw nothing with this colour".
#pragma once

#include <cstdint>

namespace vlm {

using TColor = int32_t;  // 0xRRGGBB, or clNone

constexpr TColor clNone = -1;
constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;

constexpr TColor RGBColor(int R, int G, int B) {
  return (R << 16) | (G << 8) | B;
}
constexpr int RedOf(TColor C) {
  return (C >> 16) & 0xFF;
}
constexpr int GreenOf(TColor C) {
  return (C >> 8) & 0xFF;
}
constexpr int BlueOf(TColor C) {
  return C & 0xFF;
}

// Each of red, green and blue plus Delta (which may be negative), clamped to 0..255.
TColor ShiftColor(TColor C, int Delta);

}  // namespace vlm
