// zip/zf_worker.h -- TZFWorker: the worker layer that holds the settings an operation runs with
// (copied from the component by StartUp, so a running operation never reads the component), the
// extraction events, the success count and the worker's side of the engine library: DLLDirectory,
// the engine operation key and the permanent reference of DLL_Load.
#pragma once

#include <cstdint>
#include <functional>

#include "runtime/object.h"
#include "runtime/string_list.h"
#include "zip/zf_progress.h"
#include "zip/zf_types.h"
#include "zip/zf_waux.h"

namespace vlm {

using TZFProgressEvent = std::function<void(TObject* Sender, TZFProgressDetails& Details)>;
using TZFExtractOverwriteEvent = std::function<void(TObject* Sender, const String& ForFile,
                                                    bool IsOlder, bool& DoOverwrite, int DirIndex)>;
using TZFSkippedEvent = std::function<void(TObject* Sender, const String& ForFile,
                                           TZFSkipTypes SkipType, int& ExtError)>;
using TZFPasswordErrorEvent =
    std::function<void(TObject* Sender, bool IsZipAction, String& NewPassword,
                       const String& ForFile, unsigned& RepeatCount, TMsgDlgBtn& Action)>;
using TZFCRC32ErrorEvent =
    std::function<void(TObject* Sender, const String& ForFile, uint32_t FoundCRC,
                       uint32_t ExpectedCRC, bool& DoExtract)>;
using TZFSetExtNameEvent =
    std::function<void(TObject* Sender, String& FileName, const String& BaseDir, bool& IsChanged)>;

// The settings the component copies into its worker at the start of every operation.
struct TZFWorkerSettings {
  void* Handle = nullptr;
  bool Unattended = false;
  bool Verbose = false;
  bool Trace = false;
  TZFSkipAborts NoSkipping = kDefaultNoSkipping;
  TZFEncodingSettings Encoding;
  String TempDir;
  bool UseDirOnlyEntries = false;
  bool NotMainThread = false;
  String ExtrBaseDir;
  TZFExtrOpts ExtrOptions;
  String Password;
  unsigned PasswordReqCount = 1;
  String RootDir;
};

class TZFWorker : public TZFWAux {
public:
  TZFWorker();
  ~TZFWorker() override;

  // Copies the settings and lists, clears the error state and the cancel code, and makes the
  // message pump live only on the main thread (ProcessMessages is the caller's pump).
  void StartUp(const TZFWorkerSettings& Settings, const TStringList& SpecArgs,
               const TStringList& SpecArgsExcl, std::function<void()> Pump);
  // The end of an operation: no longer busy.
  void Done();
  bool Busy() const { return FBusy; }

  // The component's DLL_Load: true takes a permanent engine reference (held only when the load
  // succeeded), false drops a held one; an unchanged value does nothing.
  void ApplyDLLLoad(bool Value);
  bool DidLoad() const { return fDidLoad; }
  // Asks the engine to stop the running command (nothing outside a command).
  void AbortDLL();

  TZFVerbosity Verbosity() const;
  // The running operation's settings.
  const TZFWorkerSettings& Settings() const { return FSettings; }
  TStringList& FSpecArgs() { return FSpecArgsList; }
  TStringList& FSpecArgsExcl() { return FSpecArgsExclList; }

  String DLLDirectory;
  uint32_t fDLLOperKey = 0;
  int32_t SuccessCnt = 0;
  bool RunsOffMainTask = false;

  TZFProgressEvent OnProgress;
  TZFExtractOverwriteEvent OnExtractOverwrite;
  TZFSkippedEvent OnSkipped;
  TZFPasswordErrorEvent OnPasswordError;
  TZFCRC32ErrorEvent OnCRC32Error;
  TZFSetExtNameEvent OnSetExtName;

protected:
  TZFWorkerSettings FSettings;
  TStringList FSpecArgsList;
  TStringList FSpecArgsExclList;
  bool FBusy = false;
  bool fDidLoad = false;
  bool FDestroying = false;
};

// Whether the calling thread is the program's main thread (the one that started the program).
bool IsMainThread();

}  // namespace vlm
