// tests/ui/smooth_controls_paint_test.cpp -- what the smooth controls draw, looked at pixel by
// pixel in off-screen 32-bit images at known states: the button's face tones (enabled, disabled,
// pressed), its cache, caption shift, focus mark and corners; the progress bar's trough, fill,
// shadows, overlays and sheen (its ticks driven by the test, never by time); the toggle's gloss,
// rim and caption; the label's gradient over the text's own height, its shadow, its cut-off and
// its font styles.
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "support/main_form_app_double.h"
#include "support/offscreen_render.h"
#include "support/window_test_support.h"
#include "ui/controls/smooth_button.h"
#include "ui/controls/smooth_label.h"
#include "ui/controls/smooth_progress_bar.h"
#include "ui/forms/form.h"
#include "ui/main_form.h"

namespace vlm {
namespace {

using Image = std::unique_ptr<Gdiplus::Bitmap>;

Image RenderButton(TSmoothButton& B) {
  return Render(B.Width(), B.Height(), [&](Gdiplus::Graphics& G) { B.PaintTo(G); });
}

Image RenderBar(TSmoothProgressBar& B) {
  return Render(B.Width(), B.Height(), [&](Gdiplus::Graphics& G) { B.PaintTo(G); });
}

// A windowless control painted on its own, without the form's clip, into an image of W x H.
Image RenderControl(TControl& C, int W, int H) {
  return Render(W, H, [&](Gdiplus::Graphics& G) { C.Paint(G); });
}

Gdiplus::Color At(Gdiplus::Bitmap& I, int X, int Y) {
  Gdiplus::Color C;
  I.GetPixel(X, Y, &C);
  return C;
}

bool Near(Gdiplus::Color C, TColor Want, int Tolerance) {
  return std::abs(C.GetR() - RedOf(Want)) <= Tolerance &&
         std::abs(C.GetG() - GreenOf(Want)) <= Tolerance &&
         std::abs(C.GetB() - BlueOf(Want)) <= Tolerance;
}

std::string Show(Gdiplus::Color C) {
  return std::to_string(C.GetR()) + "," + std::to_string(C.GetG()) + "," + std::to_string(C.GetB());
}

bool Grey(Gdiplus::Color C) {
  return std::abs(C.GetR() - C.GetG()) <= 2 && std::abs(C.GetG() - C.GetB()) <= 2;
}

// The bounding box of the near-black pixels (a black caption's glyph cores) inside Area.
RECT DarkBox(Gdiplus::Bitmap& I, const RECT& Area, int Below) {
  RECT Box = {Area.right, Area.bottom, -1, -1};
  for (int Y = Area.top; Y < Area.bottom; ++Y) {
    for (int X = Area.left; X < Area.right; ++X) {
      const Gdiplus::Color C = At(I, X, Y);
      if (std::max({C.GetR(), C.GetG(), C.GetB()}) >= Below) continue;
      Box.left = std::min<LONG>(Box.left, X);
      Box.top = std::min<LONG>(Box.top, Y);
      Box.right = std::max<LONG>(Box.right, X);
      Box.bottom = std::max<LONG>(Box.bottom, Y);
    }
  }
  return Box;
}

// ---- Button --------------------------------------------------------------------------------

// The Install button: 175 x 73, base #808080, caption "Install".
struct ButtonOnForm {
  ButtonOnForm() { FreshAppDouble(); }
  TMainForm Form;
  TSmoothButton& B = *Form.InstallButton;
  // Left of the caption, on the middle line: the band (C - 40) shows between the two arcs.
  POINT BandPoint() const { return POINT{B.Width() / 10, B.Height() / 2}; }
  // Left of the caption, in the upper part's gradient (between C + 100 at 20 % and C).
  POINT UpperPoint() const { return POINT{B.Width() / 10, B.Height() / 4}; }
};

TEST(TSmoothButtonPaint, EnabledFaceShowsTheBandBetweenTheArcsInBaseMinusForty) {
  ButtonOnForm T;
  ASSERT_EQ(T.Form.Scale(), 1.0) << "the face points assume a 96 dpi display";
  auto I = RenderButton(T.B);
  const Gdiplus::Color Band = At(*I, T.BandPoint().x, T.BandPoint().y);
  EXPECT_TRUE(Near(Band, 0x585858, 6)) << Show(Band);
  const Gdiplus::Color Upper = At(*I, T.UpperPoint().x, T.UpperPoint().y);
  EXPECT_TRUE(Grey(Upper)) << Show(Upper);
  // Lighter than the base colour, darker than C + 100.
  EXPECT_GT(Upper.GetR(), 0x80 + 10) << Show(Upper);
  EXPECT_LT(Upper.GetR(), 0x80 + 100) << Show(Upper);
  // The top of the face and the bottom are the lightest: C + 220, clamped to white.
  EXPECT_GT(At(*I, T.B.Width() / 2, 2).GetR(), 235);
  EXPECT_GT(At(*I, T.B.Width() / 2, T.B.Height() - 3).GetR(), 220);
}

TEST(TSmoothButtonPaint, DisabledButtonIsPaintedInDarkGreyTonesAndRestoredWhenEnabled) {
  ButtonOnForm T;
  auto Enabled = RenderButton(T.B);
  T.B.SetEnabled(false);
  auto Disabled = RenderButton(T.B);
  const POINT Band = T.BandPoint(), Upper = T.UpperPoint();
  // The band is #505050 - 40.
  EXPECT_TRUE(Near(At(*Disabled, Band.x, Band.y), 0x282828, 6))
      << Show(At(*Disabled, Band.x, Band.y));
  // The upper gradient is the enabled one moved down by #80 - #50 = 48 (same positions, colours
  // below the clamp).
  const Gdiplus::Color Up = At(*Disabled, Upper.x, Upper.y);
  EXPECT_TRUE(Grey(Up)) << Show(Up);
  EXPECT_NEAR(At(*Enabled, Upper.x, Upper.y).GetR() - Up.GetR(), 48, 6) << Show(Up);
  T.B.SetEnabled(true);
  auto Again = RenderButton(T.B);
  EXPECT_TRUE(Near(At(*Again, Band.x, Band.y), 0x585858, 6)) << Show(At(*Again, Band.x, Band.y));
}

TEST(TSmoothButtonPaint, DisabledTonesDoNotDependOnTheBaseColour) {
  ButtonOnForm T;
  T.B.SetEnabled(false);
  auto Grey808080 = RenderButton(T.B);
  T.B.SetColor(0x2060C0);
  auto Blue = RenderButton(T.B);
  for (const POINT P : {T.BandPoint(), T.UpperPoint()}) {
    EXPECT_EQ(At(*Grey808080, P.x, P.y).GetValue(), At(*Blue, P.x, P.y).GetValue())
        << P.x << "," << P.y;
  }
}

TEST(TSmoothButtonPaint, PressedFaceHasSevenTenthsBrightnessAndShiftsTheCaption) {
  ButtonOnForm T;
  const RECT Middle = {4, 4, T.B.Width() - 4, T.B.Height() - 4};
  auto Up = RenderButton(T.B);
  const RECT UpText = DarkBox(*Up, Middle, 24);
  ASSERT_GE(UpText.right, UpText.left) << "no caption was drawn";
  SendMessageW(T.B.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, PointParam(20, 20));
  ASSERT_TRUE(T.B.Down());
  auto Down = RenderButton(T.B);
  // C = #808080 * 0.7 = #5A5A5A; the band is C - 40.
  const POINT Band = T.BandPoint();
  EXPECT_TRUE(Near(At(*Down, Band.x, Band.y), 0x323232, 6)) << Show(At(*Down, Band.x, Band.y));
  // ShiftDown 1: the caption moves one pixel right and one down.
  const RECT DownText = DarkBox(*Down, Middle, 24);
  EXPECT_EQ(DownText.left, UpText.left + 1);
  EXPECT_EQ(DownText.top, UpText.top + 1);
  EXPECT_EQ(DownText.right, UpText.right + 1);
  EXPECT_EQ(DownText.bottom, UpText.bottom + 1);
  ReleaseCapture();
  SendMessageW(T.B.Handle(), WM_MOUSELEAVE, 0, 0);
}

TEST(TSmoothButtonPaint, FaceIsRebuiltOnlyAfterAStateChange) {
  ButtonOnForm T;
  RenderButton(T.B);
  const int First = T.B.FaceBuilds();
  RenderButton(T.B);
  RenderButton(T.B);
  EXPECT_EQ(T.B.FaceBuilds(), First);  // plain repaints only copy the cache
  T.B.SetEnabled(false);
  RenderButton(T.B);
  EXPECT_EQ(T.B.FaceBuilds(), First + 1);
  RenderButton(T.B);
  EXPECT_EQ(T.B.FaceBuilds(), First + 1);
  T.B.SetCaption(u"Done !");
  RenderButton(T.B);
  EXPECT_EQ(T.B.FaceBuilds(), First + 2);
  T.B.SetCaption(u"Done !");  // an equal caption is no change
  RenderButton(T.B);
  EXPECT_EQ(T.B.FaceBuilds(), First + 2);
  SendMessageW(T.B.Handle(), WM_MOUSEMOVE, 0, PointParam(10, 10));  // the mouse comes in
  RenderButton(T.B);
  EXPECT_EQ(T.B.FaceBuilds(), First + 3);
  T.B.SetColor(0x2060C0);
  RenderButton(T.B);
  EXPECT_EQ(T.B.FaceBuilds(), First + 4);
}

TEST(TSmoothButtonPaint, FocusedButtonShowsADottedMarkAlongItsEdge) {
  ButtonOnForm T;
  auto Unfocused = RenderButton(T.B);
  T.Form.Show();
  T.B.SetFocus();
  ASSERT_TRUE(T.B.Focused());
  auto Focused = RenderButton(T.B);
  // The left edge, away from the corners: black dots only when focused.
  int DarkestBefore = 255, DarkestAfter = 255, DarkCount = 0, LightCount = 0;
  for (int Y = 12; Y < T.B.Height() - 12; ++Y) {
    DarkestBefore = std::min<int>(DarkestBefore, At(*Unfocused, 0, Y).GetR());
    const int After = At(*Focused, 0, Y).GetR();
    DarkestAfter = std::min(DarkestAfter, After);
    if (After < 45) ++DarkCount;
    if (After > 60) ++LightCount;
  }
  EXPECT_GT(DarkestBefore, 60);
  EXPECT_LT(DarkestAfter, 45);
  // Dotted, not solid: gaps between the dots.
  EXPECT_GT(DarkCount, 5);
  EXPECT_GT(LightCount, 5);
}

TEST(TSmoothButtonPaint, PressFlashesAfterTheClickHasReturned) {
  ButtonOnForm T;
  T.Form.Show();
  Pump();
  int BuildsAtClick = -1;
  bool DownDuringClick = true;
  AppDouble().OnInstallClick = [&](TMainForm& F) {
    BuildsAtClick = F.InstallButton->FaceBuilds();
    DownDuringClick = F.InstallButton->Down();
  };
  ClickAt(T.B.Handle(), 20, 20);
  ASSERT_GE(BuildsAtClick, 0);
  EXPECT_FALSE(DownDuringClick);  // the press is shown after the click's work
  // The flash painted the pressed face and then the released one.
  EXPECT_GE(T.B.FaceBuilds(), BuildsAtClick + 2);
  EXPECT_FALSE(T.B.Down());
}

TEST(TSmoothButtonPaint, ButtonDisabledByItsClickDoesNotFlash) {
  ButtonOnForm T;
  T.Form.Show();
  Pump();
  int BuildsAtClick = -1;
  AppDouble().OnInstallClick = [&](TMainForm& F) {
    F.InstallButton->SetEnabled(false);
    BuildsAtClick = F.InstallButton->FaceBuilds();
  };
  ClickAt(T.B.Handle(), 20, 20);
  Pump();
  ASSERT_GE(BuildsAtClick, 0);
  // At most the one repaint of the disabled face; no pressed face in between.
  EXPECT_LE(T.B.FaceBuilds(), BuildsAtClick + 1);
  EXPECT_FALSE(T.B.Down());
}

// A windowless control that paints its whole rectangle in one colour.
class TPlainBlock : public TControl {
public:
  TPlainBlock(TForm& Parent, int Left, int Top, int Width, int Height, TColor Color)
      : TControl(Parent, Left, Top, Width, Height), FColor(Color) {}
  void Paint(Gdiplus::Graphics& G) override {
    Gdiplus::SolidBrush Brush(ToGdipColor(FColor));
    G.FillRectangle(&Brush, 0, 0, Width(), Height());
  }

private:
  TColor FColor;
};

TEST(TSmoothButtonPaint, RoundedCornersShowWhatLiesBehindTheButton) {
  TForm Form(L"TButtonCornerTestForm", 300, 200, 1.0);
  TPlainBlock Behind(Form, 0, 0, 300, 200, 0x0000C0);
  TSmoothButton B(Form, 40, 50, 175, 73);
  B.SetCaption(u"Install");
  auto I = RenderButton(B);
  // Outside the radius-8 corners: the windowless control under the button.
  for (const POINT P : {POINT{0, 0}, POINT{B.Width() - 1, 0}, POINT{0, B.Height() - 1},
                        POINT{B.Width() - 1, B.Height() - 1}}) {
    EXPECT_TRUE(Near(At(*I, P.x, P.y), 0x0000C0, 8))
        << P.x << "," << P.y << ": " << Show(At(*I, P.x, P.y));
  }
  // Inside the face: the button's own grey.
  EXPECT_TRUE(Grey(At(*I, B.Width() / 10, B.Height() / 2)));
}

// ---- Progress bar --------------------------------------------------------------------------

// The window's bar (281 x 19: trough #AFD2FF outlined #C0C0C0, lime fill outlined #ADD1FF),
// shown without the glide unless a test turns it on.
struct BarOfWindow {
  BarOfWindow() {
    FreshAppDouble();
    Bar.SetProgressAnimation(false);
  }
  TMainForm Form;
  TSmoothProgressBar& Bar = *Form.ProgressBar;
  // A row clear of the top and bottom gloss: the middle of the bar.
  int MidRow() const { return Bar.Height() / 2; }
  // The x of a fraction of the inner box (inset by the fill's 1-pixel outline).
  int InnerX(double Fraction) const { return 1 + static_cast<int>(Fraction * (Bar.Width() - 2)); }
};

TEST(TSmoothProgressBarPaint, EmptyBarIsAPaleBlueTroughWithASilverOutline) {
  BarOfWindow T;
  ASSERT_EQ(T.Form.Scale(), 1.0) << "the bar points assume a 96 dpi display";
  auto I = RenderBar(T.Bar);
  for (const double F : {0.05, 0.5, 0.95}) {
    const Gdiplus::Color C = At(*I, T.InnerX(F), T.MidRow());
    EXPECT_TRUE(Near(C, 0xAFD2FF, 3)) << F << ": " << Show(C);
  }
  const Gdiplus::Color Outline = At(*I, 0, T.MidRow());
  EXPECT_TRUE(Near(Outline, 0xC0C0C0, 40)) << Show(Outline);
}

TEST(TSmoothProgressBarPaint, HalfwayTheLeftHalfIsLimeAndTheRightHalfTrough) {
  BarOfWindow T;
  T.Bar.SetPosition(50);
  auto I = RenderBar(T.Bar);
  for (const double F : {0.1, 0.25, 0.4}) {
    const Gdiplus::Color C = At(*I, T.InnerX(F), T.MidRow());
    EXPECT_TRUE(Near(C, 0x00FF00, 6)) << F << ": " << Show(C);
  }
  for (const double F : {0.6, 0.75, 0.9}) {
    const Gdiplus::Color C = At(*I, T.InnerX(F), T.MidRow());
    EXPECT_TRUE(Near(C, 0xAFD2FF, 3)) << F << ": " << Show(C);
  }
}

TEST(TSmoothProgressBarPaint, GlideIsDrawnAtTheShownPosition) {
  BarOfWindow T;
  T.Bar.SetProgressAnimation(true);
  T.Bar.SetPosition(100);
  auto Before = RenderBar(T.Bar);
  EXPECT_TRUE(Near(At(*Before, T.InnerX(0.03), T.MidRow()), 0xAFD2FF, 3));  // not yet moved
  T.Bar.AnimationTick();                                                    // shown 6.67
  auto After = RenderBar(T.Bar);
  EXPECT_TRUE(Near(At(*After, T.InnerX(0.03), T.MidRow()), 0x00FF00, 40))
      << Show(At(*After, T.InnerX(0.03), T.MidRow()));
  EXPECT_TRUE(Near(At(*After, T.InnerX(0.10), T.MidRow()), 0xAFD2FF, 3))
      << Show(At(*After, T.InnerX(0.10), T.MidRow()));
}

TEST(TSmoothProgressBarPaint, ShadowsDarkenBothEndsOfTheFilledPart) {
  BarOfWindow T;
  T.Bar.SetPosition(50);
  auto I = RenderBar(T.Bar);
  const int End = T.InnerX(0.5);  // the filled part ends here
  const int Y = T.MidRow();
  const int Inside = At(*I, End - 25, Y).GetG();
  EXPECT_GE(Inside, 250);
  // Black at opacity up to 30 over lime near the right end, and near the left end.
  EXPECT_LT(At(*I, End - 3, Y).GetG(), Inside - 12) << Show(At(*I, End - 3, Y));
  EXPECT_LT(At(*I, 2, Y).GetG(), Inside - 12) << Show(At(*I, 2, Y));
  T.Bar.Shadows = false;
  auto Plain = RenderBar(T.Bar);
  EXPECT_GE(At(*Plain, End - 3, Y).GetG(), 250) << Show(At(*Plain, End - 3, Y));
  EXPECT_GE(At(*Plain, 2, Y).GetG(), 250) << Show(At(*Plain, 2, Y));
}

TEST(TSmoothProgressBarPaint, OverlaysLightenTheTopAndTheBottom) {
  BarOfWindow T;
  const int X = T.InnerX(0.5);
  auto I = RenderBar(T.Bar);
  // Near the top: white at opacity close to 180 over #AFD2FF; near the bottom edge close to
  // white.
  EXPECT_GT(At(*I, X, 2).GetR(), 0xAF + 30) << Show(At(*I, X, 2));
  EXPECT_GT(At(*I, X, T.Bar.Height() - 3).GetR(), 0xAF + 30) << Show(At(*I, X, T.Bar.Height() - 3));
  T.Bar.Overlays = false;
  auto Plain = RenderBar(T.Bar);
  EXPECT_TRUE(Near(At(*Plain, X, 2), 0xAFD2FF, 3)) << Show(At(*Plain, X, 2));
}

TEST(TSmoothProgressBarPaint, SheenIsABrightBandAtItsPositionInTheFilledPart) {
  BarOfWindow T;
  T.Bar.SetPosition(100);
  // The counter starts at 3000, beyond the pause: each tick moves the sheen 3 pixels.
  for (int I = 0; I < 40; ++I) T.Bar.AnimationTick();
  ASSERT_EQ(T.Bar.GlowPosition(), -40 + 3 * 40);
  auto I = RenderBar(T.Bar);
  const int X = 1 + T.Bar.GlowPosition();
  const int Y = T.MidRow();
  // White at opacity 120 over lime at the sheen, pure lime 40 pixels away.
  EXPECT_GT(At(*I, X, Y).GetR(), 90) << Show(At(*I, X, Y));
  EXPECT_LT(At(*I, X + 40, Y).GetR(), 10) << Show(At(*I, X + 40, Y));
  EXPECT_LT(At(*I, X - 40, Y).GetR(), 10) << Show(At(*I, X - 40, Y));
  T.Bar.GlowAnimation = false;
  auto Plain = RenderBar(T.Bar);
  EXPECT_LT(At(*Plain, X, Y).GetR(), 10) << Show(At(*Plain, X, Y));
}

TEST(TSmoothProgressBarPaint, SheenRestartsAfterLeavingAndPausesOneHundredFiftyTicks) {
  BarOfWindow T;
  T.Bar.SetPosition(10);  // the filled part is 27.9 pixels wide
  EXPECT_EQ(T.Bar.GlowCounter(), 3000);
  EXPECT_EQ(T.Bar.GlowPosition(), -40);
  // From -40 by 3 per tick it passes 27.9 at the 23rd tick (29): counter 0, position -60.
  for (int I = 0; I < 22; ++I) T.Bar.AnimationTick();
  EXPECT_EQ(T.Bar.GlowPosition(), 26);
  T.Bar.AnimationTick();
  EXPECT_EQ(T.Bar.GlowCounter(), 0);
  EXPECT_EQ(T.Bar.GlowPosition(), -60);
  for (int I = 0; I < 150; ++I) T.Bar.AnimationTick();
  EXPECT_EQ(T.Bar.GlowCounter(), 1500);
  EXPECT_EQ(T.Bar.GlowPosition(), -60);  // paused until the counter reaches 1500
  T.Bar.AnimationTick();
  EXPECT_EQ(T.Bar.GlowPosition(), -57);
  EXPECT_EQ(T.Bar.GlowCounter(), 1510);
}

TEST(TSmoothProgressBarPaint, SheenStandsStillWhileTheBarIsEmpty) {
  BarOfWindow T;
  for (int I = 0; I < 10; ++I) T.Bar.AnimationTick();
  EXPECT_EQ(T.Bar.GlowPosition(), -40);
  EXPECT_EQ(T.Bar.GlowCounter(), 3000);
}

// ---- Toggle --------------------------------------------------------------------------------

struct ToggleOfWindow {
  ToggleOfWindow() { FreshAppDouble(); }
  TMainForm Form;
  TSmoothStatusIndicator& Toggle = *Form.StartMenuCheckbox;
  Image Render() { return RenderControl(Toggle, Toggle.Width(), Toggle.Height()); }
};

TEST(TSmoothStatusIndicatorPaint, GlossLightensTheUpperHalfOfTheDisc) {
  ToggleOfWindow T;
  auto I = T.Render();
  const int X = T.Toggle.Width() / 2 - 7;
  const Gdiplus::Color Upper = At(*I, X, 6), Lower = At(*I, X, T.Toggle.Height() - 8);
  EXPECT_TRUE(Near(Lower, 0x00FF00, 20)) << Show(Lower);
  // White at opacity about 130 over lime.
  EXPECT_GT(Upper.GetR(), 60) << Show(Upper);
  EXPECT_GT(Upper.GetG(), 240) << Show(Upper);
  TSmoothStatusAppearance Look = T.Toggle.Appearance();
  Look.Glow = false;
  T.Toggle.SetAppearance(Look);
  auto Plain = T.Render();
  EXPECT_TRUE(Near(At(*Plain, X, 6), 0x00FF00, 20)) << Show(At(*Plain, X, 6));
}

TEST(TSmoothStatusIndicatorPaint, RimLiesOnTheOuterPixelsOfThePill) {
  ToggleOfWindow T;
  auto I = T.Render();
  // The body is 30 x 32 with its grey outline on the first and last columns and rows: at mid
  // height the leftmost pixel is rim grey, the next one lime.
  const int Y = T.Toggle.Height() / 2;
  const Gdiplus::Color Rim = At(*I, 0, Y);
  EXPECT_LT(std::abs(Rim.GetR() - Rim.GetG()), 60) << Show(Rim);
  EXPECT_LT(Rim.GetG(), 200) << Show(Rim);
  EXPECT_TRUE(Near(At(*I, 2, Y), 0x00FF00, 30)) << Show(At(*I, 2, Y));
  // The corner lies outside the disc.
  EXPECT_TRUE(Near(At(*I, 0, 0), 0xFFFFFF, 10)) << Show(At(*I, 0, 0));
}

TEST(TSmoothStatusIndicatorPaint, GlossKeepsInsideTheDiscAtItsTopCorners) {
  ToggleOfWindow T;
  // On black, so that white gloss outside the disc would show.
  auto I = Render(T.Toggle.Width(), T.Toggle.Height(), [&](Gdiplus::Graphics& G) {
    G.Clear(Gdiplus::Color(255, 0, 0, 0));
    T.Toggle.Paint(G);
  });
  // (3, 3) lies outside the circle of radius 16 the body's corners follow.
  EXPECT_TRUE(Near(At(*I, 3, 3), 0x000000, 10)) << Show(At(*I, 3, 3));
  EXPECT_TRUE(Near(At(*I, T.Toggle.Width() - 4, 3), 0x000000, 10))
      << Show(At(*I, T.Toggle.Width() - 4, 3));
}

TEST(TSmoothStatusIndicatorPaint, RedToggleShowsABlackCaptionInItsMiddle) {
  ToggleOfWindow T;
  T.Form.StartMenuCheckboxClick(&T.Toggle);
  ASSERT_EQ(T.Toggle.Caption(), u"X");
  auto I = T.Render();
  const RECT Text = DarkBox(*I, RECT{0, 0, T.Toggle.Width(), T.Toggle.Height()}, 40);
  ASSERT_GE(Text.right, Text.left) << "no caption was drawn";
  // Centred both ways, within a pixel or two.
  EXPECT_NEAR((Text.left + Text.right) / 2.0, T.Toggle.Width() / 2.0, 2.5);
  EXPECT_NEAR((Text.top + Text.bottom) / 2.0, T.Toggle.Height() / 2.0, 3.5);
  EXPECT_TRUE(Near(At(*I, T.Toggle.Width() / 2 - 7, T.Toggle.Height() - 8), 0xFF0000, 20));
}

// ---- Label ---------------------------------------------------------------------------------

// Per row of I within [X0, X1), the smallest green component, for rows that hold text.
std::vector<int> GlyphRowCores(Gdiplus::Bitmap& I, int X0, int X1) {
  std::vector<int> Rows;
  for (int Y = 0; Y < static_cast<int>(I.GetHeight()); ++Y) {
    int Darkest = 256;
    for (int X = X0; X < X1; ++X) Darkest = std::min<int>(Darkest, At(I, X, Y).GetG());
    if (Darkest <= 240) Rows.push_back(Darkest);
  }
  return Rows;
}

TEST(TSmoothLabelPaint, GradientSpansTheTextNotTheLabel) {
  TForm Form(L"TLabelTestForm", 400, 400, 1.0);
  // A tall label: were the gradient spread over its 300 pixels, the 27-pixel text in its
  // middle would show hardly any change of colour from top to bottom.
  TSmoothLabel Label(Form, 0, 0, 300, 300);
  Label.SetCaption(u"Installation directory :");
  auto I = RenderControl(Label, 300, 300);
  const auto Rows = GlyphRowCores(*I, 0, 300);
  ASSERT_GT(Rows.size(), 10u) << "no text was drawn";
  const int Top = *std::min_element(Rows.begin() + 1, Rows.begin() + 4);
  const int Bottom = *std::min_element(Rows.end() - 4, Rows.end() - 1);
  EXPECT_GT(Top, Bottom + 60) << "top " << Top << " bottom " << Bottom;
}

TEST(TSmoothLabelPaint, CaptionShadowIsDrawnUnderTheCaptionWhenSwitchedOn) {
  TForm Form(L"TLabelTestForm", 400, 100, 1.0);
  TSmoothLabel Label(Form, 0, 0, 300, 50);
  Label.SetCaption(u"Setup");
  const auto Reds = [](Gdiplus::Bitmap& I) {
    int Count = 0;
    for (int Y = 0; Y < static_cast<int>(I.GetHeight()); ++Y) {
      for (int X = 0; X < static_cast<int>(I.GetWidth()); ++X) {
        const Gdiplus::Color C = At(I, X, Y);
        if (C.GetR() > 180 && C.GetG() < 80 && C.GetB() < 80) ++Count;
      }
    }
    return Count;
  };
  auto Without = RenderControl(Label, 300, 50);
  EXPECT_EQ(Reds(*Without), 0);
  Label.CaptionShadow.Visible = true;
  Label.CaptionShadow.Text = u"Setup";
  Label.CaptionShadow.ColorStart = 0xFF0000;
  auto With = RenderControl(Label, 300, 50);
  EXPECT_GT(Reds(*With), 5);
  Label.CaptionShadow.Text.clear();  // an empty shadow draws nothing
  auto Empty = RenderControl(Label, 300, 50);
  EXPECT_EQ(Reds(*Empty), 0);
}

TEST(TSmoothLabelPaint, TextWiderThanTheLabelIsCutOffAtItsRightEdge) {
  TForm Form(L"TLabelTestForm", 400, 100, 1.0);
  TSmoothLabel Label(Form, 0, 0, 60, 40);
  Label.SetLocation(TLabelLocation::CenterLeft);
  Label.SetCaption(u"Installing.........");
  // Painted into an image wider than the label, without any clip of the caller's.
  auto I = RenderControl(Label, 300, 40);
  const auto Inside = GlyphRowCores(*I, 0, 60);
  EXPECT_GT(Inside.size(), 5u) << "no text was drawn";
  EXPECT_TRUE(GlyphRowCores(*I, 61, 300).empty());
}

TEST(TSmoothLabelPaint, FontStylesReachTheDrawing) {
  TForm Form(L"TLabelTestForm", 400, 100, 1.0);
  TSmoothLabel Label(Form, 0, 0, 300, 60);
  Label.SetCaption(u"mmmm");
  const auto Plain = RenderControl(Label, 300, 60);
  TFont Font = Label.Font();
  Font.Italic = true;
  Label.SetFont(Font);
  const auto Italic = RenderControl(Label, 300, 60);
  // Slanted glyphs: the columns the strokes cover move.
  int Differing = 0;
  for (int Y = 0; Y < 60; ++Y) {
    for (int X = 0; X < 300; ++X) Differing += At(*Italic, X, Y).GetG() != At(*Plain, X, Y).GetG();
  }
  EXPECT_GT(Differing, 100);
  // Underline is drawn by the platform's text drawing (wine's leaves it out): it must at least
  // reach the font the label draws with, with the other styles.
  Font.Bold = Font.Underline = true;
  EXPECT_EQ(CreateGdipFont(Font)->GetStyle(),
            Gdiplus::FontStyleBoldItalic | Gdiplus::FontStyleUnderline);
}

}  // namespace
}  // namespace vlm
