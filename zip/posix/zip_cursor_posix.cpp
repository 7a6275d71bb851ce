// zip/posix/zip_cursor_posix.cpp -- no screen cursor without a window system.
#include "zip/zip_front.h"

namespace vlm {

intptr_t ZipFrontSetWaitCursor() {
  return 0;
}
void ZipFrontRestoreCursor(intptr_t) {}

}  // namespace vlm
