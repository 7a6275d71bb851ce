// tools/vlmtool/list_command.h -- "vlmtool list": the directory of an archive as the installer's
// zip component reads it.
//   list PKG
// A component set Unattended reads PKG; stdout gets
//   errcode <ErrCode>
//   count <Count>
//   dironly <DirOnlyCnt>
//   comment <the archive comment's bytes as lowercase hex>
//   entry <FileName> <UncompressedSize> <CompressedSize> <CompressionMethod> <CRC32, 8 hex digits>
// with one entry line per visible entry in order, names decoded with "\" separators.
#pragma once

#include "tools/vlmtool/command.h"

namespace vlm::tool {

int RunListCommand(const Arguments& Args);
extern const char kListUsage[];

}  // namespace vlm::tool
