// app/install_state.h -- what the process remembers between presses of the Install button.
#pragma once

namespace vlm {

// Set when an installation has finished; the next press of the button ends the program.
extern bool InstallDone;

}  // namespace vlm
