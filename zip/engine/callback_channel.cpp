// zip/engine/callback_channel.cpp -- callback records, answers, argument requests, abort keys.
#include "zip/engine/callback_channel.h"
#include "zip/format/zip_format.h"

#include <cstring>
#include <map>
#include <mutex>

#include "runtime/code_page.h"

namespace vlm::zipengine {
namespace {

// A front end that never says "no more" must not keep the engine asking forever.
constexpr int32_t kMaxSpecifications = 65536;
// Longest answer text read back (characters); a missing terminator cannot run further.
constexpr size_t kMaxAnswerLength = 1u << 20;

std::mutex& AbortLock() {
  static std::mutex Lock;
  return Lock;
}
std::map<uint32_t, std::atomic<bool>*>& AbortTable() {
  static std::map<uint32_t, std::atomic<bool>*> Table;
  return Table;
}

}  // namespace

TAbortRegistration::TAbortRegistration() {
  static uint32_t NextKey = 0x5A10;
  std::lock_guard<std::mutex> Guard(AbortLock());
  do {
    FKey = ++NextKey;
  } while (FKey == 0 || AbortTable().count(FKey) != 0);
  AbortTable()[FKey] = &FRequested;
}

TAbortRegistration::~TAbortRegistration() {
  std::lock_guard<std::mutex> Guard(AbortLock());
  AbortTable().erase(FKey);
}

bool TAbortRegistration::Request(uint32_t Key) {
  std::lock_guard<std::mutex> Guard(AbortLock());
  const auto It = AbortTable().find(Key);
  if (It == AbortTable().end()) return false;
  It->second->store(true, std::memory_order_relaxed);
  return true;
}

TCallbackChannel::TCallbackChannel(const TDLLCommands& Command, const TAbortRegistration& Abort)
    : FCommand(Command), FAbort(Abort) {}

void TCallbackChannel::CheckAbort() const {
  if (FAbort.Requested()) throw TOperationEnd{VZ_RESULT_ABORTED};
}

int32_t TCallbackChannel::Call(int32_t Action, const String* Text, const String* Text2,
                               int64_t Size, uint32_t Arg1, uint32_t Arg2, int32_t Arg3) {
  CheckAbort();
  FRecord = TZCallBackStruct{};
  FRecord.Caller = FCommand.fCaller;
  FRecord.Version = VZ_INTERFACE_VERSION;
  FRecord.IsOperationZip = 0;
  FRecord.ActionCode = Action;
  FRecord.HaveWide = 1;
  FRecord.MsgP = Text ? Text->c_str() : u"";
  FRecord.Msg2P = Text2 ? Text2->c_str() : u"";
  FRecord.File_Size = Size;
  FRecord.Written = FWritten;
  FRecord.Arg1 = Arg1;
  FRecord.Arg2 = Arg2;
  FRecord.Arg3 = Arg3;
  FRecord.Check = VZ_CALLBACK_CHECK;
  const int32_t Answer = FCommand.ZCallbackFunc(&FRecord);
  if (Answer == VZ_ANSWER_CANCEL || Answer == VZ_ANSWER_ABORT)
    throw TOperationEnd{VZ_RESULT_CANCELLED};
  if (Answer == VZ_ANSWER_EXCEPTION) throw TOperationEnd{VZ_RESULT_CALLBACK};
  CheckAbort();
  return Answer;
}

String TCallbackChannel::AnswerText() const {
  if (!FRecord.MsgP) return {};
  if (FRecord.HaveWide) {
    const auto* P = static_cast<const char16_t*>(FRecord.MsgP);
    size_t N = 0;
    while (N < kMaxAnswerLength && P[N] != 0) ++N;
    return String(P, N);
  }
  const auto* P = static_cast<const char*>(FRecord.MsgP);
  const std::string Bytes(P, strnlen(P, kMaxAnswerLength));
  return zipformat::IsValidUtf8(Bytes) ? Utf8ToString(Bytes) : DecodeCodePage(kCodePageAnsi, Bytes);
}

std::optional<String> TCallbackChannel::Argument(uint32_t Selector, int32_t Index) {
  if (Call(VZ_ACT_ARGUMENT, nullptr, nullptr, 0, Selector, 0, Index) != 1) return std::nullopt;
  return AnswerText();
}

std::vector<String> TCallbackChannel::FileSpecifications(uint32_t Selector) {
  std::vector<String> FileSpecs;
  for (int32_t Index = 0; Index < kMaxSpecifications; ++Index) {
    std::optional<String> Pattern = Argument(Selector, Index);
    if (!Pattern) break;
    if (!Pattern->empty()) FileSpecs.push_back(std::move(*Pattern));
  }
  return FileSpecs;
}

void TCallbackChannel::Message(int32_t Error, const String& Text) {
  const bool Quiet = (FCommand.fOptions & VZ_OPT_QUIET) != 0 || FCommand.fHandle == 0;
  if (Error == 0 && Quiet) return;
  Call(VZ_ACT_MESSAGE, &Text, nullptr, 0, static_cast<uint32_t>(Error));
}

bool TCallbackChannel::Skipped(const String& Name, int32_t Error, int32_t Reason) {
  return Call(VZ_ACT_SKIPPED, &Name, nullptr, 0, static_cast<uint32_t>(Error),
              static_cast<uint32_t>(Reason + 1)) == 1;
}

}  // namespace vlm::zipengine
