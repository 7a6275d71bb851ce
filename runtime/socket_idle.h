// runtime/socket_idle.h -- the socket layer's waits with the calling thread's idle hook
// (SocketSetIdleHook in runtime/socket.h). For the platform parts of the socket layer only.
#pragma once

#include <functional>

#include "runtime/socket.h"

namespace vlm::socket_idle {

// True when the calling thread has an idle hook and is not running it right now.
bool HookActive();

// Waits through WaitOnce(ms), which waits for one thing at most that long (-1: no limit) and
// reports Ready, TimedOut or Failed. TimeoutMs is the whole wait (< 0: no limit): one call of
// WaitOnce without an active hook; with one, calls of at most kSocketIdleSliceMs, the hook running
// between them whenever a slice length has passed since it last ran.
SocketWaitResult WaitInSlices(int TimeoutMs, const std::function<SocketWaitResult(int)>& WaitOnce);

template <class F>
SocketWaitResult Wait(int TimeoutMs, F&& WaitOnce) {
  if (!HookActive()) return WaitOnce(TimeoutMs);
  return WaitInSlices(TimeoutMs, std::forward<F>(WaitOnce));
}

// The platform's lookup itself, a blocking call on the calling thread (see SocketResolve).
int ResolveNow(const String& Host, int Family, SocketAddress& Address);

}  // namespace vlm::socket_idle
