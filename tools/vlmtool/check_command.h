// tools/vlmtool/check_command.h -- "vlmtool check": a live deployment checked before users meet it.
//   check [--json] [--timeout SECONDS] BASE_URL | --production | --staging | --dev
// BASE_URL, or the installer's own base URL of the server named. Fetches deploy.vlm, the package
// it names and release.inf as setup.exe does, and prints one line per finding ("error: ...",
// "warning: ...", "note: ...") and a last line "check BASE_URL: N errors, M warnings"; with
// --json one JSON object instead. Every wait for the server is bounded by SECONDS (default 30).
// Exit code 0 when nothing is wrong, 1 for warnings only, 2 for errors.
#pragma once

#include "tools/vlmtool/command.h"

namespace vlm::tool {

int RunCheckCommand(const Arguments& Args);
extern const char kCheckUsage[];

}  // namespace vlm::tool
