// runtime/exception.h -- the exception root and the runtime's own error classes and texts.
// Every failure of the system is an exception that carries its message text; the class name is
// part of what tools print ("error EFOpenError: ..."), so each class reports its own name.
#pragma once

#include <exception>
#include <string>

#include "runtime/string.h"

namespace vlm {

class Exception : public std::exception {
public:
  explicit Exception(String Message) : FMessage(std::move(Message)), FWhat(StringToUtf8(FMessage)) {}
  const String& Message() const { return FMessage; }
  const char* what() const noexcept override { return FWhat.c_str(); }
  // The system's own class name of the exception ("EFCreateError").
  virtual const char* ClassName() const { return "Exception"; }

private:
  String FMessage;
  std::string FWhat;  // UTF-8 copy for what()
};

// Declares an exception class that inherits its base's constructors and names itself.
#define VLM_DECLARE_EXCEPTION(Name, Base)                        \
  class Name : public Base {                                     \
  public:                                                        \
    using Base::Base;                                            \
    const char* ClassName() const override { return #Name; }     \
  }

VLM_DECLARE_EXCEPTION(EAbort, Exception);  // silent: the error box never shows it
VLM_DECLARE_EXCEPTION(EConvertError, Exception);
VLM_DECLARE_EXCEPTION(EStreamError, Exception);
VLM_DECLARE_EXCEPTION(EFileStreamError, EStreamError);
VLM_DECLARE_EXCEPTION(EFCreateError, EFileStreamError);
VLM_DECLARE_EXCEPTION(EFOpenError, EFileStreamError);
VLM_DECLARE_EXCEPTION(EReadError, EStreamError);
VLM_DECLARE_EXCEPTION(EWriteError, EStreamError);
VLM_DECLARE_EXCEPTION(EOutOfMemory, Exception);
VLM_DECLARE_EXCEPTION(EListError, Exception);  // "List index out of bounds (%d)"

// An operating-system failure; ErrorCode is the platform's error number (Windows numbering on
// every build, see os_error.h).
class EOSError : public Exception {
public:
  EOSError(String Message, unsigned ErrorCode) : Exception(std::move(Message)), FErrorCode(ErrorCode) {}
  unsigned ErrorCode() const { return FErrorCode; }
  const char* ClassName() const override { return "EOSError"; }

private:
  unsigned FErrorCode;
};

// A failed text-file operation of the runtime (log lines, plain text output). The message is the
// runtime's text for the I/O error number: "File access denied", "Disk full", ... or "I/O error %d".
class EInOutError : public Exception {
public:
  explicit EInOutError(int ErrorCode);
  int ErrorCode() const { return FErrorCode; }
  const char* ClassName() const override { return "EInOutError"; }

private:
  int FErrorCode;
};

// The runtime's text for an I/O error number: the named common codes, else "I/O error <n>".
String InOutErrorMessage(int ErrorCode);

// The stream errors' fixed texts.
inline constexpr char16_t kSStreamReadError[] = u"Stream read error";
inline constexpr char16_t kSStreamWriteError[] = u"Stream write error";

// "Cannot create file "<name>". <reason>" and "Cannot open file "<name>". <reason>": the file name
// expanded to a full path, the reason being the platform's text for ErrorCode.
[[noreturn]] void RaiseCreateError(const String& FileName, unsigned ErrorCode);
[[noreturn]] void RaiseOpenError(const String& FileName, unsigned ErrorCode);

}  // namespace vlm
