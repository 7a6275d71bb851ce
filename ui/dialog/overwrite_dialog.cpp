// ui/dialog/overwrite_dialog.cpp -- the settings of the main window's confirmation dialog.
#include "ui/dialog/overwrite_dialog.h"

namespace vlm {

void ConfigureOverwriteDialog(TSmoothMessageDialog& D) {
  D.SetCaption(kOverwriteDialogCaption);
  D.CaptionFont = TFont{u"Tahoma", 21, false, clBlack};
  D.CaptionHeight = 50;
  D.CaptionLocation = TCaptionLocation::CenterCenter;
  D.ButtonFont = TFont{u"Tahoma", 11, false, clBlack};
  D.ButtonLayout = TButtonLayout::Horizontal;
  D.ButtonSpacing = 5;
  D.Margin = 0;
  D.Position = TDialogPosition::OwnerCenter;
  D.Modal = true;
  D.EnableKeyEvents = true;

  D.Fill = TSmoothFill{};
  D.Fill.Color = 0xDAE5F3;
  D.Fill.ColorTo = 0xD0DEF0;
  D.Fill.GradientType = TGradientType::Vertical;
  D.Fill.Opacity = 240;
  D.Fill.OpacityTo = 220;
  D.Fill.BorderColor = 0x000000;
  D.Fill.BorderWidth = 1;
  D.Fill.Rounding = 5;
  D.Fill.RoundingType = TRoundingType::Both;

  D.CaptionFill = TSmoothFill{};
  D.CaptionFill.Color = 0xFFFFFF;
  D.CaptionFill.ColorTo = 0x808080;
  D.CaptionFill.Opacity = 100;
  D.CaptionFill.OpacityTo = 0;
  D.CaptionFill.BorderColor = clNone;
  D.CaptionFill.Rounding = 5;
  D.CaptionFill.RoundingType = TRoundingType::Top;

  D.ButtonAreaFill = TSmoothFill{};
  D.ButtonAreaFill.Color = 0xFFFFFF;
  D.ButtonAreaFill.ColorTo = 0xFFFFFF;
  D.ButtonAreaFill.Opacity = 0;
  D.ButtonAreaFill.OpacityTo = 100;
  D.ButtonAreaFill.BorderColor = clNone;
  D.ButtonAreaFill.Rounding = 5;
  D.ButtonAreaFill.RoundingType = TRoundingType::Bottom;

  D.Buttons.clear();
  D.AddButton(u"No", kOverwriteNoResult);
  TSmoothMessageDialogButton& Yes = D.AddButton(u"Yes", kOverwriteYesResult);
  Yes.Color = 0xDAE5F3;
  Yes.ColorDown = 0xD0DEF0;
  Yes.ColorFocused = 0xDEE8F4;
  Yes.HoverColor = 0xFAF9F5;
}

}  // namespace vlm
