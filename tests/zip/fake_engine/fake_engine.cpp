// tests/zip/fake_engine/fake_engine.cpp -- a stand-in for the zip engine library, built into
// several small libraries that the loader tests find instead of the real one:
//   FAKE_PRIV_VERSION  the build number VZ_PrivVersion answers (default: a current one)
//   FAKE_OMIT_PATH     leaves out the VZ_Path export
// VZ_Exec plays a script from the environment variable VLM_FAKE_ENGINE, so the front end's
// handling of any callback sequence and result can be tested. Items are separated by ";":
//   A,arg1,arg2,arg3,size[,text]  one callback with that action (text as UTF-8 in MsgP)
//   =N                            return N now
//   E                             a message callback (action 8, value 0) whose text reports the
//                                 previous callback: "answer=<n> arg1=<Arg1> arg3=<Arg3>
//                                 text=<MsgP>"
// A script without "=" returns the number of callbacks made.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#define VZ_ENGINE_BUILD
#include "zip/engine/engine_interface.h"

#ifndef FAKE_PRIV_VERSION
#define FAKE_PRIV_VERSION 1900100
#endif

namespace {

std::string Utf8OfAnswer(const TZCallBackStruct& R) {
  if (!R.MsgP) return "";
  if (!R.HaveWide) return static_cast<const char*>(R.MsgP);
  std::string Out;
  for (const char16_t* P = static_cast<const char16_t*>(R.MsgP); *P; ++P) {
    Out += *P < 0x80 ? static_cast<char>(*P) : '?';  // tests use ASCII answers
  }
  return Out;
}

int32_t Send(const TDLLCommands* C, TZCallBackStruct& R, int Action, uint32_t A1, uint32_t A2,
             int32_t A3, int64_t Size, const std::string& Text) {
  R = TZCallBackStruct{};
  R.Caller = C->fCaller;
  R.Version = VZ_INTERFACE_VERSION;
  R.ActionCode = Action;
  R.MsgP = Text.c_str();
  R.File_Size = Size;
  R.Arg1 = A1;
  R.Arg2 = A2;
  R.Arg3 = A3;
  R.Check = VZ_CALLBACK_CHECK;
  return C->ZCallbackFunc(&R);
}

}  // namespace

extern "C" {

VZ_EXPORT int32_t VZ_CALL VZ_Exec(const TDLLCommands* C) {
  if (!C || C->fCheck != VZ_COMMAND_CHECK) return VZ_RESULT_BAD_COMMAND;
  const char* Script = std::getenv("VLM_FAKE_ENGINE");
  std::string Rest = Script ? Script : "";
  TZCallBackStruct R{};
  int32_t Answer = 0, Calls = 0;
  std::string Texts[2];  // the text of the current callback stays alive while it runs
  while (!Rest.empty()) {
    const size_t End = Rest.find(';');
    const std::string Item = Rest.substr(0, End);
    Rest = End == std::string::npos ? "" : Rest.substr(End + 1);
    if (Item.empty()) continue;
    if (Item[0] == '=') return std::atoi(Item.c_str() + 1);
    if (Item == "E") {
      Texts[1] = "answer=" + std::to_string(Answer) + " arg1=" + std::to_string(R.Arg1) +
                 " arg3=" + std::to_string(R.Arg3) + " text=" + Utf8OfAnswer(R);
      TZCallBackStruct Echo{};
      Send(C, Echo, VZ_ACT_MESSAGE, 0, 0, 0, 0, Texts[1]);
      ++Calls;
      continue;
    }
    int Action = 0;
    unsigned A1 = 0, A2 = 0;
    int A3 = 0;
    long long Size = 0;
    int Used = 0;
    std::sscanf(Item.c_str(), "%d,%u,%u,%d,%lld%n", &Action, &A1, &A2, &A3, &Size, &Used);
    Texts[0] = (Used > 0 && Item[Used] == ',') ? Item.substr(Used + 1) : "";
    Answer = Send(C, R, Action, A1, A2, A3, Size, Texts[0]);
    ++Calls;
  }
  return Calls;
}

VZ_EXPORT int32_t VZ_CALL VZ_Abort(uint32_t) {
  return -1;
}
VZ_EXPORT int32_t VZ_CALL VZ_Version(void) {
  return VZ_INTERFACE_VERSION;
}
VZ_EXPORT int32_t VZ_CALL VZ_PrivVersion(void) {
  return FAKE_PRIV_VERSION;
}

VZ_EXPORT void VZ_CALL VZ_Name(void* Buffer, int32_t Capacity, int32_t IsWide) {
  static const char kName[] = "fake-engine";
  if (!Buffer || Capacity <= 0) return;
  const int32_t N = static_cast<int32_t>(std::strlen(kName)) < Capacity
                        ? static_cast<int32_t>(std::strlen(kName))
                        : Capacity;
  if (IsWide) {
    auto* Out = static_cast<char16_t*>(Buffer);
    for (int32_t I = 0; I < N; ++I) Out[I] = static_cast<char16_t>(kName[I]);
    Out[N] = 0;
  } else {
    std::memcpy(Buffer, kName, static_cast<size_t>(N));
    static_cast<char*>(Buffer)[N] = 0;
  }
}

VZ_EXPORT const char* VZ_CALL VZ_Banner(void) {
  return "fake-engine version 0, test";
}

#ifndef FAKE_OMIT_PATH
VZ_EXPORT const char* VZ_CALL VZ_Path(void) {
  return "fake-engine";
}
#endif

}  // extern "C"
