// runtime/posix/file_stream_posix.cpp -- TFileStream over a POSIX file descriptor.
#include "runtime/file_stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "runtime/exception.h"
#include "runtime/os_error.h"

namespace vlm {

namespace {

// open() happily opens a folder for reading; Windows refuses with "Access is denied", and the
// callers expect a file, so a folder is refused here the same way.
bool IsFolder(int Fd) {
  struct stat Info {};
  return ::fstat(Fd, &Info) == 0 && S_ISDIR(Info.st_mode);
}

}  // namespace

TFileStream::TFileStream(const String& FileName, uint16_t Mode) : FFileName(FileName), FHandle(-1) {
  const std::string Path = StringToUtf8(FileName);
  if (Mode == fmCreate || (Mode & 0xFF00) == fmCreate) {
    const int Fd = ::open(Path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    // A missing folder on the way: Windows calls that "path not found", not "file not found".
    if (Fd < 0) RaiseCreateError(FileName, errno == ENOENT ? kErrorPathNotFound : LastOSError());
    FHandle = Fd;
    return;
  }
  int Flags = O_RDONLY;
  if ((Mode & 3) == fmOpenWrite) Flags = O_WRONLY;
  if ((Mode & 3) == fmOpenReadWrite) Flags = O_RDWR;
  const int Fd = ::open(Path.c_str(), Flags | O_CLOEXEC);
  if (Fd < 0) RaiseOpenError(FileName, LastOSError());
  if (IsFolder(Fd)) {
    ::close(Fd);
    RaiseOpenError(FileName, kErrorAccessDenied);
  }
  FHandle = Fd;
}

TFileStream::~TFileStream() {
  if (FHandle >= 0) ::close(static_cast<int>(FHandle));
}

int64_t TFileStream::Read(void* Buffer, int64_t Count) {
  if (Count <= 0) return 0;
  for (;;) {
    const ssize_t Done = ::read(static_cast<int>(FHandle), Buffer, static_cast<size_t>(Count));
    if (Done >= 0) return Done;
    if (errno != EINTR) return 0;
  }
}

int64_t TFileStream::Write(const void* Buffer, int64_t Count) {
  if (Count <= 0) return 0;
  for (;;) {
    const ssize_t Done = ::write(static_cast<int>(FHandle), Buffer, static_cast<size_t>(Count));
    if (Done >= 0) return Done;
    if (errno != EINTR) return 0;
  }
}

int64_t TFileStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  int Whence = SEEK_SET;
  if (Origin == TSeekOrigin::soCurrent) Whence = SEEK_CUR;
  if (Origin == TSeekOrigin::soEnd) Whence = SEEK_END;
  return ::lseek(static_cast<int>(FHandle), static_cast<off_t>(Offset), Whence);
}

void TFileStream::SetSize(int64_t NewSize) {
  const int64_t Saved = Position();
  if (::ftruncate(static_cast<int>(FHandle), static_cast<off_t>(NewSize)) != 0) {
    RaiseOSError(LastOSError());
  }
  if (Saved > NewSize) SetPosition(NewSize);
}

}  // namespace vlm
