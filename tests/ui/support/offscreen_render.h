// tests/ui/support/offscreen_render.h -- drawing into a fresh off-screen 32-bit image, for tests
// that look at what a control or window paints pixel by pixel.
#pragma once

#include <memory>

#include "ui/forms/gdiplus_api.h"

namespace vlm {

// A fresh white 32-bit image of W x H with Draw applied to it.
template <typename F>
std::unique_ptr<Gdiplus::Bitmap> Render(int W, int H, F&& Draw) {
  auto Bitmap = std::make_unique<Gdiplus::Bitmap>(W, H, PixelFormat32bppARGB);
  Gdiplus::Graphics G(Bitmap.get());
  G.Clear(Gdiplus::Color(255, 255, 255, 255));
  Draw(G);
  return Bitmap;
}

}  // namespace vlm
