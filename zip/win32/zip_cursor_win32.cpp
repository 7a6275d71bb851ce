// zip/win32/zip_cursor_win32.cpp -- the hourglass while the component is busy.
#include "runtime/win32/win32_api.h"
#include "zip/zip_front.h"

namespace vlm {

intptr_t ZipFrontSetWaitCursor() {
  return reinterpret_cast<intptr_t>(::SetCursor(::LoadCursorW(nullptr, IDC_WAIT)));
}

void ZipFrontRestoreCursor(intptr_t Saved) {
  ::SetCursor(reinterpret_cast<HCURSOR>(Saved));
}

}  // namespace vlm
