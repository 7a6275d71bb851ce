// tests/ui/form_parts_test.cpp -- pieces of the window framework on their own: pictures that are
// not pictures, labels whose font family is missing, text cut at the label's edge, and timers
// that stop ticking when disabled.
#include <algorithm>
#include <memory>

#include <gtest/gtest.h>

#include "support/window_test_support.h"
#include "ui/controls/smooth_label.h"
#include "ui/forms/form.h"
#include "ui/forms/image.h"
#include "ui/forms/timer.h"

namespace vlm {
namespace {

// Counts the pixels of Control's rectangle that are not the white ground.
int InkIn(TForm& Form, const TControl& Control) {
  const int W = Form.ClientWidth(), H = Form.ClientHeight();
  Gdiplus::Bitmap Image(W, H, PixelFormat32bppARGB);
  {
    Gdiplus::Graphics G(&Image);
    Form.PaintBackground(G, RECT{0, 0, W, H});
  }
  int Ink = 0;
  for (int Y = Control.Top(); Y < Control.Top() + Control.Height(); ++Y)
    for (int X = Control.Left(); X < Control.Left() + Control.Width(); ++X) {
      Gdiplus::Color C;
      Image.GetPixel(X, Y, &C);
      if (C.GetR() < 200 || C.GetG() < 200) ++Ink;
    }
  return Ink;
}

TEST(TImage, BytesThatAreNoPictureLeaveItEmpty) {
  TForm Form(L"TImageTestForm", 200, 200, 1.0);
  TImage Image(Form, 0, 0, 100, 100);
  const char Garbage[] = "this is not a JPEG";
  EXPECT_FALSE(Image.LoadFromMemory(Garbage, sizeof(Garbage)));
  EXPECT_TRUE(Image.Empty());
  EXPECT_FALSE(Image.LoadFromMemory(nullptr, 0));
  EXPECT_FALSE(Image.LoadFromResource(L"NO_SUCH_PICTURE"));
  EXPECT_FALSE(Image.LoadFromFile(u"Z:\\no\\such\\picture.jpg"));
}

TEST(TImage, LoadsAJpegFileAtItsPixelSize) {
  TForm Form(L"TImageTestForm", 200, 200, 1.0);
  TImage Image(Form, 0, 0, 100, 100);
  ASSERT_TRUE(Image.LoadFromFile(S(VLM_UI_TEST_PICTURE)));
  EXPECT_EQ(Image.PictureWidth(), 591);
  EXPECT_EQ(Image.PictureHeight(), 360);
}

TEST(TSmoothLabel, MissingFontFamilyStillDrawsText) {
  TForm Form(L"TLabelTestForm", 400, 100, 1.0);
  TSmoothLabel Label(Form, 10, 10, 380, 60);
  TFont Font;
  Font.Name = u"No Such Family Anywhere";
  Label.SetFont(Font);
  Label.SetCaption(u"Installation");
  EXPECT_GT(InkIn(Form, Label), 50);
}

TEST(TSmoothLabel, EmptyOrTinyLabelDrawsNothing) {
  TForm Form(L"TLabelTestForm", 400, 100, 1.0);
  TSmoothLabel Empty(Form, 10, 10, 380, 40);
  EXPECT_EQ(InkIn(Form, Empty), 0);
  TSmoothLabel Tiny(Form, 10, 60, 1, 1);
  Tiny.SetCaption(u"X");
  EXPECT_EQ(InkIn(Form, Tiny), 0);
}

TEST(TSmoothLabel, TextWiderThanTheLabelIsCutAtItsRightEdge) {
  TForm Form(L"TLabelTestForm", 400, 100, 1.0);
  TSmoothLabel Label(Form, 10, 10, 100, 40);
  Label.SetLocation(TLabelLocation::CenterLeft);
  Label.SetCaption(u"Installing..............................");
  // Nothing of the label reaches the ground to its right.
  TSmoothLabel Beside(Form, 111, 10, 280, 40);
  EXPECT_GT(InkIn(Form, Label), 50);
  EXPECT_EQ(InkIn(Form, Beside), 0);
}

TEST(TTimer, TicksThroughTheQueueUntilDisabled) {
  TTimer Timer;
  int Ticks = 0;
  TObject* Sender = nullptr;
  Timer.OnTimer = [&](TObject* S) {
    ++Ticks;
    Sender = S;
  };
  Timer.SetInterval(10);
  Timer.SetEnabled(true);
  EXPECT_TRUE(PumpUntil([&] { return Ticks >= 3; }, 5000));
  EXPECT_EQ(Sender, &Timer);
  Timer.SetEnabled(false);
  const int Seen = Ticks;
  Sleep(60);
  Pump();
  EXPECT_EQ(Ticks, Seen);
}

TEST(TTimer, ErrorInATickIsShownAndTheTimerRunsOn) {
  ErrorBoxRecorder Boxes;
  TTimer Timer;
  int Ticks = 0;
  Timer.OnTimer = [&](TObject*) {
    ++Ticks;
    throw Exception(u"tick failed");
  };
  Timer.SetInterval(10);
  Timer.SetEnabled(true);
  EXPECT_TRUE(PumpUntil([&] { return Ticks >= 2; }, 5000));
  Timer.SetEnabled(false);
  ASSERT_FALSE(Boxes.Texts.empty());
  EXPECT_EQ(Boxes.Texts[0], u"tick failed.");
}

}  // namespace
}  // namespace vlm
