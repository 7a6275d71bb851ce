// runtime/posix/dynamic_library_posix.cpp -- run-time loading with dlopen.
#include <dlfcn.h>
#include <sys/stat.h>

#include "runtime/dynamic_library.h"
#include "runtime/file_system.h"
#include "runtime/os_error.h"

namespace vlm {
namespace {

bool IsRegularFile(const std::string& Path) {
  struct stat Info {};
  return ::stat(Path.c_str(), &Info) == 0 && S_ISREG(Info.st_mode);
}

void* Open(const std::string& Path) {
  return ::dlopen(Path.c_str(), RTLD_NOW | RTLD_LOCAL);
}

}  // namespace

const char16_t* SharedLibraryExtension() {
  return u".so";
}

void* LoadDynamicLibrary(const String& Name, unsigned& ErrorCode) {
  ErrorCode = 0;
  const std::string Utf8 = StringToUtf8(Name);
  if (Utf8.empty()) {
    ErrorCode = kErrorModNotFound;
    return nullptr;
  }
  bool SawFile = false;
  if (Utf8.find('/') == std::string::npos) {
    // Windows looks in the executable's folder first; dlopen would not.
    const std::string Beside = StringToUtf8(ExtractFilePath(ExecutablePath())) + Utf8;
    if (IsRegularFile(Beside)) {
      SawFile = true;
      if (void* Handle = Open(Beside)) return Handle;
    }
  } else {
    SawFile = IsRegularFile(Utf8);
    if (!SawFile) {
      ErrorCode = kErrorModNotFound;
      return nullptr;
    }
  }
  if (void* Handle = Open(Utf8)) return Handle;
  // A file that is there but does not load is not a library of this platform (or one it needs
  // is missing; dlerror cannot tell these apart reliably, and the first is the common case).
  ErrorCode = SawFile ? kErrorBadExeFormat : kErrorModNotFound;
  return nullptr;
}

void* DynamicLibrarySymbol(void* Handle, const char* Name) {
  return Handle ? ::dlsym(Handle, Name) : nullptr;
}

void FreeDynamicLibrary(void* Handle) {
  if (Handle) ::dlclose(Handle);
}

String DynamicLibraryErrorMessage(unsigned ErrorCode) {
  switch (ErrorCode) {
    case kErrorModNotFound: return u"The specified module could not be found.";
    case kErrorProcNotFound: return u"The specified procedure could not be found.";
    case kErrorBadExeFormat: return u"%1 is not a valid Win32 application.";
    default: return SysErrorMessage(ErrorCode);
  }
}

TErrorModeScope::TErrorModeScope(unsigned Mode) : FPrevious(Mode) {}
TErrorModeScope::~TErrorModeScope() = default;

}  // namespace vlm
