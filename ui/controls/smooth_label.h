// ui/controls/smooth_label.h -- the smooth label: a windowless control that draws its caption
// with a vertical colour gradient over the text's own height (ColorStart at the top of the
// glyphs, ColorEnd at the bottom), placed by Location, cut off at the label's edges.
#pragma once

#include "runtime/string.h"
#include "ui/controls/smooth_fill.h"
#include "ui/forms/control.h"
#include "ui/forms/font.h"

namespace vlm {

enum class TLabelLocation {
  TopLeft,
  TopCenter,
  TopRight,
  CenterLeft,
  CenterCenter,
  CenterRight,
  BottomLeft,
  BottomCenter,
  BottomRight,
  Custom
};
enum class TLabelGradient { Solid, Vertical };

// Where text of size (TextW, TextH) goes in a box of size (BoxW, BoxH) for Location (Custom:
// at (CustomLeft, CustomTop)).
Gdiplus::PointF CaptionOrigin(TLabelLocation Location, float BoxW, float BoxH, float TextW,
                              float TextH, float CustomLeft = 0, float CustomTop = 0);

// The second caption drawn under the first, offset by (1, 1); off at start.
struct TSmoothLabelShadow {
  bool Visible = false;
  String Text;
  TColor ColorStart = 0x808080;
  TColor ColorEnd = clNone;  // none: ColorStart throughout
  int OpacityStart = 255;
  int OpacityEnd = 255;
  TLabelGradient GradientType = TLabelGradient::Solid;
};

class TSmoothLabel : public TControl {
public:
  TSmoothLabel(TForm& Parent, int Left, int Top, int Width, int Height);

  const String& Caption() const { return FCaption; }
  void SetCaption(const String& Value);
  TLabelLocation Location() const { return FLocation; }
  void SetLocation(TLabelLocation Value);
  const TFont& Font() const { return FFont; }
  void SetFont(const TFont& Value);

  // The text gradient; ColorEnd none means ColorStart throughout.
  TColor ColorStart = 0x9FE0FF;
  TColor ColorEnd = 0x004F75;
  int OpacityStart = 255;
  int OpacityEnd = 255;
  TLabelGradient GradientType = TLabelGradient::Vertical;
  int CustomLeft = 0, CustomTop = 0;
  // The label's own fill, painted only when not transparent.
  bool Transparent = true;
  TSmoothFill Fill;
  // Wraps the caption at the layout box's width, lines aligned by the column of Location.
  bool WordWrap = false;
  TSmoothLabelShadow CaptionShadow;
  // The character of the caption (its first occurrence, either case) that is underlined while
  // the window shows keyboard cues: the access key of the control the label names. 0: none.
  char16_t AccessKey = 0;

  void Paint(Gdiplus::Graphics& G) override;

private:
  // Draws Text with a gradient from Start to End (End none: Start throughout) over the text's
  // own height, placed in Box by Location and moved by Offset, cut off at Box.
  void DrawCaption(Gdiplus::Graphics& G, const Gdiplus::RectF& Box, const String& Text,
                   TLabelGradient Gradient, TColor Start, TColor End, int StartOpacity,
                   int EndOpacity, float Offset, bool UnderlineAccessKey = false);

  String FCaption;
  TLabelLocation FLocation = TLabelLocation::CenterCenter;
  TFont FFont{u"Tahoma", 27, false, clBlack};
};

}  // namespace vlm
