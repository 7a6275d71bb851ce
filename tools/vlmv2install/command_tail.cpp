// tools/vlmv2install/command_tail.cpp -- splitting the program name off a command line.
#include "tools/vlmv2install/command_tail.h"

namespace vlm::standin {

namespace {

bool IsBlank(char16_t C) {
  return C == u' ' || C == u'\t';
}

char16_t AsciiLower(char16_t C) {
  return (C >= u'A' && C <= u'Z') ? C + (u'a' - u'A') : C;
}

bool SameIgnoringAsciiCase(StringView A, StringView B) {
  if (A.size() != B.size()) return false;
  for (size_t I = 0; I < A.size(); ++I) {
    if (AsciiLower(A[I]) != AsciiLower(B[I])) return false;
  }
  return true;
}

}  // namespace

String CommandTail(StringView CommandLine) {
  size_t At = 0;
  if (!CommandLine.empty() && CommandLine[0] == u'"') {
    const size_t Close = CommandLine.find(u'"', 1);
    At = Close == StringView::npos ? CommandLine.size() : Close + 1;
  } else {
    while (At < CommandLine.size() && !IsBlank(CommandLine[At])) ++At;
  }
  while (At < CommandLine.size() && IsBlank(CommandLine[At])) ++At;
  return String(CommandLine.substr(At));
}

bool HasSwitch(StringView Arguments, StringView Switch) {
  size_t At = 0;
  while (At < Arguments.size()) {
    while (At < Arguments.size() && IsBlank(Arguments[At])) ++At;
    const size_t Start = At;
    while (At < Arguments.size() && !IsBlank(Arguments[At])) ++At;
    if (At > Start && SameIgnoringAsciiCase(Arguments.substr(Start, At - Start), Switch))
      return true;
  }
  return false;
}

}  // namespace vlm::standin
