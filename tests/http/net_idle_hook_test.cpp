// tests/http/net_idle_hook_test.cpp -- a thread's idle hook (SocketSetIdleHook) on real loopback
// connections: it runs while a receive, a connect, a send or a name lookup waits, the waits keep
// their time-outs as totals, the body's work events stay one per 32 KiB block, a hook that raises
// ends the wait, and a wait inside the hook does not call it again.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "http/net_body_reader.h"
#include "http/net_socket_exceptions.h"
#include "http/net_tcp_client.h"
#include "runtime/memory_stream.h"
#include "runtime/socket.h"
#include "tests/support/loopback_server.h"

namespace vlm {
namespace {

using test::LoopbackServer;
using Clock = std::chrono::steady_clock;

// Sets the thread's hook for the life of the object; counts its calls.
struct HookScope {
  explicit HookScope(std::function<void()> AExtra = {}) : Extra(std::move(AExtra)) {
    Previous = SocketSetIdleHook([this] {
      ++Calls;
      if (Extra) Extra();
    });
  }
  ~HookScope() { SocketSetIdleHook(std::move(Previous)); }
  int Calls = 0;
  std::function<void()> Extra;
  std::function<void()> Previous;
};

struct TStopWaiting {};

int64_t MsSince(Clock::time_point From) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - From).count();
}

// A listener with no room in its accept queue: it is never accepted from, and one connection
// fills its queue, so the system drops the next connection's handshake and that connect waits.
// The queued connection takes bytes until its buffers are full, then a send waits. After the
// bound the listener is closed, which ends any wait that the code under test failed to end.
class FullListener {
public:
  FullListener() {
    TNetStack::Acquire();
    Listener = SocketOpen(kSocketFamilyIPv4);
    SocketAddress Any;
    Any.Bytes[0] = 127;
    Any.Bytes[3] = 1;
    SocketAddress Bound;
    if (SocketBind(Listener, Any) && SocketListen(Listener, 0) &&
        SocketLocalAddress(Listener, Bound))
      Address = Bound;
    Guard = std::thread([this] {
      std::unique_lock<std::mutex> Lock(FLock);
      FDone.wait_for(Lock, LoopbackServer::kBound, [this] { return FStop; });
      SocketClose(Listener);
    });
  }
  ~FullListener() {
    {
      std::lock_guard<std::mutex> Lock(FLock);
      FStop = true;
    }
    FDone.notify_all();
    Guard.join();
    for (SocketRaw S : Queued) SocketClose(S);
    TNetStack::Release();
  }
  // Connects until a connect no longer completes at once; the last connected socket stays
  // queued. False when the queue never filled.
  bool Fill() {
    for (int Attempt = 0; Attempt < 4; ++Attempt) {
      const SocketRaw S = SocketOpen(kSocketFamilyIPv4);
      const SocketWaitResult R = SocketConnect(S, Address, 300);
      if (R == SocketWaitResult::Ready) {
        Queued.push_back(S);
        continue;
      }
      SocketClose(S);
      return R == SocketWaitResult::TimedOut && !Queued.empty();
    }
    return false;
  }

  SocketRaw Listener = kNoSocketRaw;
  SocketAddress Address;
  std::vector<SocketRaw> Queued;

private:
  std::thread Guard;
  std::mutex FLock;
  std::condition_variable FDone;
  bool FStop = false;
};

TEST(SocketIdleHook, RunsWhileAReceiveWaitsAndKeepsTheReadTimeout) {
  struct Case {
    const char* Name;
    std::vector<LoopbackServer::Step> Script;
    int ReadTimeout;
    bool TimesOut;
  };
  const std::string Body(70000, 'b');
  const Case Cases[] = {
      {"a pause of 300 ms mid-body",
       {LoopbackServer::Send(Body.substr(0, 40000)), LoopbackServer::Pause(300),
        LoopbackServer::Send(Body.substr(40000))},
       kNetInstallerReadTimeout,
       false},
      {"silence after 4 bytes, read time-out 300 ms",
       {LoopbackServer::Send(Body.substr(0, 4)), LoopbackServer::Silent()},
       300,
       true},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    LoopbackServer Server(C.Script);
    ASSERT_NE(Server.Port(), 0);
    TNetTCPClientCustom Client;
    Client.Host = u"127.0.0.1";
    Client.Port = Server.Port();
    Client.ReadTimeout = C.ReadTimeout;
    std::vector<int64_t> Totals;
    Client.OnWork = [&](TNetComponent&, TWorkMode, int64_t N) { Totals.push_back(N); };
    HookScope Hook;
    Client.Connect();
    TMemoryStream Stream;
    const auto Start = Clock::now();
    if (C.TimesOut) {
      EXPECT_THROW(ReadResponseBody(*Client.IOHandler(), {u"", 70000}, &Stream), ENetReadTimeout);
      // The time-out is the whole wait, not one slice of it, and is not stretched by the hook.
      EXPECT_GE(MsSince(Start), C.ReadTimeout - 1);
      EXPECT_LT(MsSince(Start), C.ReadTimeout + 5000);
      EXPECT_EQ(Stream.View(), Body.substr(0, 4));
    } else {
      ReadResponseBody(*Client.IOHandler(), {u"", 70000}, &Stream);
      EXPECT_EQ(Stream.View(), Body);
      // One event per 32 KiB block, as without the hook.
      EXPECT_EQ(Totals, (std::vector<int64_t>{32768, 65536, 70000}));
    }
    // About 15 slices of 20 ms in 300 ms; a loaded machine may see fewer.
    EXPECT_GE(Hook.Calls, 3);
  }
}

TEST(SocketIdleHook, RunsWhileAConnectWaits) {
  FullListener Full;
  ASSERT_TRUE(Full.Fill()) << "the listener's queue did not fill";
  TNetTCPClientCustom Client;
  Client.Host = u"127.0.0.1";
  Client.Port = Full.Address.Port;
  {
    // A bounded connect: the whole time-out, with the hook running meanwhile.
    HookScope Hook;
    Client.ConnectTimeout = 300;
    const auto Start = Clock::now();
    EXPECT_THROW(Client.Connect(), ENetConnectTimeout);
    EXPECT_GE(MsSince(Start), 299);
    EXPECT_LT(MsSince(Start), 5300);
    EXPECT_GE(Hook.Calls, 3);
  }
  {
    // Without a limit of our own (the system's time-out is long): live as well, and a hook that
    // raises ends the wait with its exception.
    HookScope Hook;
    Hook.Extra = [&Hook] {
      if (Hook.Calls == 5) throw TStopWaiting();
    };
    Client.ConnectTimeout = 0;
    EXPECT_THROW(Client.Connect(), TStopWaiting);
    EXPECT_EQ(Hook.Calls, 5);
    EXPECT_FALSE(Client.Connected());
  }
}

TEST(SocketIdleHook, RunsWhileASendWaitsForRoom) {
  FullListener Full;
  ASSERT_TRUE(Full.Fill()) << "the listener's queue did not fill";
  const SocketRaw S = Full.Queued.back();
  HookScope Hook;
  Hook.Extra = [&Hook] {
    if (Hook.Calls == 3) throw TStopWaiting();
  };
  const std::string Block(65536, 's');
  int64_t Sent = 0;
  // Nobody reads: the buffers fill within some megabytes, then the send waits for room.
  EXPECT_THROW(
      {
        while (Sent < 256LL * 1024 * 1024) {
          const int64_t Now = SocketSend(S, Block.data(), Block.size());
          ASSERT_GT(Now, 0) << SocketLastError();
          Sent += Now;
        }
      },
      TStopWaiting);
  EXPECT_EQ(Hook.Calls, 3);
  EXPECT_GT(Sent, 0);
}

TEST(SocketIdleHook, ResolvesTheSameOnAThreadOfItsOwn) {
  TNetStack::Acquire();
  SocketAddress Plain, Live;
  const int PlainCode = SocketResolve(u"localhost", kSocketFamilyIPv4, Plain);
  int LiveCode;
  {
    HookScope Hook;
    LiveCode = SocketResolve(u"localhost", kSocketFamilyIPv4, Live);
  }
  TNetStack::Release();
  ASSERT_EQ(PlainCode, 0);
  EXPECT_EQ(LiveCode, 0);
  EXPECT_EQ(FormatIPAddress(Live), FormatIPAddress(Plain));
}

TEST(SocketIdleHook, IsNotCalledAgainFromAWaitInsideIt) {
  LoopbackServer Outer({LoopbackServer::Silent()}), Inner({LoopbackServer::Silent()});
  TNetTCPClientCustom A, B;
  for (auto [Client, Server] : {std::pair{&A, &Outer}, std::pair{&B, &Inner}}) {
    Client->Host = u"127.0.0.1";
    Client->Port = Server->Port();
    Client->Connect();
  }
  int Depth = 0, Deepest = 0;
  HookScope Hook([&] {
    Deepest = std::max(Deepest, ++Depth);
    EXPECT_FALSE(B.IOHandler()->CheckForDataOnSource(30));  // a wait of its own, without hook
    --Depth;
  });
  EXPECT_FALSE(A.IOHandler()->CheckForDataOnSource(200));
  EXPECT_GE(Hook.Calls, 2);
  EXPECT_EQ(Deepest, 1);
}

}  // namespace
}  // namespace vlm
