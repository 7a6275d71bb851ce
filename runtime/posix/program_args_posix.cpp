// runtime/posix/program_args_posix.cpp -- arguments from argv, read as UTF-8.
#include "runtime/program_args.h"

namespace vlm {

std::vector<String> ProgramArguments(int argc, char** argv) {
  std::vector<String> Arguments;
  for (int I = 0; I < argc; ++I) Arguments.push_back(Utf8ToString(argv[I]));
  return Arguments;
}

}  // namespace vlm
