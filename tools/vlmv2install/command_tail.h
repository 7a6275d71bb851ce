// tools/vlmv2install/command_tail.h -- the arguments part of a Windows command line, and switch
// tests on it. Shared by the two stand-in programs (vlmv2install, vlmv2menu); portable, so the
// rules are tested natively too.
#pragma once

#include "runtime/string.h"

namespace vlm::standin {

// The command line without its program name and the blanks after it, as the program was given
// it. The program name ends where the platform's own parser ends it: at the closing quote when it
// starts with a quote (no escapes inside), otherwise at the first space or tab. A line holding
// only the program name gives the empty string.
String CommandTail(StringView CommandLine);

// True when one of the blank-separated words of Arguments equals Switch, ignoring the case of
// ASCII letters ("/VerySilent" matches "/verysilent"; "/verysilently" does not).
bool HasSwitch(StringView Arguments, StringView Switch);

}  // namespace vlm::standin
