// tests/ui/no_font_test.cpp -- a system without fonts, played through the family lookup that finds
// nothing: no font is made, every control and the confirmation dialog still draw their fills,
// pictures and outlines as they do with fonts, their texts are left out, and the dialog opens and
// answers its keys and clicks.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "support/main_form_app_double.h"
#include "support/offscreen_render.h"
#include "support/window_test_support.h"
#include "tests/ui/dialog_test_driver.h"
#include "ui/dialog/dialog_font.h"
#include "ui/dialog/overwrite_dialog.h"
#include "ui/forms/font.h"
#include "ui/main_form.h"

namespace vlm {
namespace {

std::vector<String>& NamesAsked() {
  static std::vector<String> Names;
  return Names;
}

std::unique_ptr<Gdiplus::FontFamily> FindNothing(const String& Name) {
  NamesAsked().push_back(Name);
  return nullptr;
}

// While it lives, no family is installed.
struct NoFonts {
  NoFonts() : Previous(SetFontFamilyLookup(FindNothing)) { NamesAsked().clear(); }
  ~NoFonts() { SetFontFamilyLookup(Previous); }
  TFontFamilyLookup Previous;
};

using Image = std::unique_ptr<Gdiplus::Bitmap>;

Gdiplus::ARGB At(Gdiplus::Bitmap& I, POINT P) {
  Gdiplus::Color C;
  I.GetPixel(P.x, P.y, &C);
  return C.GetValue();
}

// Whether any pixel of Area is near black (glyph cores of a black caption).
bool HasDarkPixels(Gdiplus::Bitmap& I, const RECT& Area) {
  for (int Y = Area.top; Y < Area.bottom; ++Y) {
    for (int X = Area.left; X < Area.right; ++X) {
      Gdiplus::Color C;
      I.GetPixel(X, Y, &C);
      if (std::max({C.GetR(), C.GetG(), C.GetB()}) < 60) return true;
    }
  }
  return false;
}

TEST(NoFontSystem, ResolutionAsksForTheNamedFamilyThenArialAndEndsWithNoFont) {
  NoFonts Seam;
  EXPECT_EQ(ResolveFontFamily(u"Tahoma"), nullptr);
  ASSERT_GE(NamesAsked().size(), 2u);
  EXPECT_EQ(NamesAsked()[0], u"Tahoma");
  EXPECT_EQ(NamesAsked()[1], u"Arial");
  EXPECT_EQ(CreateGdipFont(TFont{}), nullptr);
  EXPECT_EQ(MakeDialogFont(TFont{}, 96), nullptr);
  const TextExtent Extent = MeasureDialogText(u"Yes", nullptr);
  EXPECT_EQ(Extent.Width, 0);
  EXPECT_EQ(Extent.Height, 0);
}

TEST(NoFontSystem, WindowDrawsItsGroundPictureTogglesButtonAndBarWithoutText) {
  FreshAppDouble();
  TMainForm Form;
  Form.StartMenuCheckboxClick(Form.StartMenuCheckbox.get());  // red, with its black caption
  Form.ProgressBar->SetPosition(50);
  const int W = Form.ClientWidth(), H = Form.ClientHeight();
  auto Window = [&] {
    return Render(W, H, [&](auto& G) { Form.PaintBackground(G, {0, 0, W, H}); });
  };
  TSmoothButton& Button = *Form.InstallButton;
  auto ButtonImage = [&] {
    return Render(Button.Width(), Button.Height(), [&](auto& G) { Button.PaintTo(G); });
  };
  TSmoothProgressBar& Bar = *Form.ProgressBar;
  auto BarImage = [&] {
    return Render(Bar.Width(), Bar.Height(), [&](auto& G) { Bar.PaintTo(G); });
  };
  const Image WindowWithFonts = Window(), ButtonWithFonts = ButtonImage(),
              BarWithFonts = BarImage();
  NoFonts Seam;
  const Image WindowBare = Window(), ButtonBare = ButtonImage(), BarBare = BarImage();

  const TSmoothStatusIndicator& Red = *Form.StartMenuCheckbox;
  const TSmoothStatusIndicator& Lime = *Form.DesktopShortcutCheckbox;
  const TImage& Picture = *Form.Image1;
  const std::vector<POINT> WindowFills = {
      {5, H - 10},                              // ground
      {Picture.Left() + 3, Picture.Top() + 3},  // picture
      {Picture.Left() + Picture.Width() / 2, Picture.Top() + Picture.Height() / 2},
      {Red.Left() + Red.Width() / 2 - 7, Red.Top() + Red.Height() - 8},      // discs, beside the
      {Lime.Left() + Lime.Width() / 2 - 7, Lime.Top() + Lime.Height() - 8},  // captions
      {Red.Left(), Red.Top() + Red.Height() / 2},                            // rim
  };
  for (const POINT P : WindowFills) {
    EXPECT_EQ(At(*WindowBare, P), At(*WindowWithFonts, P)) << P.x << "," << P.y;
  }
  const std::vector<POINT> ButtonFills = {{Button.Width() / 10, Button.Height() / 2},
                                          {Button.Width() / 2, 2},
                                          {Button.Width() / 2, Button.Height() - 3}};
  for (const POINT P : ButtonFills) {
    EXPECT_EQ(At(*ButtonBare, P), At(*ButtonWithFonts, P)) << P.x << "," << P.y;
  }
  for (const int X : {Bar.Width() / 4, Bar.Width() * 3 / 4, 0}) {
    const POINT P{X, Bar.Height() / 2};
    EXPECT_EQ(At(*BarBare, P), At(*BarWithFonts, P)) << P.x << "," << P.y;
  }
  // The red toggle's caption and the button's are left out; with fonts they are there.
  const RECT RedArea{Red.Left(), Red.Top(), Red.Left() + Red.Width(), Red.Top() + Red.Height()};
  EXPECT_TRUE(HasDarkPixels(*WindowWithFonts, RedArea));
  EXPECT_FALSE(HasDarkPixels(*WindowBare, RedArea));
}

class NoFontDialog : public ::testing::Test {
protected:
  NoFontDialog() : Dialog(nullptr) { ConfigureOverwriteDialog(Dialog); }
  NoFonts Seam;
  TSmoothMessageDialog Dialog;
};

TEST_F(NoFontDialog, IsLaidOutAndDrawnWithItsButtonsBodyAndOutline) {
  const DialogLayout Layout = Dialog.ComputeLayout();
  ASSERT_EQ(Layout.Buttons.size(), 2u);
  for (const RECT& B : Layout.Buttons) {
    EXPECT_GE(B.right - B.left, 40);
    EXPECT_GE(B.bottom - B.top, 15);
  }
  const DialogImage Bare = Dialog.Render(Layout, 0, {});
  SetFontFamilyLookup(Seam.Previous);
  const DialogImage WithFonts = Dialog.Render(Layout, 0, {});
  SetFontFamilyLookup(FindNothing);
  const RECT& No = Layout.Buttons[0];
  for (const POINT P : {POINT{No.left + 8, No.bottom - 4}, POINT{4, Layout.Height - 8},
                        POINT{Layout.Width / 2, Layout.Height - 1}, POINT{0, 0}}) {
    EXPECT_EQ(Bare.Pixels[P.y * Bare.Width + P.x], WithFonts.Pixels[P.y * WithFonts.Width + P.x])
        << P.x << "," << P.y;
  }
}

TEST_F(NoFontDialog, OpensAndAnswersKeysAndClicks) {
  const HWND Owner =
      CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPED | WS_VISIBLE, 100, 80, 770, 460,
                      nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  TSmoothMessageDialog Owned(Owner);
  ConfigureOverwriteDialog(Owned);
  ui_test::DialogScript Keys;
  Keys.Then([](HWND D) { ui_test::PostKey(D, VK_RIGHT); }).Then([](HWND D) {
    ui_test::PostKey(D, VK_RETURN);
  });
  EXPECT_EQ(Keys.Run(Owned), 6);
  EXPECT_FALSE(Keys.TimedOut());
  ui_test::DialogScript Click;
  Click.Then([&](HWND D) {
    const POINT At = ui_test::CentreOf(Owned.LastLayoutForTesting().Buttons[0]);
    PostMessageW(D, WM_LBUTTONDOWN, MK_LBUTTON, ui_test::PointParam(At.x, At.y));
    PostMessageW(D, WM_LBUTTONUP, 0, ui_test::PointParam(At.x, At.y));
  });
  EXPECT_EQ(Click.Run(Owned), 0);
  EXPECT_FALSE(Click.TimedOut());
  DestroyWindow(Owner);
}

}  // namespace
}  // namespace vlm
