// runtime/posix/application_posix.cpp -- the application object without a window system: no
// messages to pump (the hook stands in for them) and the error box printed to standard error.
#include <cstdio>

#include "runtime/application.h"

namespace vlm {

void TApplication::PlatformInit() {}
void TApplication::PlatformDone() {}
void TApplication::PlatformProcessMessages() {}
void TApplication::PlatformRun() {
  // Without windows nothing can post the terminate request while a loop waits; return at once.
}
void TApplication::PlatformTerminate() {}

void TApplication::PlatformErrorBox(const String& Title, const String& Text) {
  std::fprintf(stderr, "%s: %s\n", StringToUtf8(Title).c_str(), StringToUtf8(Text).c_str());
}

}  // namespace vlm
