// tools/vlmtool/seal_command.h -- "vlmtool seal": puts the seal on a deployment site's descriptors.
//   seal SITE_DIR
// SITE_DIR is the folder a web server serves as the site's root. For SITE_DIR/deploy.vlm and, when
// there, SITE_DIR/staging/deploy.vlm, the package the descriptor's URL names is the file its path
// names below SITE_DIR (http://host:port/staging/vlmv2menu.pkg is SITE_DIR/staging/vlmv2menu.pkg).
// Its length and SHA-256 digest are written as Size and SHA256 in section [vlmv2menu], in place:
// every other line of the descriptor stays as it was. One line per descriptor sealed:
//   sealed DESCRIPTOR: PACKAGE, N bytes with SHA-256 HEX
#pragma once

#include "tools/vlmtool/command.h"

namespace vlm::tool {

int RunSealCommand(const Arguments& Args);
extern const char kSealUsage[];

}  // namespace vlm::tool
