// runtime/win32/text_file_win32.cpp -- the text output channel over Windows file handles.
#include "runtime/text_file.h"
#include "runtime/win32/win32_api.h"

namespace vlm {

unsigned TTextFileWriter::PlatformOpen(const String& FileName, bool Append, intptr_t& Handle) {
  const HANDLE File =
      CreateFileW(WidePtr(FileName), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                  Append ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (File == INVALID_HANDLE_VALUE) return GetLastError();
  if (Append && SetFilePointer(File, 0, nullptr, FILE_END) == INVALID_SET_FILE_POINTER &&
      GetLastError() != NO_ERROR) {
    const unsigned Error = GetLastError();
    CloseHandle(File);
    return Error;
  }
  Handle = reinterpret_cast<intptr_t>(File);
  return 0;
}

unsigned TTextFileWriter::PlatformStandardOutput(intptr_t& Handle) {
  const HANDLE Output = GetStdHandle(STD_OUTPUT_HANDLE);
  if (Output == INVALID_HANDLE_VALUE || Output == nullptr) return ERROR_INVALID_HANDLE;
  Handle = reinterpret_cast<intptr_t>(Output);
  return 0;
}

unsigned TTextFileWriter::PlatformWrite(intptr_t Handle, const char* Data, size_t Count,
                                        size_t& Written) {
  DWORD Done = 0;
  const DWORD Chunk = Count > 0x10000000 ? 0x10000000 : static_cast<DWORD>(Count);
  if (!WriteFile(reinterpret_cast<HANDLE>(Handle), Data, Chunk, &Done, nullptr))
    return GetLastError();
  Written = Done;
  return 0;
}

unsigned TTextFileWriter::PlatformClose(intptr_t Handle) {
  return CloseHandle(reinterpret_cast<HANDLE>(Handle)) ? 0 : GetLastError();
}

}  // namespace vlm
