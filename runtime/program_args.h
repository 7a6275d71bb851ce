// runtime/program_args.h -- the process's command-line arguments as the system's strings.
// POSIX hands the arguments over as bytes, read here as UTF-8. Windows hands main() arguments in
// the ANSI code page, which cannot hold every character, so the UTF-16 command line is read from
// the platform instead and split by its own rules.
#pragma once

#include <vector>

#include "runtime/string.h"

namespace vlm {

// All arguments, element 0 being the program as it was started (like argv). argc and argv are
// those given to main(); Windows ignores them in favour of the UTF-16 command line.
std::vector<String> ProgramArguments(int argc, char** argv);

}  // namespace vlm
