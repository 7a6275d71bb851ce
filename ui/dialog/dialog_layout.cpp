// ui/dialog/dialog_layout.cpp -- size and layout rules of the message dialog.
#include "ui/dialog/dialog_layout.h"

#include <algorithm>

#include "ui/forms/dpi.h"

namespace vlm {

DialogLayout ComputeDialogLayout(const DialogLayoutInput& In) {
  DialogLayout L;
  const int Spacing = In.ButtonSpacing;
  const int Count = static_cast<int>(In.ButtonCaptions.size());
  const auto Px = [&In](int Value) { return ScaleValue(Value, In.Scale); };
  const int TextPadding = Px(10);
  L.CellWidth = Px(kMinButtonCellWidth);
  L.CellHeight = Px(kMinButtonCellHeight);
  for (const TextExtent& E : In.ButtonCaptions) {
    L.CellWidth = std::max(L.CellWidth, E.Width + TextPadding + Spacing);
    L.CellHeight = std::max(L.CellHeight, E.Height + TextPadding + Spacing);
  }
  const bool Vertical = In.ButtonLayout == TButtonLayout::Vertical;
  // The stacked layout gives each button a row of its own.
  const int CellsHigh = Vertical ? std::max(Count, 1) : 1;
  L.Width = std::max(L.CellWidth, In.Caption.Width + 2 * TextPadding);
  L.Height = CellsHigh * L.CellHeight + In.CaptionHeight;
  L.Width += 2 * In.Margin;
  L.Height += 2 * In.Margin;
  const int RowWidth = Vertical ? L.CellWidth + Spacing : Count * L.CellWidth + Spacing;
  if (RowWidth > L.Width - 2 * In.Margin) L.Width = RowWidth + 2 * In.Margin;

  const int M = In.Margin;
  L.CaptionBand = RECT{M + Px(5), M, L.Width - 1 - M, M + In.CaptionHeight};
  L.ButtonArea = RECT{M, M + In.CaptionHeight, L.Width - M, L.Height - 1 - M};

  const int AreaWidth = L.ButtonArea.right - L.ButtonArea.left;
  const int AreaHeight = L.ButtonArea.bottom - L.ButtonArea.top;
  const int ButtonWidth = L.CellWidth - Spacing;
  const int ButtonHeight = L.CellHeight - Spacing;
  for (int I = 0; I < Count; ++I) {
    RECT B;
    if (Vertical) {
      const int ColumnHeight = Count * L.CellHeight + Spacing;
      B.left = L.ButtonArea.left + (AreaWidth - ButtonWidth) / 2;
      B.top = L.ButtonArea.top + (AreaHeight - ColumnHeight) / 2 + I * (L.CellHeight - Spacing) +
              (I + 1) * Spacing;
    } else {
      B.left = L.ButtonArea.left + (AreaWidth - RowWidth) / 2 + I * (L.CellWidth - Spacing) +
               (I + 1) * Spacing;
      B.top = L.ButtonArea.top + (AreaHeight - ButtonHeight) / 2;
    }
    B.right = B.left + ButtonWidth;
    B.bottom = B.top + ButtonHeight;
    L.Buttons.push_back(B);
  }
  return L;
}

int ButtonAt(const DialogLayout& Layout, POINT P) {
  for (size_t I = 0; I < Layout.Buttons.size(); ++I) {
    if (PtInRect(&Layout.Buttons[I], P)) return static_cast<int>(I);
  }
  return -1;
}

}  // namespace vlm
