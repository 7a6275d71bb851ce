// runtime/socket_idle.cpp -- the idle hook of a thread's socket waits, and name resolution that
// keeps the hook running: the lookup itself cannot be waited for in slices, so with a hook it
// runs on a short-lived thread while the caller waits for its result.
#include "runtime/socket_idle.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>

namespace vlm {

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::chrono::milliseconds kSlice(kSocketIdleSliceMs);

struct TIdle {
  std::function<void()> Hook;
  Clock::time_point LastRun;  // when the hook last returned
  bool Running = false;
};
thread_local TIdle Idle;

int64_t MsSince(Clock::time_point From) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - From).count();
}

void RunHook() {
  struct TRunning {
    TRunning() { Idle.Running = true; }
    ~TRunning() {
      Idle.Running = false;
      Idle.LastRun = Clock::now();
    }
  } Running;
  // A copy: the hook may replace itself while it runs.
  const std::function<void()> Hook = Idle.Hook;
  Hook();
}

}  // namespace

std::function<void()> SocketSetIdleHook(std::function<void()> Hook) {
  Idle.LastRun = Clock::time_point();
  return std::exchange(Idle.Hook, std::move(Hook));
}

namespace socket_idle {

bool HookActive() {
  return Idle.Hook && !Idle.Running;
}

SocketWaitResult WaitInSlices(int TimeoutMs, const std::function<SocketWaitResult(int)>& WaitOnce) {
  const auto Start = Clock::now();
  for (;;) {
    // Up to the hook's next turn, and never past the end of the whole wait.
    int64_t Slice =
        std::chrono::ceil<std::chrono::milliseconds>(Idle.LastRun + kSlice - Clock::now()).count();
    Slice = std::clamp<int64_t>(Slice, 0, kSocketIdleSliceMs);
    if (TimeoutMs >= 0)
      Slice = std::min<int64_t>(Slice, std::max<int64_t>(TimeoutMs - MsSince(Start), 0));
    const SocketWaitResult Result = WaitOnce(static_cast<int>(Slice));
    if (Result != SocketWaitResult::TimedOut) return Result;
    if (TimeoutMs >= 0 && MsSince(Start) >= TimeoutMs) return SocketWaitResult::TimedOut;
    if (!Idle.Hook)  // the hook took itself away: the rest is one piece again
      return WaitOnce(
          TimeoutMs < 0 ? -1 : static_cast<int>(std::max<int64_t>(TimeoutMs - MsSince(Start), 0)));
    if (Clock::now() >= Idle.LastRun + kSlice) RunHook();
  }
}

}  // namespace socket_idle

int SocketResolve(const String& Host, int Family, SocketAddress& Address) {
  if (!socket_idle::HookActive()) return socket_idle::ResolveNow(Host, Family, Address);
  struct TLookup {
    std::mutex Lock;
    std::condition_variable Done;
    bool Finished = false;
    int Code = 0;
    SocketAddress Address;
  } Lookup;
  std::thread Worker([&Lookup, Host, Family] {
    SocketAddress Found;
    const int Code = socket_idle::ResolveNow(Host, Family, Found);
    std::lock_guard<std::mutex> Guard(Lookup.Lock);
    Lookup.Code = Code;
    Lookup.Address = Found;
    Lookup.Finished = true;
    Lookup.Done.notify_all();
  });
  // The thread is always waited for, also when the hook raises: it writes into Lookup.
  struct TJoin {
    std::thread& Thread;
    ~TJoin() { Thread.join(); }
  } Join{Worker};
  socket_idle::WaitInSlices(-1, [&Lookup](int Ms) {
    std::unique_lock<std::mutex> Guard(Lookup.Lock);
    return Lookup.Done.wait_for(Guard, std::chrono::milliseconds(Ms),
                                [&Lookup] { return Lookup.Finished; })
               ? SocketWaitResult::Ready
               : SocketWaitResult::TimedOut;
  });
  std::lock_guard<std::mutex> Guard(Lookup.Lock);
  Address = Lookup.Address;
  return Lookup.Code;
}

}  // namespace vlm
