// zip/engine/callback_channel.h -- the engine's side of the callback protocol: fills the callback
// record, calls the front end, reads its answer, answers argument requests, and turns cancel,
// abort and front-end exceptions into the end of the operation.
//
// Every call may end the operation by throwing TOperationEnd: when the front end answers cancel
// or abort (-2, -3: result -1), reports an exception (-4: result -3), or when VZ_Abort was called
// for this operation's key (result -2). VZ_Exec catches it and returns its result.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <vector>

#include "runtime/string.h"
#include "zip/engine/engine_interface.h"

namespace vlm::zipengine {

struct TOperationEnd {
  int32_t Result;
};

// Registers an operation under a fresh nonzero key for VZ_Abort for as long as it lives.
class TAbortRegistration {
public:
  TAbortRegistration();
  ~TAbortRegistration();
  TAbortRegistration(const TAbortRegistration&) = delete;
  TAbortRegistration& operator=(const TAbortRegistration&) = delete;

  uint32_t Key() const { return FKey; }
  bool Requested() const { return FRequested.load(std::memory_order_relaxed); }

  // Sets the flag of the operation registered under Key; false when there is none.
  static bool Request(uint32_t Key);

private:
  uint32_t FKey;
  std::atomic<bool> FRequested{false};
};

class TCallbackChannel {
public:
  TCallbackChannel(const TDLLCommands& Command, const TAbortRegistration& Abort);

  // One callback. Texts are sent as UTF-16 (HaveWide 1) and must outlive the call. Returns the
  // answer; throws TOperationEnd as described above. Written is filled in from the running total.
  int32_t Call(int32_t Action, const String* Text = nullptr, const String* Text2 = nullptr,
               int64_t Size = 0, uint32_t Arg1 = 0, uint32_t Arg2 = 0, int32_t Arg3 = 0);

  // After a call: the answer's text (UTF-16 when HaveWide is set, else 8-bit text read as UTF-8,
  // or as the ANSI code page when it is not valid UTF-8) and arguments.
  String AnswerText() const;
  uint32_t AnswerArg1() const { return FRecord.Arg1; }
  int32_t AnswerArg3() const { return FRecord.Arg3; }

  // Argument request (action 19): the text, or nothing when the front end has none.
  std::optional<String> Argument(uint32_t Selector, int32_t Index = 0);
  // All file specifications of selector VZ_ARG_FSPEC or VZ_ARG_FSPEC_EXCL, empty ones left out.
  std::vector<String> FileSpecifications(uint32_t Selector);

  // Message (action 8). Informational messages (Error 0) are sent only when the command allows
  // them (no VZ_OPT_QUIET and a nonzero window handle).
  void Message(int32_t Error, const String& Text);
  // Skip report (action 13); returns true when the front end asks to stop the operation.
  bool Skipped(const String& Name, int32_t Error, int32_t Reason);

  // Ends the operation with VZ_RESULT_ABORTED when VZ_Abort was called; call between blocks.
  void CheckAbort() const;

  void AddWritten(uint64_t Bytes) { FWritten += static_cast<int64_t>(Bytes); }

private:
  const TDLLCommands& FCommand;
  const TAbortRegistration& FAbort;
  TZCallBackStruct FRecord{};
  int64_t FWritten = 0;
};

}  // namespace vlm::zipengine
