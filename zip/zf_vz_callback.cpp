// zip/zf_vz_callback.cpp -- texts in and out of the callback record.
#include "zip/zf_vz_callback.h"

#include "runtime/code_page.h"

namespace vlm {
namespace {

constexpr size_t kBufferStep = 512;  // bytes; the answer buffer grows in such steps

size_t Rounded(size_t Bytes) {
  return (Bytes + kBufferStep - 1) / kBufferStep * kBufferStep;
}

}  // namespace

String TVZCallback::Decode(const void* Text) const {
  if (!Text) return String();
  if (FRecord->HaveWide != 0) return String(static_cast<const char16_t*>(Text));
  const std::string Bytes(static_cast<const char*>(Text));
  const String Decoded = Utf8ToString(Bytes);
  // Valid UTF-8 survives the round trip unchanged; anything else is ANSI text.
  if (StringToUtf8(Decoded) == Bytes) return Decoded;
  return AnsiToString(Bytes);
}

void TVZCallback::SetMsg(const String& Text) {
  const size_t Needed = Rounded((Text.size() + 1) * sizeof(char16_t)) / sizeof(char16_t);
  if (FWide.capacity() < Needed) FWide.reserve(Needed);
  FWide.assign(Text);
  FRecord->HaveWide = 1;
  FRecord->MsgP = FWide.c_str();
}

void TVZCallback::SetMsgBytes(const std::string& Bytes) {
  const size_t Needed = Rounded(Bytes.size() + 1);
  if (FBytes.capacity() < Needed) FBytes.reserve(Needed);
  FBytes.assign(Bytes);
  FRecord->HaveWide = 0;
  FRecord->MsgP = FBytes.c_str();
  FRecord->Arg1 = static_cast<uint32_t>(Bytes.size());
}

}  // namespace vlm
