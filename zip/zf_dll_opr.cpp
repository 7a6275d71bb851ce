// zip/zf_dll_opr.cpp -- the worker's extract and the engine call.
#include "zip/zf_dll_opr.h"

#include <new>

#include "runtime/file_system.h"
#include "zip/zf_dll_loader.h"
#include "zip/zf_exception.h"

namespace vlm {
namespace {

constexpr uint32_t kOptTestOp = 0x08, kOptExtractOp = 0x04;

bool IsSeparator(char16_t C) {
  return C == u'\\' || C == u'/';
}

// The folder expanded to a full path, with exactly one trailing delimiter.
String ExpandedBaseDir(const String& Dir) {
  String Result = ExpandFileName(Dir);
  while (Result.size() > 1 && IsSeparator(Result.back())) Result.pop_back();
  if (Result.empty() || !IsSeparator(Result.back())) Result += PathDelimiter();
  return Result;
}

// Creates Dir and every missing parent; failures show up in the existence check that follows.
void ForceDirectories(const String& Dir) {
  String Path = Dir;
  while (!Path.empty() && IsSeparator(Path.back())) Path.pop_back();
  if (Path.empty() || DirectoryExists(Path)) return;
  const String Parent = ExtractFilePath(Path);
  if (!Parent.empty() && Parent != Path + PathDelimiter()) ForceDirectories(Parent);
  CreateDir(Path);
}

}  // namespace

int32_t EngineErrorId(uint32_t Value) {
  if (Value == 0) return 0;
  if (Value <= 35) return kZipMsgEngineBase + static_cast<int32_t>(Value);
  return kZipMsgEngineBase + VZ_ERR_FATAL;
}

TZFDLLOpr::TZFDLLOpr() = default;
TZFDLLOpr::~TZFDLLOpr() {
  FDestroying = true;
}

TDLLCommands TZFDLLOpr::BuildExtractCommands() const {
  TDLLCommands Command{};
  Command.fHandle = Unattended ? 0 : reinterpret_cast<uintptr_t>(FSettings.Handle);
  Command.fCaller = const_cast<TZFDLLOpr*>(this);
  Command.fVersion = kZipEngineInterface;
  Command.ZCallbackFunc = &TZFDLLOpr::CallbackEntry;
  Command.ZStreamFunc = &TZFDLLOpr::CallbackEntry;  // answers -5: no stream operations here
  Command.fVerbosity = static_cast<int32_t>(Verbosity());
  Command.fEncodedAs = FSettings.Encoding.Encoding;
  Command.fFromPage = FSettings.Encoding.Encoding_CP;
  uint32_t Options = kZipCommandQuiet;
  const TZFExtrOpts& Opts = FSettings.ExtrOptions;
  if (Opts.Contains(ExtrNTFS)) Options |= VZ_OPT_NTFS;
  if (Opts.Contains(ExtrDirNames)) Options |= VZ_OPT_DIR_NAMES;
  if (Opts.Contains(ExtrOverWrite)) Options |= VZ_OPT_OVERWRITE;
  if (Opts.Contains(ExtrUpdate)) {
    Options |= VZ_OPT_UPDATE;
  } else if (Opts.Contains(ExtrFreshen)) {
    Options |= VZ_OPT_FRESHEN;
  }
  Options |= Opts.Contains(ExtrTest) ? kOptTestOp : kOptExtractOp;
  Command.fOptions = Options;
  Command.fPwdReqCount = FPwdReqCount;
  Command.fCheck = VZ_COMMAND_CHECK;
  return Command;
}

void TZFDLLOpr::CheckEngineResult(int32_t Result) {
  if (Result >= 0) return;
  if (Result == -1 || Result == -2) throw EZipFront::CreateResDisp(kZipMsgUserCancel, true);
  if (Result >= -36) throw EZipFront::CreateResDisp(kZipMsgEngineBase - Result, true);
  throw EZipFront::CreateResInt(kZipMsgCriticalDllError, -static_cast<int64_t>(Result));
}

void TZFDLLOpr::Extract() {
  SuccessCnt = 0;
  ClearErrors();
  FPwdReqCount = FSettings.PasswordReqCount;
  SetCancelCode(0);
  try {
    RunExtract();
  } catch (const EZipFront& Error) {
    ShowExceptionError(fEventErr.empty() ? Error : Error.WithAppended(fEventErr));
    SuccessCnt = 0;
  }
}

void TZFDLLOpr::RunExtract() {
  bool Loaded = false;
  // Runs on every way out, before a failure is reported.
  struct TCleanup {
    TZFDLLOpr& Self;
    bool& Loaded;
    ~TCleanup() {
      if (Loaded) ZipEngineLoader().Unload(&Self);
      Self.FSpecArgsList.Clear();
      Self.FPwdReqCount = Self.FSettings.PasswordReqCount;
    }
  } Cleanup{*this, Loaded};

  if (ZipFileName().empty()) throw EZipFront::CreateResDisp(kZipMsgNoZipFile, true);
  if (CentralDir().Count() == 0) LoadZip();
  if (CentralDir().Count() == 0) {
    if (ErrCode() == 0) throw EZipFront::CreateResDisp(kZipMsgCannotOpen, true);
    return;  // the loading error stays
  }
  SetCancelCode(0);
  const TZFExtrOpts& Opts = FSettings.ExtrOptions;
  if (!FSettings.ExtrBaseDir.empty() && !Opts.Contains(ExtrTest)) {
    const String Dir = ExpandedBaseDir(FSettings.ExtrBaseDir);
    if (Opts.Contains(ExtrForceDirs)) ForceDirectories(Dir);
    if (!DirectoryExists(Dir)) throw EZipFront::CreateResStr(kZipMsgExtractDirMissing, Dir);
  }
  if (ZipEngineLoader().Load(this) == 0) return;  // reported by the loader
  Loaded = true;
  fEventErr.clear();
  if (Unattended && FSettings.Password.empty() && !OnPasswordError) {
    FPwdReqCount = 0;
    ReportMessage(0, LoadZipStr(kZipMsgUnattendedExtract));
  }
  const TDLLCommands Command = BuildExtractCommands();
  const int32_t Result = ZipEngineLoader().Exec(this, &Command, fDLLOperKey);
  CheckEngineResult(Result);
  SuccessCnt = Result;
}

}  // namespace vlm
