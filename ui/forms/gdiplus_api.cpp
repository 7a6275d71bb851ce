// ui/forms/gdiplus_api.cpp -- process-wide start of the graphics API.
#include "ui/forms/gdiplus_api.h"

namespace vlm {

namespace {

// Started on first use; never shut down: windows may still paint while static objects die, and
// the process's end releases everything the API holds.
struct GdiplusSession {
  GdiplusSession() {
    Gdiplus::GdiplusStartupInput Input;
    Gdiplus::GdiplusStartup(&Token, &Input, nullptr);
  }
  ULONG_PTR Token = 0;
};

}  // namespace

void EnsureGraphics() {
  static GdiplusSession Session;
}

}  // namespace vlm
