// tests/ui/dialog_paint_test.cpp -- the confirmation dialog's image: translucent body, clear
// corners, outline, caption text, button colours by state and the focus mark.
#include "ui/dialog/smooth_message_dialog.h"

#include <gtest/gtest.h>

#include "ui/dialog/overwrite_dialog.h"

namespace vlm {
namespace {

class OverwriteDialogImage : public ::testing::Test {
protected:
  OverwriteDialogImage() : Dialog(nullptr) {
    ConfigureOverwriteDialog(Dialog);
    Layout = Dialog.ComputeLayout();
  }

  DialogImage Draw(int Focused, std::vector<DialogButtonState> Marks = {}) const {
    return Dialog.Render(Layout, Focused, Marks);
  }

  // A point in a button's lower half, clear of the gloss, the caption and the rounded corners.
  POINT FacePoint(int Index) const {
    const RECT& B = Layout.Buttons[Index];
    return POINT{B.left + 8, B.bottom - 4};
  }

  int Red(const DialogImage& I, POINT P) const { return I.Straight(P.x, P.y, 16); }
  int Green(const DialogImage& I, POINT P) const { return I.Straight(P.x, P.y, 8); }
  int Blue(const DialogImage& I, POINT P) const { return I.Straight(P.x, P.y, 0); }

  TSmoothMessageDialog Dialog;
  DialogLayout Layout;
};

TEST_F(OverwriteDialogImage, HasTheComputedSize) {
  const DialogImage I = Draw(0);
  EXPECT_EQ(I.Width, Layout.Width);
  EXPECT_EQ(I.Height, Layout.Height);
  EXPECT_EQ(I.Pixels.size(), static_cast<size_t>(Layout.Width) * Layout.Height);
}

TEST_F(OverwriteDialogImage, BodyIsTranslucentPaleBlue) {
  const DialogImage I = Draw(0);
  // Left of the buttons in the button area, and inside the caption band left of the text.
  for (const POINT P : {POINT{4, Layout.Height - 8}, POINT{12, 40}, POINT{Layout.Width - 6, 60}}) {
    const int A = I.Alpha(P.x, P.y);
    EXPECT_GT(A, 200) << P.x << "," << P.y;
    EXPECT_LT(A, 250) << P.x << "," << P.y;  // the window behind shows through
    EXPECT_GT(Blue(I, P), Red(I, P)) << P.x << "," << P.y;
    EXPECT_GT(Red(I, P), 0xC0) << P.x << "," << P.y;
  }
}

TEST_F(OverwriteDialogImage, RoundedCornersAreClearAndTheEdgeIsOutlinedInBlack) {
  const DialogImage I = Draw(0);
  EXPECT_LT(I.Alpha(0, 0), 40);
  EXPECT_LT(I.Alpha(Layout.Width - 1, Layout.Height - 1), 40);
  const POINT Edge{Layout.Width / 2, Layout.Height - 1};
  EXPECT_GT(I.Alpha(Edge.x, Edge.y), 200);
  EXPECT_LT(Red(I, Edge), 0x40);
  EXPECT_LT(Blue(I, Edge), 0x40);
}

TEST_F(OverwriteDialogImage, CaptionTextIsDrawnDarkInTheBand) {
  const DialogImage I = Draw(0);
  int Dark = 0;
  for (int Y = 0; Y < 50; ++Y) {
    for (int X = 0; X < Layout.Width; ++X) {
      if (I.Alpha(X, Y) > 200 && Red(I, POINT{X, Y}) < 0x50) ++Dark;
    }
  }
  // 36 characters of 16-point text leave hundreds of dark pixels; an empty band leaves none
  // beyond the outline's top edge.
  EXPECT_GT(Dark, 300);
}

TEST_F(OverwriteDialogImage, ButtonsShowTheirStateColours) {
  const DialogImage Idle = Draw(/*Focused=*/0);
  EXPECT_EQ(Red(Idle, FacePoint(0)), 0xC0);  // "No" focused: #C0C0C0
  EXPECT_EQ(Red(Idle, FacePoint(1)), 0xDA);  // "Yes" normal: #DAE5F3
  EXPECT_EQ(Blue(Idle, FacePoint(1)), 0xF3);

  const DialogImage YesFocused = Draw(/*Focused=*/1);
  EXPECT_EQ(Red(YesFocused, FacePoint(0)), 0x80);  // "No" normal: #808080
  EXPECT_EQ(Red(YesFocused, FacePoint(1)), 0xDE);  // "Yes" focused: #DEE8F4

  const DialogImage Hover = Draw(0, {{}, {false, true}});
  EXPECT_EQ(Red(Hover, FacePoint(1)), 0xFA);  // #FAF9F5
  EXPECT_EQ(Blue(Hover, FacePoint(1)), 0xF5);

  const DialogImage Pressed = Draw(1, {{}, {true, true}});
  EXPECT_EQ(Red(Pressed, FacePoint(1)), 0xD0);  // pressed wins over hover and focus: #D0DEF0

  Dialog.Buttons[1].Enabled = false;
  const DialogImage Disabled = Draw(1, {{}, {true, true}});
  EXPECT_EQ(Red(Disabled, FacePoint(1)), 0x79);  // #797979 whatever else applies
}

TEST_F(OverwriteDialogImage, ButtonsAreOpaqueWithAGlossOnTheUpperHalf) {
  const DialogImage I = Draw(1);
  const RECT& No = Layout.Buttons[0];
  const POINT Top{No.left + 8, No.top + 2};
  EXPECT_EQ(I.Alpha(Top.x, Top.y), 255);
  EXPECT_EQ(I.Alpha(FacePoint(0).x, FacePoint(0).y), 255);
  EXPECT_GT(Red(I, Top), 0x80 + 0x20);  // whitened by the gloss
}

TEST_F(OverwriteDialogImage, FocusMarkIsDrawnJustOutsideTheFocusedButton) {
  auto DarkAround = [&](const DialogImage& I, const RECT& B) {
    int Dark = 0;
    for (int X = B.left + 6; X < B.right - 6; ++X) {
      const POINT P{X, B.top - 1};
      if (I.Alpha(P.x, P.y) > 150 && Red(I, P) < 0x70) ++Dark;
    }
    return Dark;
  };
  const DialogImage NoFocused = Draw(0);
  const DialogImage YesFocused = Draw(1);
  EXPECT_GT(DarkAround(NoFocused, Layout.Buttons[0]), 10);
  EXPECT_EQ(DarkAround(NoFocused, Layout.Buttons[1]), 0);
  EXPECT_GT(DarkAround(YesFocused, Layout.Buttons[1]), 10);
}

TEST(DialogFonts, MissingFamilyStillDrawsTheCaption) {
  TSmoothMessageDialog Dialog(nullptr);
  ConfigureOverwriteDialog(Dialog);
  Dialog.CaptionFont.Name = u"No Such Family Anywhere";
  const DialogLayout L = Dialog.ComputeLayout();
  EXPECT_GT(L.Width, 155);  // the caption was measured in the fallback family
  const DialogImage I = Dialog.Render(L, 0, {});
  int Dark = 0;
  for (int Y = 5; Y < 45; ++Y) {
    for (int X = 10; X < L.Width - 10; ++X) {
      if (I.Alpha(X, Y) > 200 && I.Straight(X, Y, 16) < 0x50) ++Dark;
    }
  }
  EXPECT_GT(Dark, 100);
}

}  // namespace
}  // namespace vlm
