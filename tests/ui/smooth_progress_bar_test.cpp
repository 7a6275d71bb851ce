// tests/ui/smooth_progress_bar_test.cpp -- the progress bar's position rules: clamping into the
// range, the glide of the shown position (one fifteenth of the remaining distance per tick), the
// jump when a new target arrives during a glide, and range changes. The ticks are driven by the
// test; no message is processed, so the bar's own timer does not interfere.
#include <gtest/gtest.h>

#include "ui/controls/smooth_progress_bar.h"
#include "ui/forms/form.h"

namespace vlm {
namespace {

struct BarOnForm {
  TForm Form{L"TProgressBarTestForm", 300, 100, 1.0};
  TSmoothProgressBar Bar{Form, 10, 10, 281, 19};
};

TEST(TSmoothProgressBar, StartsAtZeroOfZeroToHundred) {
  BarOnForm T;
  EXPECT_EQ(T.Bar.Minimum(), 0);
  EXPECT_EQ(T.Bar.Maximum(), 100);
  EXPECT_EQ(T.Bar.Step(), 10);
  EXPECT_EQ(T.Bar.Position(), 0);
  EXPECT_EQ(T.Bar.ShownPosition(), 0);
  EXPECT_TRUE(T.Bar.ProgressAnimation());
}

TEST(TSmoothProgressBar, PositionAboveMaximumIsClampedToMaximum) {
  BarOnForm T;
  T.Bar.SetPosition(150);
  EXPECT_EQ(T.Bar.Position(), 100);
}

TEST(TSmoothProgressBar, NegativePositionIsClampedToMinimum) {
  BarOnForm T;
  T.Bar.SetPosition(-5);
  EXPECT_EQ(T.Bar.Position(), 0);
}

TEST(TSmoothProgressBar, MaximumBelowMinimumMakesTheTargetTheMaximum) {
  BarOnForm T;
  T.Bar.SetMaximum(-1);
  T.Bar.SetPosition(0);
  EXPECT_EQ(T.Bar.Position(), -1);
  for (int I = 0; I < 2000 && T.Bar.ShownPosition() != -1; ++I) T.Bar.AnimationTick();
  EXPECT_EQ(T.Bar.ShownPosition(), -1);
}

TEST(TSmoothProgressBar, GlideCoversAFifteenthOfTheDistancePerTick) {
  BarOnForm T;
  T.Bar.SetPosition(100);
  EXPECT_EQ(T.Bar.ShownPosition(), 0);  // the timer moves it
  T.Bar.AnimationTick();
  EXPECT_NEAR(T.Bar.ShownPosition(), 100.0 / 15, 1e-9);
  T.Bar.AnimationTick();
  EXPECT_NEAR(T.Bar.ShownPosition(), 12.888888, 1e-5);
}

TEST(TSmoothProgressBar, GlideSettlesExactlyOnTheTarget) {
  BarOnForm T;
  T.Bar.SetPosition(100);
  for (int I = 0; I < 2000 && T.Bar.ShownPosition() != 100; ++I) T.Bar.AnimationTick();
  EXPECT_EQ(T.Bar.ShownPosition(), 100);
  EXPECT_FALSE(T.Bar.Gliding());
}

TEST(TSmoothProgressBar, NewTargetDuringAGlideIsShownAtOnce) {
  BarOnForm T;
  T.Bar.SetPosition(100);
  T.Bar.AnimationTick();
  ASSERT_TRUE(T.Bar.Gliding());
  T.Bar.SetPosition(40);
  EXPECT_EQ(T.Bar.ShownPosition(), 40);
  EXPECT_EQ(T.Bar.Position(), 40);
}

TEST(TSmoothProgressBar, GlideDownwardsMovesTowardsTheLowerTarget) {
  BarOnForm T;
  T.Bar.SetProgressAnimation(false);
  T.Bar.SetPosition(90);
  T.Bar.SetProgressAnimation(true);
  T.Bar.SetPosition(0);
  T.Bar.AnimationTick();
  EXPECT_NEAR(T.Bar.ShownPosition(), 84, 1e-9);
}

TEST(TSmoothProgressBar, WithoutAnimationThePositionIsShownAtOnce) {
  BarOnForm T;
  T.Bar.SetProgressAnimation(false);
  double Reported = -1;
  T.Bar.OnPositionChanged = [&](TObject*, double P) { Reported = P; };
  T.Bar.SetPosition(30);
  EXPECT_EQ(T.Bar.ShownPosition(), 30);
  EXPECT_EQ(Reported, 30);
}

TEST(TSmoothProgressBar, TicksReportTheShownPosition) {
  BarOnForm T;
  std::vector<double> Reported;
  T.Bar.OnPositionChanged = [&](TObject*, double P) { Reported.push_back(P); };
  T.Bar.SetPosition(15);
  T.Bar.AnimationTick();
  ASSERT_EQ(Reported.size(), 1u);
  EXPECT_NEAR(Reported[0], 1, 1e-9);
}

// A download sets a position per 32 KiB block; the bar is painted on its timer's tick only, so
// any number of positions between two ticks costs one paint, with or without the glide; and a
// tick that changes nothing (the sheen's pause) paints nothing.
TEST(TSmoothProgressBar, TicksPaintOnceWhateverArrivedAndOnlyWhenThePictureChanged) {
  BarOnForm T;
  T.Bar.GlowAnimation = false;
  ShowWindow(T.Form.Handle(), SW_SHOWNOACTIVATE);  // a hidden window has nothing to paint
  const auto PaintPending = [&] { return GetUpdateRect(T.Bar.Handle(), nullptr, FALSE) != 0; };
  for (const bool Animation : {true, false}) {
    T.Bar.SetProgressAnimation(Animation);
    T.Bar.AnimationTick();
    ValidateRect(T.Bar.Handle(), nullptr);
    const int First = Animation ? 1 : 51;
    for (int Block = First; Block < First + 50; ++Block) T.Bar.SetPosition(Block);
    EXPECT_FALSE(PaintPending()) << "animation " << Animation;
    EXPECT_EQ(T.Bar.ShownPosition(), First + 49);  // with the glide: a burst is shown at once
    T.Bar.AnimationTick();
    EXPECT_TRUE(PaintPending()) << "animation " << Animation;
    ValidateRect(T.Bar.Handle(), nullptr);
    T.Bar.AnimationTick();  // nothing moved since
    EXPECT_FALSE(PaintPending()) << "animation " << Animation;
  }
  // The sheen: each tick of its sweep is painted, the ticks of its pause are not.
  T.Bar.GlowAnimation = true;
  int Ticks = 0;
  while (T.Bar.GlowPosition() != -60 && ++Ticks < 1000) T.Bar.AnimationTick();
  ValidateRect(T.Bar.Handle(), nullptr);
  while (T.Bar.GlowPosition() == -60 && ++Ticks < 1000) {
    T.Bar.AnimationTick();
    const bool Paused = T.Bar.GlowPosition() == -60;
    EXPECT_FALSE(Paused && PaintPending()) << T.Bar.GlowCounter();
  }
  EXPECT_EQ(T.Bar.GlowPosition(), -57);
  EXPECT_TRUE(PaintPending());
}

TEST(TSmoothProgressBar, EqualPositionChangesNothing) {
  BarOnForm T;
  T.Bar.SetPosition(50);
  T.Bar.AnimationTick();
  const double Shown = T.Bar.ShownPosition();
  T.Bar.SetPosition(50);
  EXPECT_EQ(T.Bar.ShownPosition(), Shown);  // no jump for an unchanged target
}

TEST(TSmoothProgressBar, LoweredMaximumPullsTheTargetDown) {
  BarOnForm T;
  T.Bar.SetProgressAnimation(false);
  T.Bar.SetPosition(80);
  T.Bar.SetMaximum(50);
  EXPECT_EQ(T.Bar.Position(), 50);
  EXPECT_EQ(T.Bar.ShownPosition(), 50);
}

TEST(TSmoothProgressBar, MaximumBelowTheShownPositionBecomesTheTargetDuringAGlide) {
  BarOnForm T;
  T.Bar.SetPosition(60);
  for (int I = 0; I < 400; ++I) T.Bar.AnimationTick();
  ASSERT_EQ(T.Bar.ShownPosition(), 60);
  T.Bar.SetPosition(0);  // gliding back down from 60
  T.Bar.AnimationTick();
  T.Bar.SetMaximum(50);  // below the shown position: the target becomes 50
  EXPECT_EQ(T.Bar.Position(), 50);
  EXPECT_GT(T.Bar.ShownPosition(), 50);  // the shown position glides there
  // A following 0 is a change of target during the glide: shown at once.
  T.Bar.SetPosition(0);
  EXPECT_EQ(T.Bar.ShownPosition(), 0);
}

TEST(TSmoothProgressBar, RaisedMinimumPullsTheTargetUp) {
  BarOnForm T;
  T.Bar.SetProgressAnimation(false);
  T.Bar.SetPosition(10);
  T.Bar.SetMinimum(20);
  EXPECT_EQ(T.Bar.Position(), 20);
  EXPECT_EQ(T.Bar.ShownPosition(), 20);
}

TEST(TSmoothProgressBar, StepOperations) {
  BarOnForm T;
  T.Bar.Next();
  T.Bar.Next();
  EXPECT_EQ(T.Bar.Position(), 20);
  T.Bar.Previous();
  EXPECT_EQ(T.Bar.Position(), 10);
  T.Bar.GoToEnd();
  EXPECT_EQ(T.Bar.Position(), 100);
  T.Bar.GoToStart();
  EXPECT_EQ(T.Bar.Position(), 0);
}

TEST(TSmoothProgressBar, IsATabStopChildWindow) {
  BarOnForm T;
  EXPECT_TRUE(GetWindowLongW(T.Bar.Handle(), GWL_STYLE) & WS_TABSTOP);
  EXPECT_EQ(GetParent(T.Bar.Handle()), T.Form.Handle());
}

}  // namespace
}  // namespace vlm
