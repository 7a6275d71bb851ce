// http/net_component.h -- the base of the HTTP subsystem's components: work counting with the
// three work events, status events, and the socket stack's lifetime.
// Work is counted per mode (reading, writing) with a nesting level: only the outermost
// BeginWork/EndWork pair fires OnWorkBegin/OnWorkEnd, and DoWork fires OnWork with the running
// total while any work of that mode is open. A component whose work target is set (the I/O
// handler of a client) forwards all its work calls there, so every event comes from the target.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>

#include "runtime/string.h"

namespace vlm {

enum class TWorkMode { wmRead, wmWrite };

enum class TNetStatus {
  hsResolving,
  hsConnecting,
  hsConnected,
  hsDisconnecting,
  hsDisconnected,
  hsStatusText
};

class TNetComponent;

using TWorkBeginEvent =
    std::function<void(TNetComponent& ASender, TWorkMode AWorkMode, int64_t AWorkCountMax)>;
using TWorkEvent =
    std::function<void(TNetComponent& ASender, TWorkMode AWorkMode, int64_t AWorkCount)>;
using TWorkEndEvent = std::function<void(TNetComponent& ASender, TWorkMode AWorkMode)>;
// AStatusText: the host for hsResolving/hsConnected, the peer IP for hsConnecting, the text for
// hsStatusText; empty otherwise.
using TStatusEvent =
    std::function<void(TNetComponent& ASender, TNetStatus AStatus, const String& AStatusText)>;

class TNetComponent {
public:
  // Holds one use of the process's socket stack for the component's lifetime (the stack starts
  // with the first component and stops with the last); ENetStackInitializationFailed or
  // ENetWinsockStubError when it cannot start.
  TNetComponent();
  virtual ~TNetComponent();
  TNetComponent(const TNetComponent&) = delete;
  TNetComponent& operator=(const TNetComponent&) = delete;

  // Opens work of AWorkMode: at the outermost level the maximum is stored, the running count
  // reset and OnWorkBegin fired.
  void BeginWork(TWorkMode AWorkMode, int64_t ASize = 0);
  // Adds ACount to the running count and fires OnWork with the total; nothing outside work.
  void DoWork(TWorkMode AWorkMode, int64_t ACount);
  // Fires OnWorkEnd when the outermost work of the mode ends; lowers the level.
  void EndWork(TWorkMode AWorkMode);

  // Raises OnStatus.
  void DoStatus(TNetStatus AStatus, const String& AText = String());

  // The component that receives this one's work calls instead (not owned; may be null).
  void SetWorkTarget(TNetComponent* ATarget) { FWorkTarget = ATarget; }
  TNetComponent* WorkTarget() const { return FWorkTarget; }

  // Counters of one mode, for tests and progress displays.
  int WorkLevel(TWorkMode AWorkMode) const { return Counter(AWorkMode).Level; }
  int64_t WorkCount(TWorkMode AWorkMode) const { return Counter(AWorkMode).Count; }
  int64_t WorkCountMax(TWorkMode AWorkMode) const { return Counter(AWorkMode).Max; }

  TWorkBeginEvent OnWorkBegin;
  TWorkEvent OnWork;
  TWorkEndEvent OnWorkEnd;
  TStatusEvent OnStatus;

private:
  struct TWorkCounter {
    int Level = 0;
    int64_t Count = 0;
    int64_t Max = 0;
  };
  TWorkCounter& Counter(TWorkMode AWorkMode) { return FWork[static_cast<int>(AWorkMode)]; }
  const TWorkCounter& Counter(TWorkMode AWorkMode) const {
    return FWork[static_cast<int>(AWorkMode)];
  }

  TWorkCounter FWork[2];
  TNetComponent* FWorkTarget = nullptr;
};

// BeginWork on construction and EndWork on every way out of the scope. An OnWorkEnd handler's
// exception propagates on a normal exit and is dropped while another exception unwinds (that
// one is the failure the caller must see).
class WorkScope {
public:
  WorkScope(TNetComponent& AComponent, TWorkMode AWorkMode, int64_t ASize)
      : FComponent(AComponent), FWorkMode(AWorkMode), FUnwinding(std::uncaught_exceptions()) {
    FComponent.BeginWork(AWorkMode, ASize);
  }
  ~WorkScope() noexcept(false) {
    try {
      FComponent.EndWork(FWorkMode);
    } catch (...) {
      if (std::uncaught_exceptions() == FUnwinding) throw;
    }
  }
  WorkScope(const WorkScope&) = delete;
  WorkScope& operator=(const WorkScope&) = delete;

private:
  TNetComponent& FComponent;
  TWorkMode FWorkMode;
  int FUnwinding;  // exceptions in flight when the scope began
};

}  // namespace vlm
