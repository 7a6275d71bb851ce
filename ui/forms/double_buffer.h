// ui/forms/double_buffer.h -- painting a window through an off-screen bitmap, so that controls
// that repaint often (the glide of the progress bar, the button's flash) never flicker.
#pragma once

#include <functional>

#include "ui/forms/gdiplus_api.h"

namespace vlm {

// Handles WM_PAINT for Window: Draw paints the whole client area into a compatible bitmap, which
// is then copied to the screen in one piece.
void PaintDoubleBuffered(HWND Window, const std::function<void(Gdiplus::Graphics&)>& Draw);

// The same for a control that repaints many times a second (the progress bar, up to 100 frames a
// second while it glides or its sheen moves): the off-screen bitmap and its device context are
// kept from one paint to the next instead of being made and destroyed for each (under wine that
// is about a quarter of a frame's cost). Draw must paint every pixel: what it leaves stays from
// the last frame.
class TPaintBuffer {
public:
  TPaintBuffer() = default;
  ~TPaintBuffer();
  TPaintBuffer(const TPaintBuffer&) = delete;
  TPaintBuffer& operator=(const TPaintBuffer&) = delete;

  void Paint(HWND Window, const std::function<void(Gdiplus::Graphics&)>& Draw);

private:
  bool Fit(HDC Screen, int W, int H);
  void Release();

  HDC FDc = nullptr;
  HBITMAP FBitmap = nullptr;
  HGDIOBJ FOld = nullptr;
  int FWidth = 0, FHeight = 0;
};

}  // namespace vlm
