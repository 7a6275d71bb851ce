// runtime/posix/os_error_posix.cpp -- errno in Windows numbering, with the platform texts that
// Windows gives for those numbers, so that messages read the same on both builds.
#include "runtime/os_error.h"

#include <cerrno>
#include <string>

#include "runtime/posix/errno_map.h"

namespace vlm {

unsigned OSErrorFromErrno(int Errno) {
  switch (Errno) {
    case 0: return 0;
    case ENOENT: return kErrorFileNotFound;
    case ENOTDIR: return kErrorPathNotFound;
    case EMFILE:
    case ENFILE: return kErrorTooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return kErrorAccessDenied;
    case ENOMEM: return kErrorNotEnoughMemory;
    case EBUSY:
    case ETXTBSY: return kErrorSharingViolation;
    case EEXIST: return kErrorAlreadyExists;
    case EINVAL: return kErrorInvalidParameter;
    case ENOSPC:
    case EDQUOT: return kErrorDiskFull;
    case ENAMETOOLONG: return 206;  // ERROR_FILENAME_EXCED_RANGE
    case ENOTEMPTY: return kErrorDirNotEmpty;
    case EIO: return 1117;  // ERROR_IO_DEVICE
    case EBADF: return 6;   // ERROR_INVALID_HANDLE
    default: return 31;     // ERROR_GEN_FAILURE
  }
}

unsigned LastOSError() { return OSErrorFromErrno(errno); }

String SysErrorMessage(unsigned ErrorCode) {
  switch (ErrorCode) {
    case 0: return u"The operation completed successfully.";
    case kErrorFileNotFound: return u"The system cannot find the file specified.";
    case kErrorPathNotFound: return u"The system cannot find the path specified.";
    case kErrorTooManyOpenFiles: return u"The system cannot open the file.";
    case kErrorAccessDenied: return u"Access is denied.";
    case 6: return u"The handle is invalid.";
    case kErrorNotEnoughMemory:
      return u"Not enough memory resources are available to process this command.";
    case 31: return u"A device attached to the system is not functioning.";
    case kErrorSharingViolation:
      return u"The process cannot access the file because it is being used by another process.";
    case kErrorHandleDiskFull: return u"The disk is full.";
    case kErrorFileExists: return u"The file exists.";
    case kErrorInvalidParameter: return u"The parameter is incorrect.";
    case kErrorDiskFull: return u"There is not enough space on the disk.";
    case kErrorInvalidName:
      return u"The filename, directory name, or volume label syntax is incorrect.";
    case kErrorDirNotEmpty: return u"The directory is not empty.";
    case kErrorAlreadyExists: return u"Cannot create a file when that file already exists.";
    case 206: return u"The filename or extension is too long.";
    case 1117: return u"The request could not be performed because of an I/O device error.";
    default: return u"Unknown error " + S(std::to_string(ErrorCode));
  }
}

}  // namespace vlm
