// ui/dialog/overwrite_dialog.h -- the main window's confirmation dialog, OverwriteDialog: the
// question asked when the installation folder already exists, with its look.
#pragma once

#include "ui/dialog/smooth_message_dialog.h"

namespace vlm {

inline constexpr char16_t kOverwriteDialogCaption[] = u"Directory exists.  Overwrite files ?";
inline constexpr int kOverwriteNoResult = 0;
inline constexpr int kOverwriteYesResult = 6;

// Gives Dialog the main window's settings for OverwriteDialog: the caption, the buttons "No"
// (result 0) and "Yes" (result 6) in that order with their colours, the fonts, the 50-pixel
// caption band, the translucent blue body, and the placement centred on the owning window.
// Buttons already present are replaced.
void ConfigureOverwriteDialog(TSmoothMessageDialog& Dialog);

}  // namespace vlm
