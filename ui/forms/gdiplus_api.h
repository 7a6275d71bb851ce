// ui/forms/gdiplus_api.h -- the one door through which the anti-aliased 2D graphics API enters
// the window layer, with the process-wide start of that API and colour conversion.
#pragma once

#include "runtime/win32/win32_api.h"

#include <algorithm>

// The graphics headers need the COM stream declarations first.
#include <objidl.h>

#include <gdiplus.h>

#include "ui/forms/color.h"

namespace vlm {

// Starts the graphics API once per process (on first call) and keeps it running until exit.
void EnsureGraphics();

// A colour at an opacity of 0..255 (none becomes fully transparent).
inline Gdiplus::Color ToGdipColor(TColor C, int Opacity = 255) {
  if (C == clNone) return Gdiplus::Color(0, 0, 0, 0);
  return Gdiplus::Color(static_cast<BYTE>(std::clamp(Opacity, 0, 255)), RedOf(C), GreenOf(C),
                        BlueOf(C));
}

}  // namespace vlm
