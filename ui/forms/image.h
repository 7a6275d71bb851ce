// ui/forms/image.h -- the picture control: a windowless control that draws a decoded picture
// (JPEG, PNG, BMP) at its natural pixel size at its top-left corner, neither stretched nor
// centred; what does not fit the control is cut off.
#pragma once

#include <memory>

#include "runtime/string.h"
#include "ui/forms/control.h"

namespace vlm {

class TImage : public TControl {
public:
  TImage(TForm& Parent, int Left, int Top, int Width, int Height);
  ~TImage() override;

  // Decodes the picture from bytes; false (and no picture) when they are not a picture.
  bool LoadFromMemory(const void* Data, size_t Size);
  // Decodes the raw-data resource Name of the executable; false when it is missing or broken.
  bool LoadFromResource(const wchar_t* Name);
  // Decodes the file at Path; false when it cannot be read or decoded.
  bool LoadFromFile(const String& Path);

  bool Empty() const { return !FPicture; }
  int PictureWidth() const;
  int PictureHeight() const;

  void Paint(Gdiplus::Graphics& G) override;

private:
  std::unique_ptr<Gdiplus::Bitmap> FPicture;  // decoded copy, independent of the source bytes
};

}  // namespace vlm
