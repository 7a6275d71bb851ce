// ui/forms/image.cpp -- picture decoding through the graphics API and drawing at natural size.
#include "ui/forms/image.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace vlm {

TImage::TImage(TForm& Parent, int Left, int Top, int Width, int Height)
    : TControl(Parent, Left, Top, Width, Height) {}

TImage::~TImage() = default;

bool TImage::LoadFromMemory(const void* Data, size_t Size) {
  EnsureGraphics();
  FPicture.reset();
  if (!Data || Size == 0) return false;
  HGLOBAL Global = GlobalAlloc(GMEM_MOVEABLE, Size);
  if (!Global) return false;
  memcpy(GlobalLock(Global), Data, Size);
  GlobalUnlock(Global);
  IStream* Stream = nullptr;
  if (CreateStreamOnHGlobal(Global, TRUE, &Stream) != S_OK) {
    GlobalFree(Global);
    return false;
  }
  {
    // The decoder reads the stream lazily; a 32-bit copy keeps the picture once it is gone.
    Gdiplus::Bitmap Decoded(Stream);
    if (Decoded.GetLastStatus() == Gdiplus::Ok && Decoded.GetWidth() > 0) {
      const INT W = static_cast<INT>(Decoded.GetWidth()), H = static_cast<INT>(Decoded.GetHeight());
      auto Copy = std::make_unique<Gdiplus::Bitmap>(W, H, PixelFormat32bppARGB);
      Gdiplus::Graphics G(Copy.get());
      G.DrawImage(&Decoded, Gdiplus::Rect(0, 0, W, H), 0, 0, W, H, Gdiplus::UnitPixel);
      FPicture = std::move(Copy);
    }
  }
  Stream->Release();
  Invalidate();
  return FPicture != nullptr;
}

bool TImage::LoadFromResource(const wchar_t* Name) {
  const HMODULE Module = GetModuleHandleW(nullptr);
  HRSRC Found = FindResourceW(Module, Name, MAKEINTRESOURCEW(10) /* RT_RCDATA */);
  if (!Found) return false;
  HGLOBAL Loaded = LoadResource(Module, Found);
  const void* Data = Loaded ? LockResource(Loaded) : nullptr;
  return LoadFromMemory(Data, SizeofResource(Module, Found));
}

bool TImage::LoadFromFile(const String& Path) {
  std::ifstream In(std::filesystem::path(Path), std::ios::binary);
  if (!In) return false;
  const std::vector<char> Bytes((std::istreambuf_iterator<char>(In)),
                                std::istreambuf_iterator<char>());
  return LoadFromMemory(Bytes.data(), Bytes.size());
}

int TImage::PictureWidth() const {
  return FPicture ? static_cast<int>(FPicture->GetWidth()) : 0;
}
int TImage::PictureHeight() const {
  return FPicture ? static_cast<int>(FPicture->GetHeight()) : 0;
}

void TImage::Paint(Gdiplus::Graphics& G) {
  if (!FPicture) return;
  // Pixel for pixel: the picture's own resolution setting must not scale it.
  G.DrawImage(FPicture.get(), Gdiplus::Rect(0, 0, PictureWidth(), PictureHeight()), 0, 0,
              PictureWidth(), PictureHeight(), Gdiplus::UnitPixel);
}

}  // namespace vlm
