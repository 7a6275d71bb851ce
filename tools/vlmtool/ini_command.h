// tools/vlmtool/ini_command.h -- "vlmtool ini": reads and changes INI files with the INI engine.
//   ini [--case-sensitive] FILE read SECTION IDENT [DEFAULT]     ReadString, value + LF
//   ini [--case-sensitive] FILE readint SECTION IDENT DEFAULT    ReadInteger, decimal
//   ini [--case-sensitive] FILE readbool SECTION IDENT 0|1       ReadBool, 0 or 1
//   ini [--case-sensitive] FILE sections                         ReadSections, one a line
//   ini [--case-sensitive] FILE keys SECTION                     ReadSection, one a line
//   ini [--case-sensitive] FILE values SECTION                   ReadSectionValues, one a line
//   ini [--case-sensitive] FILE exists SECTION [IDENT]           "yes"/"no"
//   ini [--case-sensitive] FILE write SECTION IDENT VALUE [SECTION IDENT VALUE]...
//                                                                WriteString each, UpdateFile once
//   ini [--case-sensitive] FILE erase SECTION                    EraseSection, UpdateFile
//   ini [--case-sensitive] FILE delete SECTION IDENT             DeleteKey, UpdateFile
// Output is UTF-8 with LF line ends.
#pragma once

#include "tools/vlmtool/command.h"

namespace vlm::tool {

// Runs the subcommand on the arguments after "ini"; returns the exit code (0).
int RunIniCommand(const Arguments& Args);

// The usage lines of the subcommand, each ended by LF.
extern const char kIniUsage[];

}  // namespace vlm::tool
