// tools/vlmtool/unzip_command.h -- "vlmtool unzip": extraction with the installer's zip component.
//   unzip [--events] [--dirnames] [--overwrite] [--test] [--only PATTERN]... [--password PW]
//         PKG DIR
// A component with the installer's settings (ZipFileName PKG, FSpecArgs cleared and then the
// patterns added, ExtrBaseDir DIR, ExtrOptions from the flags) runs Extract. Where it would open
// its dialog box the tool prints "dialog <text>" and answers OK; the password box prints
// "password <text>" and is answered OK with PW when --password is given, else Cancel. With
// --events, one line per progress event and per message:
//   progress <Order name> <ItemName> <ItemSize> <ItemPerCent>
//   message <ErrCode> <ErrMsg>
// Always, last: "result <value returned by Extract> <SuccessCnt>"; exit status 0.
#pragma once

#include "tools/vlmtool/command.h"

namespace vlm::tool {

int RunUnzipCommand(const Arguments& Args);
extern const char kUnzipUsage[];

// The name of a progress kind ("NewFile", ...).
const char* ProgressTypeName(int Order);

}  // namespace vlm::tool
