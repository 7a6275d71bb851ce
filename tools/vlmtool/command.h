// tools/vlmtool/command.h -- what every vlmtool subcommand shares: its signature and usage errors.
// A subcommand gets the arguments after its own name, writes its results to standard output and
// returns the exit code. Bad arguments raise UsageError (exit code 2, usage on stderr); failures
// of the system raise its exceptions (exit code 1, "error <class>: <message>" on stderr).
#pragma once

#include <string>
#include <vector>

#include "runtime/string.h"

namespace vlm::tool {

using Arguments = std::vector<String>;

// Wrong arguments: the message says what is wrong; the caller adds the usage text.
class UsageError {
public:
  explicit UsageError(std::string Message) : FMessage(std::move(Message)) {}
  const std::string& Message() const { return FMessage; }

private:
  std::string FMessage;
};

}  // namespace vlm::tool
