// ui/forms/dpi.h -- the layout unit: positions, sizes and font heights are pixels at 96 dots per
// inch, scaled by the screen's resolution when a window is created.
#pragma once

namespace vlm {

// The screen's vertical resolution divided by 96 (1.0 on a 96 dpi screen, 1.25 at 120 dpi).
double ScreenScale();

// A 96 dpi length in device pixels at Scale, rounded to the nearest pixel.
int ScaleValue(int Value, double Scale);

}  // namespace vlm
