// runtime/os_error.h -- the platform's last error and its text, in Windows numbering everywhere.
// On POSIX, errno values are translated to the Windows error numbers and texts, so that a message
// reads the same on both builds ("The system cannot find the path specified.").
#pragma once

#include "runtime/string.h"

namespace vlm {

// Common Windows error numbers the code base names.
inline constexpr unsigned kErrorFileNotFound = 2;
inline constexpr unsigned kErrorPathNotFound = 3;
inline constexpr unsigned kErrorTooManyOpenFiles = 4;
inline constexpr unsigned kErrorAccessDenied = 5;
inline constexpr unsigned kErrorNotEnoughMemory = 8;
inline constexpr unsigned kErrorSharingViolation = 32;
inline constexpr unsigned kErrorHandleDiskFull = 39;
inline constexpr unsigned kErrorFileExists = 80;
inline constexpr unsigned kErrorInvalidParameter = 87;
inline constexpr unsigned kErrorDiskFull = 112;
inline constexpr unsigned kErrorInvalidName = 123;
inline constexpr unsigned kErrorDirNotEmpty = 145;
inline constexpr unsigned kErrorAlreadyExists = 183;

// The last error of the calling thread (GetLastError; on POSIX errno translated).
unsigned LastOSError();

// The platform's text for an error number (FormatMessage on Windows, a table of the same texts on
// POSIX), without a trailing line break or blanks.
String SysErrorMessage(unsigned ErrorCode);

// Raises EOSError with SysErrorMessage(ErrorCode).
[[noreturn]] void RaiseOSError(unsigned ErrorCode);

}  // namespace vlm
