// zip/zip_front.h -- TZipFront19, the zip front-end component (all behaviour in its base
// TCustomZipFront19). It keeps the settings, owns one worker (TZFDLLOpr) and puts the operation
// bracket around everything it does: a busy count that refuses re-entry (marked with 0x04000000
// in the result), the busy state with its wait cursor (OnStateChange), the copy of the settings
// into the worker, and the reporting of failures. Setting ZipFileName reads the archive's
// directory; Extract unpacks it through the engine library. Neither raises for ordinary failures:
// they end in ErrCode / ErrMessage and, unless Unattended, the component's dialog box.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "runtime/object.h"
#include "runtime/string_list.h"
#include "zip/zf_dll_opr.h"
#include "zip/zf_progress.h"
#include "zip/zf_types.h"

namespace vlm {

using TZFStateChangeEvent = std::function<void(TObject* Sender, TZFStates State, bool& NoCursor)>;

// Added to the result of an operation refused (or run) while another one was busy.
inline constexpr int32_t kZipReentryFlag = 0x04000000;

class TCustomZipFront19 : public TObject {
public:
  TCustomZipFront19();
  ~TCustomZipFront19() override;
  TCustomZipFront19(const TCustomZipFront19&) = delete;
  TCustomZipFront19& operator=(const TCustomZipFront19&) = delete;

  // --- the archive ---------------------------------------------------------------------------
  void SetZipFileName(const String& Name);
  const String& ZipFileName() const { return FZipFileName; }
  const std::string& ZipComment() const { return FZipComment; }
  // The visible entries of the directory view.
  int Count() const;
  int DirOnlyCnt() const;
  std::shared_ptr<TZFDirEntry> DirEntry(int Index) const;

  // --- extraction ----------------------------------------------------------------------------
  TStringList& FSpecArgs() { return FSpecArgsList; }
  TStringList& FSpecArgsExcl() { return FSpecArgsExclList; }
  void SetExtrBaseDir(const String& Dir) { FSettings.ExtrBaseDir = Dir; }
  const String& ExtrBaseDir() const { return FSettings.ExtrBaseDir; }
  TZFExtrOpts ExtrOptions() const { return FSettings.ExtrOptions; }
  void SetExtrOptions(TZFExtrOpts Value) { FSettings.ExtrOptions = Value; }
  const String& Password() const { return FSettings.Password; }
  void SetPassword(const String& Value) { FSettings.Password = Value; }
  unsigned PasswordReqCount() const { return FSettings.PasswordReqCount; }
  void SetPasswordReqCount(unsigned Value) { FSettings.PasswordReqCount = Value > 15 ? 15 : Value; }
  // Runs the extraction; the component's ErrCode afterwards (0 when nothing failed).
  int Extract();
  // The number of entries the engine wrote (0 after a failure).
  int32_t SuccessCnt() const { return FWorker->SuccessCnt; }

  // --- error state and activity ------------------------------------------------------------
  int32_t ErrCode() const;
  void SetErrCode(int32_t Value);
  String ErrMessage() const;
  int32_t DllErrCode() const { return FWorker->DllErrCode(); }
  bool Busy() const { return FBusyCount > 0; }
  bool Active() const { return FActive; }
  // Deactivating while busy takes effect when the operation ends.
  void SetActive(bool Value);
  bool Cancel() const { return FWorker->CancelCode() != 0; }
  void SetCancel(bool Value);
  void AbortDLL() { FWorker->AbortDLL(); }

  // --- settings --------------------------------------------------------------------------------
  bool Unattended = false;
  bool Verbose = false;
  bool Trace = false;
  bool NotMainThread = false;
  bool UseDirOnlyEntries = false;
  TZFSkipAborts NoSkipping = kDefaultNoSkipping;
  TZFEncodingSettings Encoding;
  String RootDir, TempDir;
  void* Handle = nullptr;  // the application's window by default
  String DLLDirectory;
  // True: the worker keeps an engine reference between operations.
  bool DLL_Load() const { return FDLLLoad; }
  void SetDLL_Load(bool Value);

  // --- versions ------------------------------------------------------------------------------
  static const char16_t* Version() { return u"1.9.0.0113"; }
  static int32_t Build() { return 1900113; }
  String DLL_Path() const;
  int32_t DLL_Build() const;
  String DLL_Version() const;
  // "ZipFront " + Version + ", DLL " + DLL_Version, loading the library for the query.
  String FullVersionString();

  // --- events --------------------------------------------------------------------------------
  std::function<void(TObject* Sender, TZFProgressDetails& Details)> OnProgress;
  TZFMessageEvent OnMessage;
  TZFZipDialogEvent OnZipDialog;
  TZFNotifyEvent OnTick;
  TZFCheckTerminateEvent OnCheckTerminate;
  TZFStateChangeEvent OnStateChange;
  TZFExtractOverwriteEvent OnExtractOverwrite;
  TZFSkippedEvent OnSkipped;
  TZFPasswordErrorEvent OnPasswordError;
  TZFCRC32ErrorEvent OnCRC32Error;
  TZFSetExtNameEvent OnSetExtName;
  TZFNotifyEvent OnDirUpdate;
  // The presenter of the component's boxes (null: the process default).
  std::shared_ptr<TZFDialogPresenter> DialogPresenter;

  // The worker (tests and tools look at its details).
  TZFDLLOpr& Worker() { return *FWorker; }

private:
  bool BeginOperation();
  void PrepareWorker();
  void EndOperation(bool Good);
  void OperationFailed(const std::exception& Error);
  // Runs Body inside the bracket; returns false when the operation was refused.
  bool RunBracketed(const std::function<void()>& Body);
  void SetBusyState(TZFStates State);
  void CopyBack();
  void AttachEvents();

  std::unique_ptr<TZFDLLOpr> FWorker;
  TZFWorkerSettings FSettings;
  TStringList FSpecArgsList;
  TStringList FSpecArgsExclList;
  String FZipFileName;
  std::string FZipComment;
  bool FActive = true;
  bool FDeactivateRequested = false;
  int FBusyCount = 0;
  bool FReentered = false;
  bool FDLLLoad = false;
  int FCursorNesting = 0;
  intptr_t FSavedCursor = 0;
};

class TZipFront19 : public TCustomZipFront19 {
public:
  using TCustomZipFront19::TCustomZipFront19;
};

// The wait cursor on the screen (Windows); nothing natively. SetWaitCursor returns the cursor to
// restore.
intptr_t ZipFrontSetWaitCursor();
void ZipFrontRestoreCursor(intptr_t Saved);

}  // namespace vlm
