// tools/vlmv2menu/menu_window.h -- the menu program's one window: a "Velmora v2" window that
// shows the program's folder and its command-line arguments in static text controls, so that
// accessibility tools and tests can read them by control id.
#pragma once

#include "runtime/string.h"

namespace vlm::standin {

// Ids of the static text controls; the value controls hold exactly the text shown.
inline constexpr int kFolderCaptionId = 100;
inline constexpr int kFolderValueId = 101;
inline constexpr int kArgumentsCaptionId = 102;
inline constexpr int kArgumentsValueId = 103;

// Shows the window and runs its message loop until it is closed. Returns the exit code: 0, or 1
// when the window could not be created.
int RunMenuWindow(const String& Folder, const String& Arguments, int ShowCommand);

}  // namespace vlm::standin
