// tools/vlmtool/main.cpp -- vlmtool, the maintainers' command-line tool: subcommand dispatch.
// Arguments are UTF-8 (UTF-16 from the platform on Windows); output is UTF-8 with LF line ends.
// Exit codes: 0 success, 1 an error of the system (printed as "error <class>: <message>" on
// stderr, CR and LF in the message written as \r and \n), 2 wrong usage.
#include <new>
#include <string>

#include "runtime/console_output.h"
#include "runtime/exception.h"
#include "runtime/program_args.h"
#include "tools/vlmtool/check_command.h"
#include "tools/vlmtool/command.h"
#include "tools/vlmtool/get_command.h"
#include "tools/vlmtool/ini_command.h"
#include "tools/vlmtool/list_command.h"
#include "tools/vlmtool/seal_command.h"
#include "tools/vlmtool/unzip_command.h"

namespace vlm::tool {
namespace {

struct Command {
  const char16_t* Name;
  int (*Run)(const Arguments& Args);
  const char* Usage;
};

// One row per subcommand.
const Command kCommands[] = {
    {u"ini", RunIniCommand, kIniUsage},    {u"get", RunGetCommand, kGetUsage},
    {u"list", RunListCommand, kListUsage}, {u"unzip", RunUnzipCommand, kUnzipUsage},
    {u"seal", RunSealCommand, kSealUsage}, {u"check", RunCheckCommand, kCheckUsage},
};

void PrintUsage(const std::string& Problem) {
  std::string Text = "vlmtool: " + Problem + "\nusage:\n";
  for (const Command& C : kCommands) Text += C.Usage;
  WriteStderr(Text);
}

// The message on one line: CR and LF become the two characters \r and \n.
std::string OneLine(const std::string& Message) {
  std::string Out;
  for (const char C : Message) {
    if (C == '\r') {
      Out += "\\r";
    } else if (C == '\n') {
      Out += "\\n";
    } else {
      Out += C;
    }
  }
  return Out;
}

void PrintError(const std::string& ClassName, const std::string& Message) {
  WriteStderr("error " + ClassName + ": " + OneLine(Message) + "\n");
}

int Run(const Arguments& Args) {
  if (Args.size() < 2) throw UsageError("no command given");
  for (const Command& C : kCommands) {
    if (Args[1] == C.Name) return C.Run(Arguments(Args.begin() + 2, Args.end()));
  }
  throw UsageError("unknown command \"" + StringToUtf8(Args[1]) + "\"");
}

}  // namespace
}  // namespace vlm::tool

int main(int argc, char** argv) {
  using namespace vlm;
  try {
    return tool::Run(ProgramArguments(argc, argv));
  } catch (const tool::UsageError& E) {
    tool::PrintUsage(E.Message());
    return 2;
  } catch (const Exception& E) {
    tool::PrintError(E.ClassName(), StringToUtf8(E.Message()));
  } catch (const std::bad_alloc&) {
    tool::PrintError("EOutOfMemory", "Out of memory");
  } catch (const std::exception& E) {
    tool::PrintError("Exception", E.what());
  }
  return 1;
}
