// runtime/console_output.h -- writing UTF-8 text to the standard output and error channels.
// The bytes go out unchanged: no line-end translation, no code page conversion, so a pipe or a
// file receives exactly the UTF-8 given. Only an interactive Windows console, which shows text
// in its own code page, gets the same text through the console's UTF-16 interface instead.
#pragma once

#include <string_view>

namespace vlm {

// Writes all of Utf8; write errors (a closed pipe, say) are ignored, as nobody is left to tell.
void WriteStdout(std::string_view Utf8);
void WriteStderr(std::string_view Utf8);

}  // namespace vlm
