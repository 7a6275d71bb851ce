// app/install_paths.h -- the executable's folder, where the payloads and the descriptor copy lie.
#pragma once

#include "runtime/string.h"

namespace vlm {

// The folder of the running executable, ending in one path delimiter.
String ExecutableFolder();

}  // namespace vlm
