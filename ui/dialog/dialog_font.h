// ui/dialog/dialog_font.h -- GDI+ fonts and text measuring for the message dialog. The family
// falls back as ResolveFontFamily says; on a system without fonts there is no font at all, and the
// dialog is drawn and works without its texts.
#pragma once

#include <memory>

#include "ui/dialog/dialog_layout.h"
#include "ui/forms/font.h"
#include "ui/forms/gdiplus_api.h"

namespace vlm {

// A GDI+ font for Font at the screen's resolution (pixels per inch); null without any font.
std::unique_ptr<Gdiplus::Font> MakeDialogFont(const TFont& Font, int ScreenDpi);

// The screen's resolution in pixels per inch.
int ScreenDpi();

// Text layout of the dialog's captions: one line, no wrapping, "&" marks an accelerator.
Gdiplus::StringFormat& DialogTextFormat();

// The text's width and height in Font, rounded up to whole pixels; 0 x 0 for an empty text or
// without a font.
TextExtent MeasureDialogText(const String& Text, const Gdiplus::Font* Font);

}  // namespace vlm
