// zip/zip_front.cpp -- the component's operation bracket and settings.
#include "zip/zip_front.h"

#include <new>

#include "runtime/application.h"
#include "runtime/exception.h"
#include "zip/zf_dll_loader.h"
#include "zip/zf_exception.h"

namespace vlm {

TCustomZipFront19::TCustomZipFront19() : FWorker(std::make_unique<TZFDLLOpr>()) {
  FWorker->SetSender(this);
  Handle = Application().Handle();
}

TCustomZipFront19::~TCustomZipFront19() = default;

int TCustomZipFront19::Count() const {
  return FWorker->CentralDir().Count();
}

int TCustomZipFront19::DirOnlyCnt() const {
  return FWorker->CentralDir().DirOnlyCnt();
}

std::shared_ptr<TZFDirEntry> TCustomZipFront19::DirEntry(int Index) const {
  return FWorker->CentralDir().Items(Index);
}

int32_t TCustomZipFront19::ErrCode() const {
  return FActive ? FWorker->ErrCode() : kZipMsgNotActive;
}

void TCustomZipFront19::SetErrCode(int32_t Value) {
  if (!Busy()) FWorker->SetErrorState(Value, String());
}

String TCustomZipFront19::ErrMessage() const {
  if (!FActive) return LoadZipStr(kZipMsgNotActive);
  const String Message = FWorker->ErrMessage();
  return FReentered ? ZipFmtLoadStr(kZipMsgBusy, {Message}) : Message;
}

void TCustomZipFront19::SetActive(bool Value) {
  if (Value) {
    FActive = true;
    FDeactivateRequested = false;
    if (!Busy()) SetBusyState(zsIdle);
    return;
  }
  if (Busy()) {
    FDeactivateRequested = true;
    return;
  }
  FActive = false;
  SetBusyState(zsDisabled);
}

void TCustomZipFront19::SetCancel(bool Value) {
  FWorker->SetCancelCode(Value ? kZipMsgUserCancel : 0);
}

void TCustomZipFront19::SetDLL_Load(bool Value) {
  FDLLLoad = Value;
  // A permanent reference goes at once; a new one is taken when the next operation starts.
  if (!Value && !Busy()) FWorker->ApplyDLLLoad(false);
}

String TCustomZipFront19::DLL_Path() const {
  return ZipEngineLoader().Path();
}

int32_t TCustomZipFront19::DLL_Build() const {
  return ZipEngineLoader().Build();
}

String TCustomZipFront19::DLL_Version() const {
  return ZipEngineVersionText(DLL_Build());
}

String TCustomZipFront19::FullVersionString() {
  FWorker->DLLDirectory = DLLDirectory;
  const bool Loaded = ZipEngineLoader().Load(FWorker.get()) != 0;
  String Text = String(u"ZipFront ") + Version() + u", DLL " + DLL_Version();
  if (Loaded) ZipEngineLoader().Unload(FWorker.get());
  return Text;
}

void TCustomZipFront19::SetBusyState(TZFStates State) {
  bool NoCursor = NotMainThread || !IsMainThread();
  if (OnStateChange) {
    NoCursor = NotMainThread;
    OnStateChange(this, State, NoCursor);
  }
  if (NoCursor) return;
  if (State == zsBusy) {
    if (FCursorNesting++ == 0) FSavedCursor = ZipFrontSetWaitCursor();
  } else if (FCursorNesting > 0 && --FCursorNesting == 0) {
    ZipFrontRestoreCursor(FSavedCursor);
  }
}

bool TCustomZipFront19::BeginOperation() {
  if (FBusyCount > 0) {
    FReentered = true;
    FWorker->Diag(u"Re-entry");
    return false;
  }
  FBusyCount = 1;
  SetBusyState(zsBusy);
  return true;
}

void TCustomZipFront19::AttachEvents() {
  TZFDLLOpr& W = *FWorker;
  W.OnProgress = OnProgress;
  W.OnMessage = OnMessage;
  W.OnZipDialog = OnZipDialog;
  W.OnTick = OnTick;
  W.OnCheckTerminate = OnCheckTerminate;
  W.OnExtractOverwrite = OnExtractOverwrite;
  W.OnSkipped = OnSkipped;
  W.OnPasswordError = OnPasswordError;
  W.OnCRC32Error = OnCRC32Error;
  W.OnSetExtName = OnSetExtName;
  W.CentralDir().OnDirUpdate = OnDirUpdate;
  W.DialogPresenter = DialogPresenter;
}

void TCustomZipFront19::PrepareWorker() {
  FReentered = false;
  TZFWorkerSettings Settings = FSettings;
  Settings.Handle = Handle;
  Settings.Unattended = Unattended;
  Settings.Verbose = Verbose;
  Settings.Trace = Trace;
  Settings.NoSkipping = NoSkipping;
  Settings.Encoding = Encoding;
  Settings.TempDir = TempDir;
  Settings.RootDir = RootDir;
  Settings.UseDirOnlyEntries = UseDirOnlyEntries;
  Settings.NotMainThread = NotMainThread;
  AttachEvents();
  FWorker->StartUp(Settings, FSpecArgsList, FSpecArgsExclList,
                   [] { Application().ProcessMessages(); });
  FWorker->DLLDirectory = DLLDirectory;
  FWorker->ApplyDLLLoad(FDLLLoad);
}

void TCustomZipFront19::CopyBack() {
  FSpecArgsList.Assign(FWorker->FSpecArgs());
  FSpecArgsExclList.Assign(FWorker->FSpecArgsExcl());
  FZipComment = FWorker->ZipComment();
  FZipFileName = FWorker->ZipFileName();
}

void TCustomZipFront19::EndOperation(bool Good) {
  FWorker->Done();
  if (Good) CopyBack();
  --FBusyCount;
  if (Trace) FWorker->Diag(u"done = " + ZipIntToStr(FBusyCount));
  if (FBusyCount > 0) return;
  FBusyCount = 0;
  SetBusyState(zsIdle);
  if (FDeactivateRequested) {
    FDeactivateRequested = false;
    FActive = false;
    SetBusyState(zsDisabled);
  }
}

void TCustomZipFront19::OperationFailed(const std::exception& Error) {
  EndOperation(false);
  if (dynamic_cast<const EZFException*>(&Error)) {
    FWorker->ShowExceptionError(Error);
  } else if (dynamic_cast<const std::bad_alloc*>(&Error) ||
             dynamic_cast<const EOutOfMemory*>(&Error)) {
    FWorker->ShowZipMsg(kZipMsgNoMemory, true);
  } else {
    const auto* Own = dynamic_cast<const Exception*>(&Error);
    const String Detail = Own ? Own->Message() : Utf8ToString(Error.what());
    FWorker->ShowMsg(LoadZipStr(kZipMsgUnknownListError) + Detail, kZipMsgUnknownListError, true);
  }
}

bool TCustomZipFront19::RunBracketed(const std::function<void()>& Body) {
  if (!FActive) return false;
  if (!BeginOperation()) return false;
  try {
    PrepareWorker();
    Body();
    EndOperation(true);
  } catch (const std::exception& Error) {
    OperationFailed(Error);
  }
  return true;
}

void TCustomZipFront19::SetZipFileName(const String& Name) {
  RunBracketed([&] { FWorker->SetZipFileName(Name); });
}

int TCustomZipFront19::Extract() {
  if (!FActive) return kZipMsgNotActive;
  RunBracketed([&] { FWorker->Extract(); });
  int32_t Result = FWorker->ErrCode();
  if (FReentered) Result |= kZipReentryFlag;
  return Result;
}

}  // namespace vlm
