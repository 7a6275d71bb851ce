// tests/fuzz/extract_fuzz.cpp -- fuzz target: a whole extraction of arbitrary bytes through
// VZ_Exec. Built by scripts/fuzz_extract.sh with clang's libFuzzer, AddressSanitizer and UBSan.
//
// Input: the first byte chooses the options (bit 0 keep folder names, bit 1 test instead of
// extract, bit 2 overwrite, bit 3 answer every overwrite question with yes); the rest is the
// archive, written to a file. The engine must return a result of the interface (no fault, no
// sanitizer report), and nothing may appear outside the fresh folder it was given.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include <unistd.h>

#include "zip/engine/engine_interface.h"

namespace {

namespace fs = std::filesystem;

struct Run {
  std::u16string Archive, Base;
  bool YesToAll = false;
  std::u16string Answer;
};

std::u16string Wide(const std::string& S) {
  return std::u16string(S.begin(), S.end());
}

int32_t Callback(TZCallBackStruct* R) {
  auto* Self = static_cast<Run*>(R->Caller);
  const auto Give = [&](const std::u16string& Text) {
    Self->Answer = Text;
    R->HaveWide = 1;
    R->MsgP = Self->Answer.c_str();
    return 1;
  };
  switch (R->ActionCode) {
    case VZ_ACT_ARGUMENT:
      if (R->Arg1 == VZ_ARG_FILE_NAME) return Give(Self->Archive);
      if (R->Arg1 == VZ_ARG_BASE_DIR) return Give(Self->Base);
      if (R->Arg1 == VZ_ARG_PASSWORD) return Give(u"pw");
      return 0;
    case VZ_ACT_PASSWORD: return Give(u"secret");
    case VZ_ACT_OVERWRITE: return Self->YesToAll ? 1 : 0;
    default: return 0;
  }
}

const fs::path& Root() {
  static const fs::path Path = [] {
    const fs::path P =
        fs::temp_directory_path() / ("vlm-extract-fuzz-" + std::to_string(::getpid()));
    fs::create_directories(P);
    return P;
  }();
  return Path;
}

[[noreturn]] void Fail(const std::string& What) {
  std::fprintf(stderr, "extract fuzz: %s\n", What.c_str());
  std::abort();
}

// Whether AName occurs in ABytes without regard to ASCII letter case.
bool HoldsNameAnyCase(std::string_view ABytes, const std::string& AName) {
  const auto Lower = [](char C) {
    return static_cast<char>(C >= 'A' && C <= 'Z' ? C - 'A' + 'a' : C);
  };
  return std::search(ABytes.begin(), ABytes.end(), AName.begin(), AName.end(),
                     [&](char A, char B) { return Lower(A) == Lower(B); }) != ABytes.end();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size < 1) return 0;
  const uint8_t Options = Data[0];
  const fs::path Archive = Root() / "archive.zip";
  const fs::path Base = Root() / "base";
  fs::remove_all(Base);
  fs::create_directories(Base);
  {
    std::ofstream Out(Archive, std::ios::binary | std::ios::trunc);
    Out.write(reinterpret_cast<const char*>(Data + 1), static_cast<std::streamsize>(Size - 1));
  }

  Run R;
  R.Archive = Wide(Archive.string());
  R.Base = Wide(Base.string()) + u"/";
  R.YesToAll = (Options & 8) != 0;
  TDLLCommands C{};
  C.fVersion = VZ_INTERFACE_VERSION;
  C.fCaller = &R;
  C.ZCallbackFunc = &Callback;
  C.fOptions = VZ_OPT_QUIET | ((Options & 2) ? VZ_OPT_OP_TEST : VZ_OPT_OP_EXTRACT) |
               ((Options & 1) ? VZ_OPT_DIR_NAMES : 0) | ((Options & 4) ? VZ_OPT_OVERWRITE : 0);
  C.fPwdReqCount = 2;
  C.fCheck = VZ_COMMAND_CHECK;
  const int32_t Result = VZ_Exec(&C);
  if (Result < -36) Fail("result outside the interface: " + std::to_string(Result));

  for (const auto& Item : fs::directory_iterator(Root())) {
    if (Item.path() != Archive && Item.path() != Base)
      Fail("written outside: " + Item.path().string());
  }
  for (const auto& Item : fs::recursive_directory_iterator(Base)) {
    const std::string Name = Item.path().filename().string();
    // The engine's temporary names are "~vz<n>.part"; an entry may well be called "x.part", or
    // even "~vz1.part" itself, and is then written under that name: only a temporary name that
    // the archive's bytes do not hold (in any letter case) is a leftover.
    const bool Temporary = Name.rfind("~vz", 0) == 0 && Name.size() > 8 &&
                           Name.compare(Name.size() - 5, 5, ".part") == 0 &&
                           Name.find_first_not_of("0123456789", 3) == Name.size() - 5;
    if (Temporary &&
        !HoldsNameAnyCase(std::string_view(reinterpret_cast<const char*>(Data), Size), Name))
      Fail("temporary file left: " + Name);
    if (Item.is_symlink()) Fail("symbolic link created");
  }
  return 0;
}
