// ui/dialog/dialog_layout.h -- the message dialog's size and the places of its parts, computed
// from the measured texts alone (no window, no font), so the rules can be checked directly.
#pragma once

#include <vector>

#include "runtime/win32/win32_api.h"

namespace vlm {

enum class TButtonLayout { Horizontal, Vertical };

struct TextExtent {
  int Width = 0;
  int Height = 0;
};

struct DialogLayoutInput {
  TextExtent Caption;                      // the caption measured in the caption font
  std::vector<TextExtent> ButtonCaptions;  // each button caption measured in the button font
  int CaptionHeight = 30;
  int ButtonSpacing = 5;
  int Margin = 0;
  TButtonLayout ButtonLayout = TButtonLayout::Horizontal;
  // The screen's resolution / 96. The sizes above are already device pixels; the rules' own
  // fixed sizes (minimum cell, text padding, the caption band's inset) are scaled by it here.
  double Scale = 1.0;
};

// The smallest button cell; a cell is a button plus one spacing.
inline constexpr int kMinButtonCellWidth = 75;
inline constexpr int kMinButtonCellHeight = 25;

// Rectangles are left/top inclusive, right/bottom exclusive, in dialog pixels (origin at the
// dialog's top-left). CaptionBand and ButtonArea keep the inclusive bottom and right edges the
// dialog paints to (W - 1, H - 1), so their fills line up with the body's outline.
struct DialogLayout {
  int Width = 0;
  int Height = 0;
  int CellWidth = 0;
  int CellHeight = 0;
  RECT CaptionBand{};  // x from 5 to W - 1, y from 0, CaptionHeight high
  RECT ButtonArea{};   // the full width, from below the caption band down to H - 1
  std::vector<RECT> Buttons;
};

// At Scale 1 (96 dpi): cell: caption + 10 + spacing each way, at least 75 x 25, the largest over
// all buttons. Width:
// the cell, or the caption + 20 when wider; height: cell + caption band; both grow by twice the
// margin; a row of buttons wider than that widens the dialog. Buttons are cell - spacing in size,
// the row centred horizontally and each button centred vertically in the button area.
DialogLayout ComputeDialogLayout(const DialogLayoutInput& In);

// The index of the button whose rectangle holds the point, or -1.
int ButtonAt(const DialogLayout& Layout, POINT P);

}  // namespace vlm
