// runtime/win32/dynamic_library_win32.cpp -- run-time loading with LoadLibrary.
#include "runtime/dynamic_library.h"
#include "runtime/os_error.h"
#include "runtime/win32/win32_api.h"

namespace vlm {

const char16_t* SharedLibraryExtension() {
  return u".dll";
}

void* LoadDynamicLibrary(const String& Name, unsigned& ErrorCode) {
  ErrorCode = 0;
  HMODULE Module = ::LoadLibraryW(WidePtr(Name));
  if (!Module) ErrorCode = ::GetLastError();
  return reinterpret_cast<void*>(Module);
}

void* DynamicLibrarySymbol(void* Handle, const char* Name) {
  if (!Handle) return nullptr;
  return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(Handle), Name));
}

void FreeDynamicLibrary(void* Handle) {
  if (Handle) ::FreeLibrary(static_cast<HMODULE>(Handle));
}

String DynamicLibraryErrorMessage(unsigned ErrorCode) {
  return SysErrorMessage(ErrorCode);
}

TErrorModeScope::TErrorModeScope(unsigned Mode) : FPrevious(::SetErrorMode(Mode)) {}
TErrorModeScope::~TErrorModeScope() {
  ::SetErrorMode(FPrevious);
}

}  // namespace vlm
