// zip/zf_dll_loader.h -- TZFDLLLoader: finds, loads, checks, shares and releases the zip engine
// library for the whole process. Each worker holds references counted in its own slot; the
// library is loaded by the first reference and unloaded when the last one goes. All state is
// guarded by one lock; the engine itself is called outside it.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "runtime/string.h"
#include "zip/engine/engine_interface.h"

namespace vlm {

class TZFWorker;

// The engine's file name: VlmZip190.dll on Windows, libvlmzip190.so natively.
const char16_t* ZipEngineLibraryName();

// The interface version and the lowest build the front end accepts.
inline constexpr int32_t kZipEngineInterface = 190;
inline constexpr int32_t kZipEngineMinBuild = 1900095;

// Loader messages.
inline constexpr int32_t kZipMsgDllFailed = 10650;     // "Failed to load %s"
inline constexpr int32_t kZipMsgDllOld = 10651;        // "Unable to load %s - It is old or corrupt"
inline constexpr int32_t kZipMsgDllLoaded = 10652;     // "Loaded %s"
inline constexpr int32_t kZipMsgDllUnloaded = 10653;   // "Unloaded %s"
inline constexpr int32_t kZipMsgDllLoadError = 10654;  // "Error [%d %s] loading %s"

// A build number as "%d.%d.%d.%4.4d" ("1.9.0.0100" for 1900100).
String ZipEngineVersionText(int32_t Build);

class TZFDLLLoader {
public:
  TZFDLLLoader();
  ~TZFDLLLoader();
  TZFDLLLoader(const TZFDLLLoader&) = delete;
  TZFDLLLoader& operator=(const TZFDLLLoader&) = delete;

  // Adds one reference for Worker; the interface version (190) when the library is loaded for it,
  // else 0 (the failure was reported through the worker and its slot is emptied).
  int Load(TZFWorker* Worker);
  // Drops one reference; the library is unloaded when no worker holds one.
  void Unload(TZFWorker* Worker);
  // Runs one command with a reference held for its duration: VZ_Exec's result, -1 when the library
  // cannot be loaded, -6 when the call raised. Key is 0 afterwards.
  int32_t Exec(TZFWorker* Worker, const TDLLCommands* Command, uint32_t& Key);
  // VZ_Abort(Key) when Worker holds a reference and the library is loaded.
  void Abort(TZFWorker* Worker, uint32_t Key);
  bool Loaded(TZFWorker* Worker);
  // Forgets Worker's slot (the worker is being destroyed).
  void Remove(TZFWorker* Worker);

  // The library's own file name while loaded, else empty; its banner while loaded; its build
  // number while loaded, else 0.
  String Path();
  String Banner();
  int32_t Build();
  // Whether the library is loaded right now; the path last given to the system loader and the
  // system error of the last failed load.
  bool IsLoaded();
  String LoadPath();
  unsigned LoadError();

private:
  struct TZFCount {
    TZFWorker* Worker = nullptr;
    int Count = 0;
  };

  int TakeReference(TZFWorker* Worker);
  void DropReference(TZFWorker* Worker);
  TZFCount* FindSlot(TZFWorker* Worker);
  int Search(TZFWorker* Worker);
  int LoadLib(TZFWorker* Worker, const String& Path, bool RaiseOnFailure);
  void FreeLib();
  void ClearEntries();

  std::recursive_mutex Guard;
  void* hndl = nullptr;
  VZExecFunc ExecFunc = nullptr;
  VZVersionFunc VersFunc = nullptr;
  VZVersionFunc PrivFunc = nullptr;
  VZAbortFunc AbortFunc = nullptr;
  VZNameFunc NameFunc = nullptr;
  VZTextFunc BannerFunc = nullptr;
  VZTextFunc PathFunc = nullptr;
  int32_t fVer = 0;
  int32_t Priv = 0;
  String fPath;
  String fBanner;
  String fLoadPath;
  unsigned fLoadErr = 0;
  int fLoading = 0;
  std::vector<TZFCount> Counts;
};

// The process's loader, created on first use and freed at program end.
TZFDLLLoader& ZipEngineLoader();

}  // namespace vlm
