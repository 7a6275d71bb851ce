// ui/controls/smooth_status_indicator.h -- the status indicator: a windowless round pill with a
// centred caption, filled with Appearance.Fill and outlined in its border colour; a left press
// and release on it raises OnClick. The window uses two of them as toggles.
#pragma once

#include "runtime/string.h"
#include "ui/controls/smooth_fill.h"
#include "ui/forms/control.h"
#include "ui/forms/font.h"

namespace vlm {

struct TSmoothStatusAppearance {
  TSmoothFill Fill;
  TFont Font{u"Tahoma", 11, false, clBlack};
  bool Glow = true;  // a white gloss over the upper half of the body
  int Spacing = 0;   // horizontal inset for the caption
};

class TSmoothStatusIndicator : public TControl {
public:
  TSmoothStatusIndicator(TForm& Parent, int Left, int Top, int Width, int Height);

  const String& Caption() const { return FCaption; }
  // Changes the caption only; the control keeps its size.
  void SetCaption(const String& Value);
  TColor FillColor() const { return FAppearance.Fill.Color; }
  void SetFillColor(TColor Value);
  const TSmoothStatusAppearance& Appearance() const { return FAppearance; }
  void SetAppearance(const TSmoothStatusAppearance& Value);

  void Paint(Gdiplus::Graphics& G) override;

private:
  // The caption centred in the control, in the appearance font and its colour.
  void PaintCaption(Gdiplus::Graphics& G);

  String FCaption = u"0";
  TSmoothStatusAppearance FAppearance;
};

}  // namespace vlm
