// ui/forms/double_buffer.cpp -- WM_PAINT through an off-screen bitmap.
#include "ui/forms/double_buffer.h"

namespace vlm {

void PaintDoubleBuffered(HWND Window, const std::function<void(Gdiplus::Graphics&)>& Draw) {
  TPaintBuffer Once;  // made for this paint and gone with it
  Once.Paint(Window, Draw);
}

TPaintBuffer::~TPaintBuffer() {
  Release();
}

void TPaintBuffer::Release() {
  if (FDc) {
    SelectObject(FDc, FOld);
    DeleteDC(FDc);
  }
  if (FBitmap) DeleteObject(FBitmap);
  FDc = nullptr;
  FBitmap = nullptr;
  FWidth = FHeight = 0;
}

bool TPaintBuffer::Fit(HDC Screen, int W, int H) {
  if (FDc && W == FWidth && H == FHeight) return true;
  Release();
  FBitmap = CreateCompatibleBitmap(Screen, W, H);
  FDc = FBitmap ? CreateCompatibleDC(Screen) : nullptr;
  if (!FDc) {
    Release();
    return false;
  }
  FOld = SelectObject(FDc, FBitmap);
  FWidth = W;
  FHeight = H;
  return true;
}

void TPaintBuffer::Paint(HWND Window, const std::function<void(Gdiplus::Graphics&)>& Draw) {
  PAINTSTRUCT Ps;
  HDC Dc = BeginPaint(Window, &Ps);
  RECT Client;
  GetClientRect(Window, &Client);
  const int W = Client.right, H = Client.bottom;
  if (W > 0 && H > 0 && Fit(Dc, W, H)) {
    {
      Gdiplus::Graphics G(FDc);
      Draw(G);
    }
    BitBlt(Dc, 0, 0, W, H, FDc, 0, 0, SRCCOPY);
  }
  EndPaint(Window, &Ps);
}

}  // namespace vlm
