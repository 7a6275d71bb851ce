// tests/ui/dialog_layout_test.cpp -- the message dialog's size and layout rules, from given text
// extents and for the main window's confirmation dialog measured in its real fonts.
#include "ui/dialog/dialog_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "ui/dialog/dialog_font.h"
#include "ui/dialog/overwrite_dialog.h"

namespace vlm {
namespace {

DialogLayoutInput TwoButtons(TextExtent Caption, TextExtent First, TextExtent Second) {
  DialogLayoutInput In;
  In.Caption = Caption;
  In.ButtonCaptions = {First, Second};
  In.CaptionHeight = 50;
  return In;
}

int WidthOf(const RECT& R) {
  return R.right - R.left;
}
int HeightOf(const RECT& R) {
  return R.bottom - R.top;
}

TEST(DialogLayout, WideCaptionSetsTheWidthAndSmallCaptionsKeepTheMinimumCell) {
  const DialogLayout L = ComputeDialogLayout(TwoButtons({300, 25}, {15, 13}, {20, 13}));
  EXPECT_EQ(L.CellWidth, 75);
  EXPECT_EQ(L.CellHeight, 28);  // 13 + 10 + 5 is above the minimum of 25
  EXPECT_EQ(L.Width, 320);
  EXPECT_EQ(L.Height, 78);
  ASSERT_EQ(L.Buttons.size(), 2u);
  // Row width 2 x 75 + 5 = 155, centred: (320 - 155) / 2 = 82.
  EXPECT_EQ(L.Buttons[0].left, 82 + 5);
  EXPECT_EQ(L.Buttons[1].left, 82 + 70 + 10);
  EXPECT_EQ(WidthOf(L.Buttons[0]), 70);
  EXPECT_EQ(HeightOf(L.Buttons[1]), 23);
  // Area from y 50 to 77: 27 high, the 23-pixel buttons sit 2 pixels below its top.
  EXPECT_EQ(L.Buttons[0].top, 52);
  EXPECT_EQ(L.Buttons[1].top, 52);
}

TEST(DialogLayout, ShortCaptionLeavesTheDialogAsWideAsTheButtonRow) {
  const DialogLayout L = ComputeDialogLayout(TwoButtons({40, 25}, {15, 13}, {20, 13}));
  EXPECT_EQ(L.Width, 155);
  EXPECT_EQ(L.Buttons[0].left, 5);
  EXPECT_EQ(L.Buttons[1].right, 150);
}

TEST(DialogLayout, FixedSizesGrowWithTheScreenResolution) {
  // 144 dpi: the caller passes the band and the spacing already scaled (75 and 8).
  DialogLayoutInput In = TwoButtons({300, 38}, {23, 20}, {30, 20});
  In.Scale = 1.5;
  In.CaptionHeight = 75;
  In.ButtonSpacing = 8;
  const DialogLayout L = ComputeDialogLayout(In);
  EXPECT_EQ(L.CellWidth, 113);  // the minimum 75 x 1.5 (30 + 15 + 8 is less)
  EXPECT_EQ(L.CellHeight, 43);  // 20 + 15 + 8 is above the minimum of 38
  EXPECT_EQ(L.Width, 330);      // the caption + 2 x 15
  EXPECT_EQ(L.CaptionBand.left, 8);
  EXPECT_EQ(WidthOf(L.Buttons[0]), 105);
  EXPECT_EQ(L.Height, 75 + 43);
}

TEST(DialogLayout, LongButtonCaptionWidensEveryCell) {
  const DialogLayout L = ComputeDialogLayout(TwoButtons({40, 25}, {100, 13}, {20, 13}));
  EXPECT_EQ(L.CellWidth, 115);
  EXPECT_EQ(WidthOf(L.Buttons[1]), 110);
  EXPECT_EQ(L.Width, 2 * 115 + 5);
}

TEST(DialogLayout, TallButtonFontBelowTheMinimumKeepsCellHeight25) {
  const DialogLayout L = ComputeDialogLayout(TwoButtons({40, 25}, {15, 8}, {20, 9}));
  EXPECT_EQ(L.CellHeight, 25);
  EXPECT_EQ(L.Height, 75);
}

TEST(DialogLayout, MarginGrowsBothSidesTwice) {
  DialogLayoutInput In = TwoButtons({300, 25}, {15, 13}, {20, 13});
  In.Margin = 7;
  const DialogLayout L = ComputeDialogLayout(In);
  EXPECT_EQ(L.Width, 320 + 14);
  EXPECT_EQ(L.Height, 78 + 14);
  EXPECT_EQ(L.CaptionBand.top, 7);
  EXPECT_EQ(L.ButtonArea.top, 57);
}

TEST(DialogLayout, CaptionBandStartsFiveInAndButtonAreaSpansTheWidth) {
  const DialogLayout L = ComputeDialogLayout(TwoButtons({300, 25}, {15, 13}, {20, 13}));
  EXPECT_EQ(L.CaptionBand.left, 5);
  EXPECT_EQ(L.CaptionBand.right, 319);
  EXPECT_EQ(L.CaptionBand.bottom, 50);
  EXPECT_EQ(L.ButtonArea.left, 0);
  EXPECT_EQ(L.ButtonArea.right, 320);
  EXPECT_EQ(L.ButtonArea.bottom, 77);
}

TEST(DialogLayout, ButtonAtFindsButtonsAndMissesTheGap) {
  const DialogLayout L = ComputeDialogLayout(TwoButtons({300, 25}, {15, 13}, {20, 13}));
  EXPECT_EQ(ButtonAt(L, POINT{L.Buttons[0].left, L.Buttons[0].top}), 0);
  EXPECT_EQ(ButtonAt(L, POINT{L.Buttons[1].right - 1, L.Buttons[1].bottom - 1}), 1);
  EXPECT_EQ(ButtonAt(L, POINT{L.Buttons[0].right + 2, L.Buttons[0].top + 5}), -1);
  EXPECT_EQ(ButtonAt(L, POINT{10, 10}), -1);
}

TEST(OverwriteDialogLayout, IsAsWideAsItsCaptionPlus20WithTwo70PixelButtonsNoThenYes) {
  TSmoothMessageDialog Dialog(nullptr);
  ConfigureOverwriteDialog(Dialog);
  const DialogLayout L = Dialog.ComputeLayout();

  const auto CaptionFont = MakeDialogFont(Dialog.CaptionFont, ScreenDpi());
  const TextExtent Caption = MeasureDialogText(Dialog.Caption(), CaptionFont.get());
  // The question in Tahoma 16 pt is far wider than the two buttons' row.
  EXPECT_GT(Caption.Width, 200);
  EXPECT_EQ(L.Width, Caption.Width + 20);

  const auto ButtonFont = MakeDialogFont(Dialog.ButtonFont, ScreenDpi());
  const TextExtent Yes = MeasureDialogText(u"Yes", ButtonFont.get());
  EXPECT_GT(Yes.Height, 0);
  EXPECT_EQ(L.CellWidth, 75);
  EXPECT_EQ(L.CellHeight, std::max(25, Yes.Height + 15));
  EXPECT_EQ(L.Height, L.CellHeight + 50);

  ASSERT_EQ(L.Buttons.size(), 2u);
  EXPECT_EQ(WidthOf(L.Buttons[0]), 70);
  EXPECT_EQ(WidthOf(L.Buttons[1]), 70);
  EXPECT_EQ(L.Buttons[1].left - L.Buttons[0].right, 5);
  const int LeftGap = L.Buttons[0].left;
  const int RightGap = L.Width - L.Buttons[1].right;
  EXPECT_LE(std::abs(LeftGap - RightGap), 1);
  const int Above = L.Buttons[0].top - 50;
  const int Below = L.ButtonArea.bottom - L.Buttons[0].bottom;
  EXPECT_LE(std::abs(Above - Below), 1);
}

TEST(OverwriteDialogSettings, AsksTheQuestionWithNoThenYes) {
  TSmoothMessageDialog Dialog(nullptr);
  ConfigureOverwriteDialog(Dialog);
  EXPECT_EQ(Dialog.Caption(), u"Directory exists.  Overwrite files ?");
  ASSERT_EQ(Dialog.Buttons.size(), 2u);
  EXPECT_EQ(Dialog.Buttons[0].Caption, u"No");
  EXPECT_EQ(Dialog.Buttons[0].ButtonResult, 0);
  EXPECT_EQ(Dialog.Buttons[1].Caption, u"Yes");
  EXPECT_EQ(Dialog.Buttons[1].ButtonResult, 6);
  EXPECT_EQ(Dialog.DefaultButton, 0);
  EXPECT_EQ(PixelsToPoints(Dialog.CaptionFont.Height), 16);
  EXPECT_EQ(PixelsToPoints(Dialog.ButtonFont.Height), 8);
  // Configuring twice does not double the buttons.
  ConfigureOverwriteDialog(Dialog);
  EXPECT_EQ(Dialog.Buttons.size(), 2u);
}

}  // namespace
}  // namespace vlm
