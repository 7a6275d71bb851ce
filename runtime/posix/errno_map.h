// runtime/posix/errno_map.h -- the one translation from errno values to Windows error numbers.
#pragma once

namespace vlm {

// The Windows error number that describes the same failure as Errno (ERROR_GEN_FAILURE, 31,
// for values without a closer match).
unsigned OSErrorFromErrno(int Errno);

}  // namespace vlm
