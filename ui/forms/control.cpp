// ui/forms/control.cpp -- windowless controls: bounds, visibility and repaint requests.
#include "ui/forms/control.h"

#include "ui/forms/dpi.h"
#include "ui/forms/form.h"

namespace vlm {

TControl::TControl(TForm& Parent, int Left, int Top, int Width, int Height)
    : FParent(Parent),
      FLeft(ScaleValue(Left, Parent.Scale())),
      FTop(ScaleValue(Top, Parent.Scale())),
      FWidth(ScaleValue(Width, Parent.Scale())),
      FHeight(ScaleValue(Height, Parent.Scale())) {
  FParent.InsertControl(this);
}

TControl::~TControl() {
  FParent.RemoveControl(this);
  // Only the repaint: the window's description may already name controls that are gone.
  const RECT R = BoundsRect();
  if (FParent.Handle()) InvalidateRect(FParent.Handle(), &R, FALSE);
}

void TControl::SetVisible(bool Value) {
  if (FVisible == Value) return;
  FVisible = Value;
  Invalidate();
}

void TControl::SetEnabled(bool Value) {
  if (FEnabled == Value) return;
  FEnabled = Value;
  Invalidate();
}

void TControl::Invalidate() {
  const RECT R = BoundsRect();
  if (FParent.Handle()) InvalidateRect(FParent.Handle(), &R, FALSE);
  FParent.ControlChanged();
}

void TControl::Click() {
  if (OnClick) OnClick(this);
}

}  // namespace vlm
