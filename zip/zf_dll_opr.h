// zip/zf_dll_opr.h -- TZFDLLOpr: the worker that runs an extraction through the engine library.
// It builds the command record, calls VZ_Exec through the loader, maps the result to errors, and
// answers the engine's callbacks: argument requests, progress, messages, overwrite questions,
// skips and password requests.
#pragma once

#include <cstdint>
#include <memory>

#include "zip/engine/engine_interface.h"
#include "zip/zf_progress.h"
#include "zip/zf_vz_callback.h"
#include "zip/zf_worker.h"

namespace vlm {

// Messages of the extract operation.
inline constexpr int32_t kZipMsgCrcError = 11400;
inline constexpr int32_t kZipMsgSkippingNotAllowed = 10131;
inline constexpr int32_t kZipMsgSkipped = 10126;  // "Skipped %s %d"
inline constexpr int32_t kZipMsgNoExtractPassword = 10151;
inline constexpr int32_t kZipMsgUnattendedExtract = 10502;
inline constexpr int32_t kZipMsgExtractDirMissing = 10504;
inline constexpr int32_t kZipMsgCriticalDllError = 10124;  // "critical DLL Error %d"

// The option word the front end sets for every command: no informational messages.
inline constexpr uint32_t kZipCommandQuiet = 0x20;
// The password box: caption 10154, text 10155, OK / Cancel / CancelAll, help context 10003.
inline constexpr uint32_t kPasswordContext = ZipDialogContext(kZipDlgPassword, 10003);

// The message id of an engine error value: 0 for 0, 11648 + n for n in 1..35, else 11654.
int32_t EngineErrorId(uint32_t Value);

class TZFDLLOpr : public TZFWorker {
public:
  TZFDLLOpr();
  ~TZFDLLOpr() override;

  // The worker's extract: every check, the engine call and its result; EZipFront failures are
  // reported here (other exceptions go to the component's bracket).
  void Extract();

  // The command record for an extract with the current settings (exposed for tests).
  TDLLCommands BuildExtractCommands() const;
  // Raises the front end's error for a negative engine result.
  static void CheckEngineResult(int32_t Result);

  // The callback entry stored in ZCallbackFunc.
  static int32_t VZ_CALL CallbackEntry(TZCallBackStruct* Record);
  // Handles one callback for this worker (the record's check is already verified).
  int32_t DispatchCallback(TZCallBackStruct& Record);

  TProgDetails& ProgressDetails() { return FProgress; }
  const String& EventErr() const { return fEventErr; }

private:
  void RunExtract();
  int32_t ArgumentRequest();
  int32_t Progress(int Action);
  int32_t EngineMessage();
  int32_t Overwrite();
  int32_t Skipped();
  bool ReportSkipping(const String& Name, int32_t Err, int Reason);
  int32_t PasswordRequest();
  int32_t CrcError();
  int32_t ExtractName();

  TProgDetails FProgress;
  TVZCallback FCallback;
  String fEventErr;
  unsigned FPwdReqCount = 1;
};

}  // namespace vlm
