// runtime/win32/program_args_win32.cpp -- arguments from the UTF-16 command line.
#include "runtime/program_args.h"

#include <memory>

#include "runtime/code_page.h"
#include "runtime/win32/win32_api.h"

#include <shellapi.h>  // CommandLineToArgvW; left out of <windows.h> by WIN32_LEAN_AND_MEAN

namespace vlm {

namespace {

struct LocalFreeDeleter {
  void operator()(LPWSTR* Block) const { ::LocalFree(Block); }
};

}  // namespace

std::vector<String> ProgramArguments(int argc, char** argv) {
  int Count = 0;
  const std::unique_ptr<LPWSTR, LocalFreeDeleter> Words(
      ::CommandLineToArgvW(::GetCommandLineW(), &Count));
  std::vector<String> Arguments;
  if (!Words) {
    // The platform could not split the line (out of memory): the ANSI arguments are all there is.
    for (int I = 0; I < argc; ++I) Arguments.push_back(AnsiToString(argv[I]));
    return Arguments;
  }
  for (int I = 0; I < Count; ++I) Arguments.push_back(FromWide(Words.get()[I]));
  return Arguments;
}

}  // namespace vlm
