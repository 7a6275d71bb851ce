// app/payload_file.h -- writing one of the executable's payloads next to it.
#pragma once

#include <cstddef>

#include "runtime/string.h"

namespace vlm {

// The piece size of the copy from the resource into the file.
inline constexpr size_t kPayloadCopyPiece = 61440;

// Writes Size bytes at Data to Target unless a file of that name exists already (it is then used
// as it is). The bytes go to a temporary file in the same folder that is renamed to Target once
// complete, so a failed write never leaves a partial file that a later start would take for the
// payload. Raises "Cannot create file "%s". %s" (with Target's expanded name) or "Stream write
// error".
void WritePayloadFile(const String& Target, const void* Data, size_t Size);

}  // namespace vlm
