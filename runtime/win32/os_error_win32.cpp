// runtime/win32/os_error_win32.cpp -- the last error and its text, from the platform.
#include "runtime/os_error.h"

#include "runtime/win32/win32_api.h"

namespace vlm {

unsigned LastOSError() { return ::GetLastError(); }

String SysErrorMessage(unsigned ErrorCode) {
  wchar_t* Buffer = nullptr;
  const DWORD Length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
          FORMAT_MESSAGE_ARGUMENT_ARRAY,
      nullptr, ErrorCode, 0, reinterpret_cast<wchar_t*>(&Buffer), 0, nullptr);
  if (Buffer == nullptr) return String();
  String Text = FromWide(Buffer, Length);
  ::LocalFree(Buffer);
  // The platform ends its texts with a line break; a message box adds its own layout.
  while (!Text.empty() && (Text.back() <= u' ')) Text.pop_back();
  return Text;
}

}  // namespace vlm
