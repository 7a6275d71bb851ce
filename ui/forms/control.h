// ui/forms/control.h -- the windowless control: a rectangle of its parent window that the parent
// paints (in creation order, later controls over earlier ones) and whose mouse clicks the parent
// routes to it. Positions and sizes are given at 96 dpi and scaled by the parent's scale.
#pragma once

#include <functional>

#include "runtime/object.h"
#include "ui/forms/gdiplus_api.h"

namespace vlm {

class TForm;

class TControl : public TObject {
public:
  // Registers the control with Parent (which must outlive it) as its topmost windowless control.
  TControl(TForm& Parent, int Left, int Top, int Width, int Height);
  ~TControl() override;
  TControl(const TControl&) = delete;
  TControl& operator=(const TControl&) = delete;

  // Bounds in device pixels of the parent's client area.
  int Left() const { return FLeft; }
  int Top() const { return FTop; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  RECT BoundsRect() const { return RECT{FLeft, FTop, FLeft + FWidth, FTop + FHeight}; }

  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  // A disabled control receives no clicks.
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);

  TForm& Parent() const { return FParent; }
  // Marks the control's area of the parent for repainting, and lets the parent tell screen
  // readers what changed.
  void Invalidate();

  // Paints the control with G's origin at the control's top-left corner.
  virtual void Paint(Gdiplus::Graphics& G) = 0;
  // A left press on the control followed by the release over it: raises OnClick.
  virtual void Click();

  std::function<void(TObject* Sender)> OnClick;

private:
  TForm& FParent;
  int FLeft, FTop, FWidth, FHeight;
  bool FVisible = true;
  bool FEnabled = true;
};

}  // namespace vlm
