// tests/ui/main_form_paint_test.cpp -- what the window paints behind its child windows, looked at
// pixel by pixel in an off-screen 32-bit image: the picture at natural size, the toggles' lime
// and red discs, the white ground, and the scaling of the layout on a 120 dpi screen.
#include <algorithm>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "support/main_form_app_double.h"
#include "support/window_test_support.h"
#include "ui/controls/smooth_label.h"
#include "ui/main_form.h"

namespace vlm {
namespace {

// The form's windowless painting into a fresh image of the client area.
std::unique_ptr<Gdiplus::Bitmap> RenderForm(TForm& Form) {
  const int W = Form.ClientWidth(), H = Form.ClientHeight();
  auto Image = std::make_unique<Gdiplus::Bitmap>(W, H, PixelFormat32bppARGB);
  Gdiplus::Graphics G(Image.get());
  Form.PaintBackground(G, RECT{0, 0, W, H});
  return Image;
}

Gdiplus::Color PixelAt(Gdiplus::Bitmap& Image, int X, int Y) {
  Gdiplus::Color C;
  Image.GetPixel(X, Y, &C);
  return C;
}

bool Near(Gdiplus::Color C, int R, int G, int B, int Tolerance) {
  return std::abs(C.GetR() - R) <= Tolerance && std::abs(C.GetG() - G) <= Tolerance &&
         std::abs(C.GetB() - B) <= Tolerance;
}

// A point of the toggle's disc below its gloss and beside its caption.
POINT DiscPoint(const TSmoothStatusIndicator& Toggle) {
  return POINT{Toggle.Left() + Toggle.Width() / 2 - 7, Toggle.Top() + Toggle.Height() - 8};
}

TEST(TMainFormPaint, GroundIsWhite) {
  FreshAppDouble();
  TMainForm Form;
  auto Image = RenderForm(Form);
  EXPECT_TRUE(Near(PixelAt(*Image, 5, 450), 255, 255, 255, 0));
  EXPECT_TRUE(Near(PixelAt(*Image, 120, 100), 255, 255, 255, 0));
}

TEST(TMainFormPaint, ToggleShowsALimeDiscThenRedAfterAClick) {
  FreshAppDouble();
  TMainForm Form;
  const POINT P = DiscPoint(*Form.StartMenuCheckbox);
  auto Before = RenderForm(Form);
  EXPECT_TRUE(Near(PixelAt(*Before, P.x, P.y), 0, 255, 0, 40)) << P.x << "," << P.y;
  Form.StartMenuCheckboxClick(Form.StartMenuCheckbox.get());
  auto After = RenderForm(Form);
  EXPECT_TRUE(Near(PixelAt(*After, P.x, P.y), 255, 0, 0, 40));
}

TEST(TMainFormPaint, ToggleRimIsGreyAndItsCornerShowsTheGround) {
  FreshAppDouble();
  TMainForm Form;
  auto Image = RenderForm(Form);
  const auto& T = *Form.StartMenuCheckbox;
  // The pill's corner lies outside the disc: white ground.
  EXPECT_TRUE(Near(PixelAt(*Image, T.Left() + 1, T.Top() + 1), 255, 255, 255, 10));
  // Coming from the left at mid height, the first pixel that is not ground is the grey rim
  // (blended with white or lime), not the lime body.
  const int Y = T.Top() + T.Height() / 2;
  int X = T.Left();
  while (X < T.Left() + 6 && Near(PixelAt(*Image, X, Y), 255, 255, 255, 20)) ++X;
  const Gdiplus::Color Rim = PixelAt(*Image, X, Y);
  EXPECT_LT(std::abs(Rim.GetR() - Rim.GetG()), 80)
      << X << ": " << int(Rim.GetR()) << "," << int(Rim.GetG()) << "," << int(Rim.GetB());
  EXPECT_LT(Rim.GetG(), 235);
}

TEST(TMainFormPaint, PictureIsDrawnPixelForPixelAtItsCorner) {
  FreshAppDouble();
  TMainForm Form;
  ASSERT_EQ(Form.Scale(), 1.0) << "the picture test needs a 96 dpi display";
  Gdiplus::Bitmap Picture(WidePtr(S(VLM_UI_TEST_PICTURE)));
  ASSERT_EQ(Picture.GetLastStatus(), Gdiplus::Ok);
  auto Image = RenderForm(Form);
  for (const POINT P : {POINT{100, 300}, POINT{400, 200}, POINT{590, 359}, POINT{0, 150}}) {
    const Gdiplus::Color Want = PixelAt(Picture, P.x, P.y);
    const Gdiplus::Color Got = PixelAt(*Image, 175 + P.x, 95 + P.y);
    EXPECT_TRUE(Near(Got, Want.GetR(), Want.GetG(), Want.GetB(), 2)) << P.x << "," << P.y;
  }
}

TEST(TFormScaling, At120DpiEveryLengthIsOneAndAQuarterTimes) {
  TForm Form(L"TScaledTestForm", 770, 460, 1.25);
  TSmoothLabel Label(Form, 20, 216, 287, 33);
  EXPECT_EQ(Form.ClientWidth(), 963);
  EXPECT_EQ(Form.ClientHeight(), 575);
  EXPECT_EQ(Label.Left(), 25);
  EXPECT_EQ(Label.Top(), 270);
  EXPECT_EQ(Label.Width(), 359);
  EXPECT_EQ(Label.Height(), 41);
}

TEST(TFormScaling, FontHeightsBecomeWholePoints) {
  EXPECT_EQ(PixelsToPoints(64), 48);
  EXPECT_EQ(PixelsToPoints(37), 28);
  EXPECT_EQ(PixelsToPoints(27), 20);
  EXPECT_EQ(PixelsToPoints(19), 14);
  EXPECT_EQ(PixelsToPoints(16), 12);
  EXPECT_EQ(PixelsToPoints(11), 8);
}

TEST(CaptionOrigin, PlacesTextByColumnAndRow) {
  const auto Left = CaptionOrigin(TLabelLocation::CenterLeft, 300, 33, 100, 21);
  EXPECT_EQ(Left.X, 0);
  EXPECT_EQ(Left.Y, 6);
  const auto Centre = CaptionOrigin(TLabelLocation::CenterCenter, 300, 33, 100, 21);
  EXPECT_EQ(Centre.X, 100);
  const auto BottomRight = CaptionOrigin(TLabelLocation::BottomRight, 300, 33, 100, 21);
  EXPECT_EQ(BottomRight.X, 200);
  EXPECT_EQ(BottomRight.Y, 12);
}

TEST(TSmoothLabelPaint, TextIsLighterAtTheTopOfTheGlyphsThanAtTheBottom) {
  FreshAppDouble();
  TMainForm Form;
  auto Image = RenderForm(Form);
  // "Velmora" (64 px): the rows that hold text, and per row the darkest green component, which
  // is a glyph's core colour rather than an edge blended with the ground.
  const auto& L = *Form.SmoothLabel1;
  std::vector<int> RowCore;
  int FirstRow = -1;
  for (int Y = L.Top(); Y < L.Top() + L.Height(); ++Y) {
    int Darkest = 256;
    // Left of x = 620: the "Setup" label's box overlaps this one's lower right corner.
    for (int X = L.Left(); X < ScaleValue(620, Form.Scale()); ++X)
      Darkest = std::min(Darkest, static_cast<int>(PixelAt(*Image, X, Y).GetG()));
    if (Darkest > 240) continue;  // ground only
    if (FirstRow < 0) FirstRow = Y;
    RowCore.push_back(Darkest);
  }
  ASSERT_GT(RowCore.size(), 20u) << "no text was drawn";
  const int Top = *std::min_element(RowCore.begin() + 2, RowCore.begin() + 6);
  const int Bottom = *std::min_element(RowCore.end() - 6, RowCore.end() - 2);
  // Sky blue (#9FE0FF) at the top of the glyphs, dark blue (#004F75) at the bottom.
  EXPECT_GT(Top, Bottom + 60) << "top " << Top << " bottom " << Bottom;
  EXPECT_LT(Bottom, 130);
}

}  // namespace
}  // namespace vlm
