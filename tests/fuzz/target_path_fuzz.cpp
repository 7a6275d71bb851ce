// tests/fuzz/target_path_fuzz.cpp -- fuzz target: an entry name becomes a target path with folder
// names kept, as the engine builds it before it creates anything: normalised, cut to the
// extraction name, checked and joined below a base folder, then matched against the (empty) base
// folder's contents. A path that is accepted lies inside the base, is made of safe components,
// fits the platform's limit and depth, names its folders as prefixes of itself, and costs memory
// linear in the name. Built by scripts/fuzz_target_path.sh with clang's libFuzzer,
// AddressSanitizer and UBSan.
//
// Input: the entry name as UTF-8 bytes (invalid sequences are read as the engine reads them).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string_view>

#include <unistd.h>

#include "runtime/file_system.h"
#include "runtime/string.h"
#include "zip/engine/name_case.h"
#include "zip/engine/target_path.h"

namespace {

using namespace vlm;
using namespace vlm::zipengine;

void Fail(const char* What) {
  std::fprintf(stderr, "%s\n", What);
  std::abort();
}

const String& Base() {
  static const String Path = [] {
    const auto P = std::filesystem::temp_directory_path() /
                   ("vlm-target-path-fuzz-" + std::to_string(::getpid()));
    std::filesystem::create_directories(P);
    return Utf8ToString(P.string());
  }();
  return Path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const String Stored = Utf8ToString(std::string_view(reinterpret_cast<const char*>(Data), Size));
  const String Name = ExtractionName(NormalizeEntryName(Stored), true);
  TPathRefusal Refusal = TPathRefusal::None;
  auto Target = TargetPathFor(Base(), Name, &Refusal);
  if (!Target) {
    if (Refusal == TPathRefusal::None) Fail("a refused name without a reason");
    return 0;
  }
  if (Refusal != TPathRefusal::None) Fail("an accepted name with a reason to refuse it");
  const String Prefix = Target->Base + PathDelimiter();
  if (Target->Path.compare(0, Prefix.size(), Prefix) != 0) Fail("a path outside the base");
  if (PlatformPathLength(Target->Path) >= MaxPathLength()) Fail("a path beyond the limit");
  if (Target->FolderCount() > kMaxFolderDepth) Fail("a path deeper than the limit");
  size_t Letters = 0;
  for (const String& Component : Target->Components) {
    if (!IsSafeNameComponent(Component)) Fail("an unsafe component accepted");
    Letters += Component.size();
  }
  if (Letters > Name.size()) Fail("components longer than the name");
  size_t Previous = Prefix.size() - 1;
  for (size_t I = 0; I < Target->FolderCount(); ++I) {
    const size_t End = Target->FolderEnds[I];
    if (End <= Previous || End >= Target->Path.size() || Target->Path[End] != PathDelimiter())
      Fail("a folder that is not a prefix of the path");
    Previous = End;
  }
  // Nothing exists below the fresh base folder, so matching letter case changes nothing.
  TNameCase Case;
  std::vector<TPathKind> Kinds;
  const String Before = Target->Path;
  Case.MatchExisting(*Target, Kinds);
  if (Target->Path != Before) Fail("a path changed by folders that do not exist");
  return 0;
}
