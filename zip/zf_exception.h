// zip/zf_exception.h -- the zip front end's exceptions: EZFException carries a message id and
// whether the failure is meant for the user; EZipFront is the class the front end raises. Each
// operation of the front end catches them at its edge and reports them (TZFCore::
// ShowExceptionError), so they do not reach the component's caller.
#pragma once

#include <cstdint>

#include "runtime/exception.h"
#include "zip/zip_messages.h"

namespace vlm {

class EZFException : public Exception {
public:
  EZFException(String Message, int32_t ResIdent, bool DisplayMsg)
      : Exception(std::move(Message)), fResIdent(ResIdent), fDisplayMsg(DisplayMsg) {}
  const char* ClassName() const override { return "EZFException"; }

  int32_t ResIdent() const { return fResIdent; }
  bool DisplayMsg() const { return fDisplayMsg; }

  // The id as the constructors use it: an id from -11603 to -10096 (a negated message id, as
  // directory reading produces) becomes positive; any other id stays as it is.
  static int32_t NormalizeId(int32_t Id);

protected:
  int32_t fResIdent;  // the message id; 11049 ("Unknown Error") for a plain text
  bool fDisplayMsg;   // show it in the dialog box (unless unattended or a silent code)
};

// The front end's exception. The Create... functions are its constructors: the message is the
// text or the id's text (LoadZipStr) formatted with the arguments.
class EZipFront : public EZFException {
public:
  using EZFException::EZFException;
  const char* ClassName() const override { return "EZipFront"; }

  // Text as given, id 11049, display as given.
  static EZipFront CreateDisp(const String& Text, bool Display);
  // Text of Id, display as given.
  static EZipFront CreateResDisp(int32_t Id, bool Display);
  // Text of Id formatted with one integer, displayed.
  static EZipFront CreateResInt(int32_t Id, int64_t Value);
  // Text of Id formatted with one string, displayed.
  static EZipFront CreateResStr(int32_t Id, const String& Value);
  // Text of Id formatted with two strings, displayed.
  static EZipFront CreateRes2Str(int32_t Id, const String& Value1, const String& Value2);

  // The same exception with Extra appended to its message (an event-exception text).
  EZipFront WithAppended(const String& Extra) const;
};

}  // namespace vlm
