// tools/vlmtool/get_command.h -- "vlmtool get": downloads with the installer's HTTP client.
//   get [--events] URL OUT [URL OUT]...
// One client with the installer's settings serves every pair in order, so keep-alive
// connections, cookies and the base of relative URLs carry from one call to the next. Each call
// receives into a fresh in-memory stream that is saved to OUT (created or replaced) on success;
// a failure saves nothing and ends the tool with the error line (exit 1). With --events, stdout
// gets one line per work event and one per finished call:
//   begin read|write <max>
//   work read|write <count>
//   end read|write
//   status <ResponseCode> <ResponseText>
#pragma once

#include "tools/vlmtool/command.h"

namespace vlm::tool {

// Runs the subcommand on the arguments after "get"; returns the exit code (0).
int RunGetCommand(const Arguments& Args);

// The usage line of the subcommand, ended by LF.
extern const char kGetUsage[];

}  // namespace vlm::tool
