// zip/zf_vz_callback.h -- TVZCallback: reads and writes the engine's callback record for the
// worker. Texts arrive as UTF-16 or as 8-bit text (UTF-8, else the ANSI code page); answers go
// back as UTF-16 (or 8-bit for the archive comment) in buffers owned here, valid until the next
// callback.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/string.h"
#include "zip/engine/engine_interface.h"

namespace vlm {

class TVZCallback {
public:
  void Bind(TZCallBackStruct* Record) { FRecord = Record; }
  TZCallBackStruct& Record() const { return *FRecord; }

  int Action() const { return FRecord->ActionCode & 0x3F; }
  String Msg() const { return Decode(FRecord->MsgP); }
  String Msg2() const { return Decode(FRecord->Msg2P); }

  // MsgP := a zero-terminated UTF-16 copy of Text, HaveWide 1.
  void SetMsg(const String& Text);
  // MsgP := a zero-terminated copy of the bytes, HaveWide 0, Arg1 their length.
  void SetMsgBytes(const std::string& Bytes);

private:
  String Decode(const void* Text) const;

  TZCallBackStruct* FRecord = nullptr;
  std::u16string FWide;
  std::string FBytes;
};

}  // namespace vlm
