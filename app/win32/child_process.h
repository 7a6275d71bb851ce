// app/win32/child_process.h -- starting the runtime-engine installer and watching it end.
#pragma once

#include "runtime/string.h"

namespace vlm {

// A process handle kept from the launch; closes it when it goes.
class TChildProcess {
public:
  // Starts FileName with Parameters through the shell's execute call (default verb, normal show
  // command, Owner as the owner window of any window it shows). Launched() tells whether it ran.
  TChildProcess(const String& FileName, const String& Parameters, void* Owner);
  ~TChildProcess();
  TChildProcess(const TChildProcess&) = delete;
  TChildProcess& operator=(const TChildProcess&) = delete;

  bool Launched() const { return FProcess != nullptr; }
  // Whether the exit code read is still the platform's "still active" (259).
  bool StillRunning() const;
  // Waits until the process ends, a window message arrives, or Millis pass.
  void WaitForExitOrMessage(unsigned Millis) const;

private:
  void* FProcess = nullptr;
};

}  // namespace vlm
