// ui/controls/smooth_progress_bar.h -- the progress bar: a windowed control (a tab stop without
// a visible focus mark) that shows a position between Minimum and Maximum. The program sets the
// target position, clamped into the range; the shown position glides towards it on a 10 ms
// timer, covering one fifteenth of the remaining distance per tick. A new target set while a
// glide is under way is shown at once.
#pragma once

#include <functional>

#include "ui/controls/smooth_fill.h"
#include "ui/forms/double_buffer.h"
#include "ui/forms/win_control.h"

namespace vlm {

class TSmoothProgressBar : public TWinControl {
public:
  TSmoothProgressBar(TForm& Parent, int Left, int Top, int Width, int Height);
  ~TSmoothProgressBar() override;

  double Minimum() const { return FMinimum; }
  void SetMinimum(double Value);
  double Maximum() const { return FMaximum; }
  void SetMaximum(double Value);
  double Step() const { return FStep; }
  void SetStep(double Value) { FStep = Value; }

  // The target position: the value last set, raised to Minimum and lowered to Maximum (with
  // Maximum < Minimum it is Maximum).
  double Position() const { return FTarget; }
  void SetPosition(double Value);
  // What the bar draws, moving towards Position while animating.
  double ShownPosition() const { return FShown; }
  // The shown position in whole percent of the range, 0 to 100 (0 for an empty range).
  int ShownPercent() const;
  bool Gliding() const;

  void Next() { SetPosition(FTarget + FStep); }
  void Previous() { SetPosition(FTarget - FStep); }
  void GoToStart() { SetPosition(FMinimum); }
  void GoToEnd() { SetPosition(FMaximum); }

  // Whether the shown position glides (true at start); off, it follows the target at once.
  bool ProgressAnimation() const { return FProgressAnimation; }
  void SetProgressAnimation(bool Value) { FProgressAnimation = Value; }
  bool GlowAnimation = true;
  bool Shadows = true;
  bool Overlays = true;

  TSmoothFill BackGroundFill;
  TSmoothFill ProgressFill;

  // One step of the 10 ms animation timer (glide and sheen); public so tests can drive it.
  void AnimationTick();
  // The sheen: its pause counter (3000 at start) and its position in pixels from the filled
  // part's left edge (-40 at start).
  int GlowCounter() const { return FGlowCounter; }
  int GlowPosition() const { return FGlowX; }

  // Paints the whole bar at its size into G (origin at the control's top-left corner), as the
  // window shows it.
  void PaintTo(Gdiplus::Graphics& G);

  // Raised with the shown position whenever it changes.
  std::function<void(TObject* Sender, double Position)> OnPositionChanged;

protected:
  LRESULT WndProc(UINT Msg, WPARAM W, LPARAM L) override;

private:
  void PositionChanged();
  void Paint();
  void PaintBar(Gdiplus::Graphics& G, int W, int H);
  double FilledFraction() const;
  // The box the filled part grows in: the bar inset by the progress fill's outline width.
  Gdiplus::RectF InnerBox(int W, int H) const;

  double FMinimum = 0, FMaximum = 100, FStep = 10;
  double FTarget = 0, FShown = 0;
  bool FProgressAnimation = true;
  bool FPending = false;  // a glide has been requested and not yet reached its target
  // The shown position or the sheen changed since the last paint. The bar is painted on the
  // animation tick only, at most once per tick however many positions arrive between two ticks:
  // a download sets one per 32 KiB block, far more often than a screen can show.
  bool FPaintDue = false;
  int FGlowCounter = 3000;  // sheen pause counter
  int FGlowX = -40;         // sheen position in pixels from the filled part's left edge
  UINT_PTR FTimer = 0;
  TPaintBuffer FPaintBuffer;
};

}  // namespace vlm
