// zip/zf_exception.cpp -- constructors of the zip front end's exceptions.
#include "zip/zf_exception.h"

namespace vlm {

namespace {
constexpr int32_t kLowestNegatedId = -11603;
constexpr int32_t kHighestNegatedId = -10096;
}  // namespace

int32_t EZFException::NormalizeId(int32_t Id) {
  return (Id >= kLowestNegatedId && Id <= kHighestNegatedId) ? -Id : Id;
}

EZipFront EZipFront::CreateDisp(const String& Text, bool Display) {
  return EZipFront(Text, kZipMsgUnknown, Display);
}

EZipFront EZipFront::CreateResDisp(int32_t Id, bool Display) {
  const int32_t Ident = NormalizeId(Id);
  return EZipFront(LoadZipStr(Ident), Ident, Display);
}

EZipFront EZipFront::CreateResInt(int32_t Id, int64_t Value) {
  const int32_t Ident = NormalizeId(Id);
  return EZipFront(ZipFmtLoadStr(Ident, {Value}), Ident, true);
}

EZipFront EZipFront::CreateResStr(int32_t Id, const String& Value) {
  const int32_t Ident = NormalizeId(Id);
  return EZipFront(ZipFmtLoadStr(Ident, {Value}), Ident, true);
}

EZipFront EZipFront::CreateRes2Str(int32_t Id, const String& Value1, const String& Value2) {
  const int32_t Ident = NormalizeId(Id);
  return EZipFront(ZipFmtLoadStr(Ident, {Value1, Value2}), Ident, true);
}

EZipFront EZipFront::WithAppended(const String& Extra) const {
  return EZipFront(Message() + Extra, fResIdent, fDisplayMsg);
}

}  // namespace vlm
