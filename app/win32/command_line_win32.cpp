// app/win32/command_line_win32.cpp -- the options read from the process's own command line, as
// the platform splits it.
#include "app/startup_options.h"
#include "runtime/program_args.h"

namespace vlm {

void ParseCommandLine() { ParseCommandLine(ProgramArguments(0, nullptr)); }

}  // namespace vlm
