// ui/forms/timer.cpp -- timers without a window: the platform calls Tick from the dispatch of
// the timer message, and a table maps the timer id back to its object.
#include "ui/forms/timer.h"

#include <map>

#include "runtime/win32/win32_api.h"
#include "ui/forms/window_class.h"

namespace vlm {

namespace {

std::map<uintptr_t, TTimer*>& RunningTimers() {
  static std::map<uintptr_t, TTimer*> Timers;
  return Timers;
}

}  // namespace

TTimer::~TTimer() {
  Stop();
}

void TTimer::SetEnabled(bool Value) {
  if (FEnabled == Value) return;
  FEnabled = Value;
  if (FEnabled) {
    Start();
  } else {
    Stop();
  }
}

void TTimer::SetInterval(unsigned Value) {
  if (FInterval == Value) return;
  FInterval = Value;
  if (FEnabled) {
    Stop();
    Start();
  }
}

void TTimer::Start() {
  FId = SetTimer(nullptr, 0, FInterval, reinterpret_cast<TIMERPROC>(&TTimer::Tick));
  if (FId) RunningTimers()[FId] = this;
}

void TTimer::Stop() {
  if (!FId) return;
  KillTimer(nullptr, FId);
  RunningTimers().erase(FId);
  FId = 0;
  // A tick already queued finds no entry in the table and is dropped.
}

void __stdcall TTimer::Tick(void*, unsigned, uintptr_t Id, unsigned long) {
  const auto Found = RunningTimers().find(Id);
  if (Found == RunningTimers().end()) return;
  TTimer* Self = Found->second;
  GuardedHandler([Self] {
    if (Self->OnTimer) Self->OnTimer(Self);
    return LRESULT(0);
  });
}

}  // namespace vlm
