// zip/zf_worker.cpp -- settings copy, the DLL_Load reference and the main-thread test.
#include "zip/zf_worker.h"

#include <thread>

#include "zip/zf_dll_loader.h"

namespace vlm {
namespace {

// Initialised while the program starts, which happens on its main thread.
const std::thread::id MainThreadId = std::this_thread::get_id();

}  // namespace

bool IsMainThread() {
  return std::this_thread::get_id() == MainThreadId;
}

TZFWorker::TZFWorker() = default;

TZFWorker::~TZFWorker() {
  FDestroying = true;
  if (fDidLoad) ZipEngineLoader().Unload(this);
  ZipEngineLoader().Remove(this);
}

void TZFWorker::StartUp(const TZFWorkerSettings& Settings, const TStringList& SpecArgs,
                        const TStringList& SpecArgsExcl, std::function<void()> Pump) {
  SetCancelCode(0);
  ClearErrors();
  FBusy = true;
  FSettings = Settings;
  Unattended = Settings.Unattended;
  Verbose = Settings.Verbose || Settings.Trace;
  Trace = Settings.Trace;
  Encoding = Settings.Encoding;
  SetUseDirOnlyEntries(Settings.UseDirOnlyEntries);
  FSpecArgsList.Assign(SpecArgs);
  FSpecArgsExclList.Assign(SpecArgsExcl);
  RunsOffMainTask = Settings.NotMainThread || !IsMainThread();
  ProcessMessages = RunsOffMainTask ? std::function<void()>() : std::move(Pump);
  SuccessCnt = 0;
}

void TZFWorker::Done() {
  FBusy = false;
}

TZFVerbosity TZFWorker::Verbosity() const {
  if (FSettings.Trace) return TZFVerbosity::zvTrace;
  if (FSettings.Verbose) return TZFVerbosity::zvVerbose;
  return TZFVerbosity::zvOff;
}

void TZFWorker::ApplyDLLLoad(bool Value) {
  if (Value == fDidLoad) return;
  if (Value) {
    fDidLoad = ZipEngineLoader().Load(this) != 0;
  } else {
    fDidLoad = false;
    ZipEngineLoader().Unload(this);
  }
}

void TZFWorker::AbortDLL() {
  if (fDLLOperKey != 0) ZipEngineLoader().Abort(this, fDLLOperKey);
}

}  // namespace vlm
