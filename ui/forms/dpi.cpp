// ui/forms/dpi.cpp -- the screen's resolution, read from the screen device context.
#include "ui/forms/dpi.h"

#include <cmath>

#include "runtime/win32/win32_api.h"

namespace vlm {

double ScreenScale() {
  HDC Screen = GetDC(nullptr);
  const int Dpi = Screen ? GetDeviceCaps(Screen, LOGPIXELSY) : 96;
  if (Screen) ReleaseDC(nullptr, Screen);
  return Dpi > 0 ? Dpi / 96.0 : 1.0;
}

int ScaleValue(int Value, double Scale) {
  return static_cast<int>(std::lround(Value * Scale));
}

}  // namespace vlm
