// ui/forms/double_buffer.h -- painting a window through an off-screen bitmap, so that controls
// that repaint often (the glide of the progress bar, the button's flash) never flicker.
#pragma once

#include <functional>

#include "ui/forms/gdiplus_api.h"

namespace vlm {

// Handles WM_PAINT for Window: Draw paints the whole client area into a compatible bitmap, which
// is then copied to the screen in one piece.
void PaintDoubleBuffered(HWND Window, const std::function<void(Gdiplus::Graphics&)>& Draw);

}  // namespace vlm
