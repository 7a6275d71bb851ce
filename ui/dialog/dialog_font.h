// ui/dialog/dialog_font.h -- GDI+ fonts and text measuring for the message dialog. The family
// falls back to Arial and then to the generic sans-serif family (ResolveFontFamily), so text is
// never silently missing when a family is not installed.
#pragma once

#include <memory>

#include "ui/dialog/dialog_layout.h"
#include "ui/forms/font.h"
#include "ui/forms/gdiplus_api.h"

namespace vlm {

// A GDI+ font for Font at the screen's resolution (pixels per inch).
std::unique_ptr<Gdiplus::Font> MakeDialogFont(const TFont& Font, int ScreenDpi);

// The screen's resolution in pixels per inch.
int ScreenDpi();

// Text layout of the dialog's captions: one line, no wrapping, "&" marks an accelerator.
Gdiplus::StringFormat& DialogTextFormat();

// The text's width and height in Font, rounded up to whole pixels; 0 x 0 for an empty text.
TextExtent MeasureDialogText(const String& Text, const Gdiplus::Font& Font);

}  // namespace vlm
