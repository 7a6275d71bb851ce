// ui/controls/smooth_button.h -- the glossy push button: a windowed control that takes the
// focus, shows its caption (its window text) over a rounded three-layer face, and raises OnClick
// for a mouse press and release that started on it, or for Enter or Space while it has the focus.
// After a mouse click it flashes the pressed face for 100 ms if it is still enabled.
#pragma once

#include <functional>
#include <memory>

#include "ui/forms/color.h"
#include "ui/forms/font.h"
#include "ui/forms/win_control.h"

namespace vlm {

struct TSmoothButtonAppearance {
  TFont Font{u"Tahoma", 11, false, clBlack};
  TColor FocusColor = clBlack;
  int GlowPercentage = 100;
  int ShiftDown = 1;  // pixels the caption moves right and down while pressed
};

// The face's base colour for a state: Base when enabled, #505050 when disabled; when pressed
// with the mouse inside, that colour with its brightness (HSV value) times 0.7.
TColor ButtonStateColor(TColor Base, bool Enabled, bool DownInside);

class TSmoothButton : public TWinControl {
public:
  TSmoothButton(TForm& Parent, int Left, int Top, int Width, int Height);

  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  const TSmoothButtonAppearance& Appearance() const { return FAppearance; }
  void SetAppearance(const TSmoothButtonAppearance& Value);

  bool Bevel = true;
  TColor BevelColor = clWhite;
  bool ShowFocus = true;
  // Handed to the owning window before OnClick runs (0 for the window's buttons).
  int ModalResult = 0;

  // Raises the click: stores ModalResult into the owning window, then runs OnClick.
  void Click();

  bool Down() const { return FDown; }
  bool MouseInside() const { return FMouseInside; }

  // Paints what the control shows on screen into G (origin at the control's top-left corner):
  // the parent's background under the control, then the cached face.
  void PaintTo(Gdiplus::Graphics& G);
  // The cached face, rebuilt first when a state change made it stale.
  Gdiplus::Bitmap& Face();
  // How many times the face has been rendered since creation.
  int FaceBuilds() const { return FFaceBuilds; }

  std::function<void(TObject* Sender)> OnClick;

protected:
  LRESULT WndProc(UINT Msg, WPARAM W, LPARAM L) override;
  void StateChanged() override { InvalidateFace(); }

private:
  void Paint();
  void PaintFace(Gdiplus::Graphics& G, int W, int H);
  void InvalidateFace() { FFaceStale = true; }
  void SetPressState(bool Down, bool Inside);
  void Flash();

  TColor FColor = 0x808080;
  TSmoothButtonAppearance FAppearance;
  bool FDown = false;
  bool FMouseInside = false;
  bool FPressed = false;  // a mouse press started on the button and its release is awaited
  // The face rendered at the control's size in 32-bit colour with alpha (transparent outside
  // the rounded face); stale after any change of size, caption, enabled state, focus, mouse
  // inside, down state, colour or appearance.
  std::unique_ptr<Gdiplus::Bitmap> FFace;
  bool FFaceStale = true;
  int FFaceBuilds = 0;
};

}  // namespace vlm
