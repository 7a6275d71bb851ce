// zip/zf_dll_loader.cpp -- reference counting and the library search of the engine loader.
#include "zip/zf_dll_loader.h"

#include "runtime/dynamic_library.h"
#include "runtime/file_system.h"
#include "zip/zf_exception.h"
#include "zip/zf_worker.h"

namespace vlm {
namespace {

constexpr size_t kSlotGrowth = 4;
constexpr int32_t kNameCapacity = 260;
const char16_t kEmbeddedMarker[] = u"><";

bool IsSeparator(char16_t C) {
  return C == u'\\' || C == u'/';
}

// DLLDirectory in this platform's form, without a trailing separator.
String NormalizeDirectory(String Dir) {
  if (PathDelimiter() == u'/') {
    for (char16_t& C : Dir) {
      if (C == u'\\') C = u'/';
    }
  }
  while (Dir.size() > 1 && IsSeparator(Dir.back())) Dir.pop_back();
  return Dir;
}

bool SameTextAscii(StringView A, StringView B) {
  if (A.size() != B.size()) return false;
  for (size_t I = 0; I < A.size(); ++I) {
    char16_t X = A[I], Y = B[I];
    if (X >= u'a' && X <= u'z') X -= 32;
    if (Y >= u'a' && Y <= u'z') Y -= 32;
    if (X != Y) return false;
  }
  return true;
}

bool HasLibraryExtension(const String& Name) {
  const size_t Dot = Name.rfind(u'.');
  return Dot != String::npos &&
         SameTextAscii(StringView(Name).substr(Dot), SharedLibraryExtension());
}

String TextOf(const char* P) {
  return P ? Utf8ToString(P) : String();
}

}  // namespace

const char16_t* ZipEngineLibraryName() {
#if defined(_WIN32)
  return u"VlmZip190.dll";
#else
  return u"libvlmzip190.so";
#endif
}

String ZipEngineVersionText(int32_t Build) {
  return ZipFormat(
      u"%d.%d.%d.%4.4d",
      {static_cast<int64_t>(Build / 1000000), static_cast<int64_t>((Build % 1000000) / 100000),
       static_cast<int64_t>((Build % 100000) / 10000), static_cast<int64_t>(Build % 1000)});
}

TZFDLLLoader::TZFDLLLoader() : fPath(ZipEngineLibraryName()) {}

TZFDLLLoader::~TZFDLLLoader() {
  FreeLib();
  Counts.clear();
}

TZFDLLLoader::TZFCount* TZFDLLLoader::FindSlot(TZFWorker* Worker) {
  for (TZFCount& Slot : Counts) {
    if (Slot.Worker == Worker) return &Slot;
  }
  return nullptr;
}

int TZFDLLLoader::TakeReference(TZFWorker* Worker) {
  std::lock_guard<std::recursive_mutex> Lock(Guard);
  TZFCount* Slot = FindSlot(Worker);
  if (Slot) {
    ++Slot->Count;
  } else {
    Slot = FindSlot(nullptr);
    if (!Slot) {
      Counts.resize(Counts.size() + kSlotGrowth);
      Slot = &Counts[Counts.size() - kSlotGrowth];
    }
    Slot->Worker = Worker;
    Slot->Count = 1;
  }
  if (hndl) return fVer;
  int Result = 0;
  ++fLoading;
  if (fLoading == 1) {
    try {
      Result = Search(Worker);
    } catch (const std::exception& Error) {
      Worker->ShowExceptionError(Error);
      Result = 0;
    }
  }
  --fLoading;
  if (!hndl || Result < kZipEngineInterface) {
    // The reporting above may have run nested work; look the slot up again.
    if (TZFCount* Mine = FindSlot(Worker)) *Mine = TZFCount{};
    if (Worker->Verbose) {
      Worker->ReportMsg(kZipMsgDllLoadError, {static_cast<int64_t>(fLoadErr),
                                              DynamicLibraryErrorMessage(fLoadErr), fLoadPath});
    }
    return -1;
  }
  if (Worker->Verbose) Worker->ReportMsg(kZipMsgDllLoaded, {fPath});
  return fVer;
}

void TZFDLLLoader::DropReference(TZFWorker* Worker) {
  std::lock_guard<std::recursive_mutex> Lock(Guard);
  if (TZFCount* Slot = FindSlot(Worker)) {
    if (--Slot->Count <= 0) *Slot = TZFCount{};
  }
  if (fLoading > 0 || !hndl) return;
  for (const TZFCount& Slot : Counts) {
    if (Slot.Worker && Slot.Count > 0) return;
  }
  const String Unloaded = fPath;
  FreeLib();
  if (Worker && Worker->Verbose) Worker->ReportMsg(kZipMsgDllUnloaded, {Unloaded});
}

int TZFDLLLoader::Load(TZFWorker* Worker) {
  const int Result = TakeReference(Worker);
  return Result >= kZipEngineInterface ? Result : 0;
}

void TZFDLLLoader::Unload(TZFWorker* Worker) {
  DropReference(Worker);
}

int32_t TZFDLLLoader::Exec(TZFWorker* Worker, const TDLLCommands* Command, uint32_t& Key) {
  if (TakeReference(Worker) < kZipEngineInterface) {
    Key = 0;
    return -1;
  }
  VZExecFunc Run;
  {
    std::lock_guard<std::recursive_mutex> Lock(Guard);
    Run = ExecFunc;
  }
  int32_t Result;
  try {
    // Called without the lock: the engine calls back, and a callback may ask to abort.
    Result = Run(Command);
  } catch (...) {
    Result = VZ_RESULT_FATAL;
  }
  DropReference(Worker);
  Key = 0;
  return Result;
}

void TZFDLLLoader::Abort(TZFWorker* Worker, uint32_t Key) {
  std::lock_guard<std::recursive_mutex> Lock(Guard);
  const TZFCount* Slot = FindSlot(Worker);
  if (Slot && Slot->Count > 0 && hndl && AbortFunc) AbortFunc(Key);
}

bool TZFDLLLoader::Loaded(TZFWorker* Worker) {
  std::lock_guard<std::recursive_mutex> Lock(Guard);
  const TZFCount* Slot = FindSlot(Worker);
  return Slot && Slot->Count > 0;
}

void TZFDLLLoader::Remove(TZFWorker* Worker) {
  std::lock_guard<std::recursive_mutex> Lock(Guard);
  if (TZFCount* Slot = FindSlot(Worker)) *Slot = TZFCount{};
}

String TZFDLLLoader::Path() {
  std::lock_guard<std::recursive_mutex> Lock(Guard);
  return hndl ? fPath : String();
}

String TZFDLLLoader::Banner() {
  std::lock_guard<std::recursive_mutex> Lock(Guard);
  return hndl ? fBanner : String();
}

int32_t TZFDLLLoader::Build() {
  std::lock_guard<std::recursive_mutex> Lock(Guard);
  return hndl ? Priv : 0;
}

bool TZFDLLLoader::IsLoaded() {
  std::lock_guard<std::recursive_mutex> Lock(Guard);
  return hndl != nullptr;
}

String TZFDLLLoader::LoadPath() {
  std::lock_guard<std::recursive_mutex> Lock(Guard);
  return fLoadPath;
}

unsigned TZFDLLLoader::LoadError() {
  std::lock_guard<std::recursive_mutex> Lock(Guard);
  return fLoadErr;
}

int TZFDLLLoader::Search(TZFWorker* Worker) {
  String Dir = NormalizeDirectory(Worker->DLLDirectory);
  if (Dir == kEmbeddedMarker) {
    // This program carries no embedded library: the search fails as a missing library does.
    throw EZipFront::CreateResStr(kZipMsgDllFailed, ZipEngineLibraryName());
  }
  if (!Dir.empty()) {
    if (Dir[0] == u'.') Dir = ExpandFileName(ExtractFilePath(ExecutablePath()) + Dir);
    const String NamePart = ExtractFileName(Dir);
    if (!NamePart.empty() && HasLibraryExtension(NamePart)) return LoadLib(Worker, Dir, true);
    const String Parent = ExtractFilePath(Dir);
    if (Parent.empty() || !DirectoryExists(Parent)) Dir.clear();
  }
  const String Name =
      Dir.empty() ? String(ZipEngineLibraryName()) : Dir + PathDelimiter() + ZipEngineLibraryName();
  return LoadLib(Worker, Name, true);
}

void TZFDLLLoader::ClearEntries() {
  ExecFunc = nullptr;
  VersFunc = PrivFunc = nullptr;
  AbortFunc = nullptr;
  NameFunc = nullptr;
  BannerFunc = PathFunc = nullptr;
  fVer = 0;
  Priv = 0;
}

void TZFDLLLoader::FreeLib() {
  if (hndl) FreeDynamicLibrary(hndl);
  hndl = nullptr;
  ClearEntries();
}

int TZFDLLLoader::LoadLib(TZFWorker* Worker, const String& Path, bool RaiseOnFailure) {
  FreeLib();
  fLoadErr = 0;
  fLoadPath = Path;
  {
    const TErrorModeScope Quiet(kSemFailCriticalErrors | kSemNoOpenFileErrorBox);
    hndl = LoadDynamicLibrary(Path, fLoadErr);
  }
  if (!hndl) {
    ClearEntries();
    if (!RaiseOnFailure) return 0;
    if (Worker->Verbose) {
      Worker->ReportMsg(kZipMsgDllLoadError, {static_cast<int64_t>(fLoadErr),
                                              DynamicLibraryErrorMessage(fLoadErr), Path});
    }
    throw EZipFront::CreateResStr(kZipMsgDllFailed, Path);
  }
  // Each export is looked up only when the one before it was found.
  auto Find = [this](const char* Name) { return DynamicLibrarySymbol(hndl, Name); };
  if ((ExecFunc = reinterpret_cast<VZExecFunc>(Find("VZ_Exec"))) &&
      (VersFunc = reinterpret_cast<VZVersionFunc>(Find("VZ_Version"))) &&
      (PrivFunc = reinterpret_cast<VZVersionFunc>(Find("VZ_PrivVersion"))) &&
      (AbortFunc = reinterpret_cast<VZAbortFunc>(Find("VZ_Abort"))) &&
      (NameFunc = reinterpret_cast<VZNameFunc>(Find("VZ_Name"))) &&
      (BannerFunc = reinterpret_cast<VZTextFunc>(Find("VZ_Banner")))) {
    Priv = PrivFunc();
    fVer = VersFunc();
    char16_t Buffer[kNameCapacity + 1] = {};
    NameFunc(Buffer, kNameCapacity, 1);
    Buffer[kNameCapacity] = 0;
    fPath = String(Buffer);
    fBanner = TextOf(BannerFunc());
    PathFunc = reinterpret_cast<VZTextFunc>(Find("VZ_Path"));
  }
  // Every export is required; a library without VZ_Path is as unusable as one without VZ_Exec.
  if (!PathFunc || fVer != kZipEngineInterface || Priv < kZipEngineMinBuild) {
    FreeLib();
    if (!RaiseOnFailure) return 0;
    if (Worker->Verbose) Worker->ReportMsg(kZipMsgDllOld, {fPath});
    throw EZipFront::CreateResStr(kZipMsgDllOld, fPath);
  }
  return Priv;
}

TZFDLLLoader& ZipEngineLoader() {
  static TZFDLLLoader Loader;
  return Loader;
}

}  // namespace vlm
