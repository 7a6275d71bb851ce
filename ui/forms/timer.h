// ui/forms/timer.h -- a timer whose ticks arrive through the message queue: they run only while
// messages are processed (the message loop or a pump), on the GUI thread.
#pragma once

#include <cstdint>
#include <functional>

#include "runtime/object.h"

namespace vlm {

class TTimer : public TObject {
public:
  TTimer() = default;
  ~TTimer() override;
  TTimer(const TTimer&) = delete;
  TTimer& operator=(const TTimer&) = delete;

  // Disabled at start. Enabling starts a fresh interval; disabling drops ticks not yet handled.
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  // Milliseconds between ticks, 1000 at start; a change restarts a running timer.
  unsigned Interval() const { return FInterval; }
  void SetInterval(unsigned Value);

  // Raised once per tick with the timer as sender.
  std::function<void(TObject* Sender)> OnTimer;

private:
  void Start();
  void Stop();
  static void __stdcall Tick(void* Window, unsigned Msg, uintptr_t Id, unsigned long Time);

  bool FEnabled = false;
  unsigned FInterval = 1000;
  uintptr_t FId = 0;  // the platform's timer id while running
};

}  // namespace vlm
