// ui/forms/color.cpp -- colour arithmetic shared by the self-drawn controls.
#include "ui/forms/color.h"

#include <algorithm>

namespace vlm {

TColor ShiftColor(TColor C, int Delta) {
  if (C == clNone) return clNone;
  auto Part = [Delta](int V) { return std::clamp(V + Delta, 0, 255); };
  return RGBColor(Part(RedOf(C)), Part(GreenOf(C)), Part(BlueOf(C)));
}

}  // namespace vlm
