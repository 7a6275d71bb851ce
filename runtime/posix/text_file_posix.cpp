// runtime/posix/text_file_posix.cpp -- the text output channel over POSIX file descriptors.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "runtime/os_error.h"
#include "runtime/posix/errno_map.h"
#include "runtime/text_file.h"

namespace vlm {

unsigned TTextFileWriter::PlatformOpen(const String& FileName, bool Append, intptr_t& Handle) {
  const int Flags = O_WRONLY | O_CREAT | O_CLOEXEC | (Append ? O_APPEND : O_TRUNC);
  const int Fd = ::open(StringToUtf8(FileName).c_str(), Flags, 0666);
  if (Fd < 0) return errno == ENOENT ? kErrorPathNotFound : OSErrorFromErrno(errno);
  Handle = Fd;
  return 0;
}

unsigned TTextFileWriter::PlatformStandardOutput(intptr_t& Handle) {
  Handle = STDOUT_FILENO;
  return 0;
}

unsigned TTextFileWriter::PlatformWrite(intptr_t Handle, const char* Data, size_t Count,
                                        size_t& Written) {
  ssize_t Result;
  do Result = ::write(static_cast<int>(Handle), Data, Count);
  while (Result < 0 && errno == EINTR);
  if (Result < 0) return OSErrorFromErrno(errno);
  Written = static_cast<size_t>(Result);
  return 0;
}

unsigned TTextFileWriter::PlatformClose(intptr_t Handle) {
  return ::close(static_cast<int>(Handle)) == 0 ? 0 : OSErrorFromErrno(errno);
}

}  // namespace vlm
