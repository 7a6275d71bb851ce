// tests/fuzz/zip_front_fuzz.cpp -- fuzz target: arbitrary bytes as the package of a whole
// extraction through the zip front end (TZipFront19), which reads the archive's directory itself
// and loads the engine library from next to this executable. Built by scripts/fuzz_zip_front.sh.
//
// Input: the first byte chooses the extract options (bit 0 folder names, bit 1 test, bit 2
// overwrite) and whether the password box is answered (bit 3); the rest is the archive. Extract
// must return (no fault, no sanitizer report, no exception), and nothing may appear outside the
// fresh base folder.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>

#include <dlfcn.h>
#include <unistd.h>

#include "zip/zip_front.h"

namespace {

namespace fs = std::filesystem;

const fs::path& Root() {
  static const fs::path Path = [] {
    const fs::path P =
        fs::temp_directory_path() / ("vlm-zip-front-fuzz-" + std::to_string(::getpid()));
    fs::create_directories(P);
    return P;
  }();
  return Path;
}

// The engine library carries coverage counters that the fuzzer reads after every run; the front
// end unloads the library when an extraction ends, which would unmap them. Loading it once here
// with RTLD_NODELETE keeps it mapped for the life of the process.
void PinEngineLibrary() {
  static const bool Pinned = [] {
    const fs::path Library = fs::read_symlink("/proc/self/exe").parent_path() / "libvlmzip190.so";
    return ::dlopen(Library.c_str(), RTLD_NOW | RTLD_NODELETE) != nullptr;
  }();
  if (!Pinned) {
    std::fprintf(stderr, "zip front fuzz: cannot load the engine library: %s\n", ::dlerror());
    std::abort();
  }
}

[[noreturn]] void Fail(const std::string& What) {
  std::fprintf(stderr, "zip front fuzz: %s\n", What.c_str());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  PinEngineLibrary();
  if (Size < 1) return 0;
  const uint8_t Choice = Data[0];
  const fs::path Archive = Root() / "package.zip";
  const fs::path Base = Root() / "base";
  fs::remove_all(Base);
  fs::create_directories(Base);
  {
    std::ofstream Out(Archive, std::ios::binary | std::ios::trunc);
    Out.write(reinterpret_cast<const char*>(Data + 1), static_cast<std::streamsize>(Size - 1));
  }

  using namespace vlm;
  TZipFront19 Zip;
  const std::optional<String> Password =
      (Choice & 8) ? std::optional<String>(u"secret") : std::nullopt;
  Zip.DialogPresenter = std::make_shared<TZFConsoleDialog>([](const String&) {}, Password);
  TZFExtrOpts Options;
  if (Choice & 1) Options.Include(ExtrDirNames);
  if (Choice & 2) Options.Include(ExtrTest);
  if (Choice & 4) Options.Include(ExtrOverWrite);
  try {
    Zip.SetZipFileName(Utf8ToString(Archive.string()));
    Zip.FSpecArgs().Clear();
    Zip.SetExtrBaseDir(Utf8ToString(Base.string()) + u"/");
    Zip.SetExtrOptions(Options);
    Zip.Extract();
  } catch (const std::exception& E) {
    Fail(std::string("exception left the component: ") + E.what());
  }

  for (const auto& Item : fs::directory_iterator(Root()))
    if (Item.path() != Archive && Item.path() != Base)
      Fail("written outside: " + Item.path().string());
  for (const auto& Item : fs::recursive_directory_iterator(Base))
    if (Item.is_symlink()) Fail("symbolic link created");
  return 0;
}
