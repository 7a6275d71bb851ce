// runtime/posix/console_output_posix.cpp -- standard output and error through write(2).
#include "runtime/console_output.h"

#include <unistd.h>

#include <cerrno>

namespace vlm {

namespace {

void WriteAll(int Fd, std::string_view Bytes) {
  while (!Bytes.empty()) {
    const ssize_t Done = ::write(Fd, Bytes.data(), Bytes.size());
    if (Done < 0 && errno == EINTR) continue;
    if (Done <= 0) return;
    Bytes.remove_prefix(static_cast<size_t>(Done));
  }
}

}  // namespace

void WriteStdout(std::string_view Utf8) {
  WriteAll(STDOUT_FILENO, Utf8);
}
void WriteStderr(std::string_view Utf8) {
  WriteAll(STDERR_FILENO, Utf8);
}

}  // namespace vlm
