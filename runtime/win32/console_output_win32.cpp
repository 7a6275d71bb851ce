// runtime/win32/console_output_win32.cpp -- standard output and error through the handles.
// WriteFile on the standard handle passes the bytes through untouched (the C runtime's text mode
// would add CR before every LF). A console handle gets WriteConsoleW, so that the characters show
// whatever the console's code page is.
#include "runtime/console_output.h"

#include <algorithm>

#include "runtime/win32/win32_api.h"

namespace vlm {

namespace {

void WriteAll(DWORD Which, std::string_view Utf8) {
  const HANDLE Handle = ::GetStdHandle(Which);  // borrowed: the process's own handle
  if (Handle == nullptr || Handle == INVALID_HANDLE_VALUE) return;
  DWORD Mode = 0;
  if (::GetConsoleMode(Handle, &Mode)) {
    const String Text = Utf8ToString(Utf8);
    size_t Offset = 0;
    while (Offset < Text.size()) {
      const DWORD Piece = static_cast<DWORD>(std::min<size_t>(Text.size() - Offset, 16384));
      DWORD Done = 0;
      if (!::WriteConsoleW(Handle, Text.data() + Offset, Piece, &Done, nullptr) || Done == 0)
        return;
      Offset += Done;
    }
    return;
  }
  while (!Utf8.empty()) {
    const DWORD Piece = static_cast<DWORD>(std::min<size_t>(Utf8.size(), 1u << 20));
    DWORD Done = 0;
    if (!::WriteFile(Handle, Utf8.data(), Piece, &Done, nullptr) || Done == 0) return;
    Utf8.remove_prefix(Done);
  }
}

}  // namespace

void WriteStdout(std::string_view Utf8) {
  WriteAll(STD_OUTPUT_HANDLE, Utf8);
}
void WriteStderr(std::string_view Utf8) {
  WriteAll(STD_ERROR_HANDLE, Utf8);
}

}  // namespace vlm
