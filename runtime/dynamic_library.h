// runtime/dynamic_library.h -- loading a shared library at run time by name, looking up its
// exports and freeing it, with the failure reported as a Windows error number on every build.
// A bare name is searched the way Windows searches it: the executable's own folder first, then the
// system's standard places (on POSIX: next to the executable, then dlopen's search). A name with
// a folder part is loaded as it is.
#pragma once

#include "runtime/string.h"

namespace vlm {

// Windows error numbers of a failed load.
inline constexpr unsigned kErrorModNotFound = 126;   // the library (or one it needs) is not there
inline constexpr unsigned kErrorProcNotFound = 127;  // an export is missing
inline constexpr unsigned kErrorBadExeFormat = 193;  // the file is not a loadable library

// The file-name extension of shared libraries on this platform, with its dot (".dll", ".so").
const char16_t* SharedLibraryExtension();

// Loads Name (see above). Returns the library handle, or null with ErrorCode set to the reason.
void* LoadDynamicLibrary(const String& Name, unsigned& ErrorCode);
// The address of the export Name, or null when the library has no such export.
void* DynamicLibrarySymbol(void* Handle, const char* Name);
// Frees a handle from LoadDynamicLibrary; null is ignored.
void FreeDynamicLibrary(void* Handle);
// The platform's text for an error number of a load (as SysErrorMessage, knowing the loader's
// numbers on POSIX too).
String DynamicLibraryErrorMessage(unsigned ErrorCode);

// Error-mode bits (SetErrorMode): fail critical errors, no box for a missing file.
inline constexpr unsigned kSemFailCriticalErrors = 0x0001;
inline constexpr unsigned kSemNoOpenFileErrorBox = 0x8000;

// Sets the process's error mode for its lifetime and restores the previous one afterwards, so a
// load never makes the system show a box of its own. Nothing to do on POSIX.
class TErrorModeScope {
public:
  explicit TErrorModeScope(unsigned Mode);
  ~TErrorModeScope();
  TErrorModeScope(const TErrorModeScope&) = delete;
  TErrorModeScope& operator=(const TErrorModeScope&) = delete;

private:
  unsigned FPrevious;
};

}  // namespace vlm
