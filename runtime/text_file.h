// runtime/text_file.h -- a text output channel with the runtime's I/O error rules: lines go out in
// the system's ANSI code page, each followed by CR LF, and every failed operation raises
// EInOutError with the platform's error number ("File access denied", "Disk full", "I/O error n").
// Used for the installer's log channels and the plain-text configuration it writes.
#pragma once

#include <cstdint>
#include <string_view>

#include "runtime/string.h"

namespace vlm {

// The I/O error number of a short or failed write: "Disk full" for a full disk, else the OS error.
int InOutErrorOfWrite(unsigned OSError);

class TTextFileWriter {
public:
  TTextFileWriter() = default;
  ~TTextFileWriter();  // closes, ignoring errors: nobody is left to tell
  TTextFileWriter(const TTextFileWriter&) = delete;
  TTextFileWriter& operator=(const TTextFileWriter&) = delete;

  // Creates FileName, or truncates the file of that name, for writing.
  void Rewrite(const String& FileName);
  // Opens FileName for writing at its end, creating it when missing.
  void Append(const String& FileName);
  // Writes to the process's standard output from now on (not closed by Close).
  void AssignStandardOutput();

  // Writes Text in the ANSI code page followed by CR LF.
  void WriteLine(StringView Text);
  // Closes the channel; a file that cannot be completed raises.
  void Close();
  bool IsOpen() const { return FHandle != kNoHandle; }

private:
  static constexpr intptr_t kNoHandle = -1;
  void WriteBytes(std::string_view Bytes);
  // Per-platform primitives; each returns 0 on success or the OS error number.
  static unsigned PlatformOpen(const String& FileName, bool Append, intptr_t& Handle);
  static unsigned PlatformStandardOutput(intptr_t& Handle);
  static unsigned PlatformWrite(intptr_t Handle, const char* Data, size_t Count, size_t& Written);
  static unsigned PlatformClose(intptr_t Handle);

  intptr_t FHandle = kNoHandle;
  bool FOwned = false;
};

}  // namespace vlm
