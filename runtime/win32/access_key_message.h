// runtime/win32/access_key_message.h -- the message by which the application hands its window a
// character typed with Alt in one of the window's children (WPARAM: the character). The window
// answers 1 when it acted on it (an access key of a control without a window of its own); the
// child then never sees the character.
#pragma once

namespace vlm {

unsigned AccessKeyMessage();

}  // namespace vlm
