// runtime/exception.cpp -- the runtime's error texts: I/O error numbers and the file layer's errors.
#include "runtime/exception.h"

#include "runtime/file_system.h"
#include "runtime/os_error.h"

namespace vlm {

String InOutErrorMessage(int ErrorCode) {
  switch (ErrorCode) {
    case 2: return u"File not found";
    case 3: return u"Invalid filename";
    case 4: return u"Too many open files";
    case 5: return u"File access denied";
    case 100: return u"Read beyond end of file";
    case 101: return u"Disk full";
    case 106: return u"Invalid numeric input";
    default: return u"I/O error " + S(std::to_string(ErrorCode));
  }
}

EInOutError::EInOutError(int ErrorCode)
    : Exception(InOutErrorMessage(ErrorCode)), FErrorCode(ErrorCode) {}

void RaiseCreateError(const String& FileName, unsigned ErrorCode) {
  throw EFCreateError(u"Cannot create file \"" + ExpandFileName(FileName) + u"\". " +
                      SysErrorMessage(ErrorCode));
}

void RaiseOpenError(const String& FileName, unsigned ErrorCode) {
  throw EFOpenError(u"Cannot open file \"" + ExpandFileName(FileName) + u"\". " +
                    SysErrorMessage(ErrorCode));
}

void RaiseOSError(unsigned ErrorCode) { throw EOSError(SysErrorMessage(ErrorCode), ErrorCode); }

}  // namespace vlm
