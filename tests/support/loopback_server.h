// tests/support/loopback_server.h -- a scripted TCP server on 127.0.0.1 for connection tests.
// It listens on a port the operating system picks, accepts connections on its own thread and
// plays the same script on each: send exact bytes (each piece in its own send), wait until a
// number of bytes has arrived, close, or stay silent until the client goes. It records every
// byte received and counts connections. Every wait is bounded, so a broken client cannot hang
// the test run; the destructor stops the thread.
#pragma once

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "http/net_stack.h"
#include "runtime/socket.h"

namespace vlm::test {

// A socket listening on 127.0.0.<ALastByte> at a port the system picks, stored in APort; or
// kNoSocketRaw when it cannot be had.
inline SocketRaw ListenOnLoopback(int ALastByte, int& APort) {
  SocketRaw Listener = SocketOpen(kSocketFamilyIPv4);
  SocketAddress Any;
  Any.Bytes[0] = 127;
  Any.Bytes[3] = static_cast<uint8_t>(ALastByte);
  if (Listener == kNoSocketRaw || !SocketBind(Listener, Any) || !SocketListen(Listener, 8)) {
    SocketClose(Listener);
    return kNoSocketRaw;
  }
  SocketAddress Bound;
  if (SocketLocalAddress(Listener, Bound)) APort = Bound.Port;
  return Listener;
}

class LoopbackServer {
public:
  struct Step {
    enum class TKind { Send, Expect, ExpectHeads, Pause, Close, Silent } Kind;
    std::string Bytes;  // Send: the bytes
    size_t Count = 0;   // Expect: bytes to wait for; ExpectHeads: request heads; Pause: ms
  };

  static Step Send(std::string Bytes) { return {Step::TKind::Send, std::move(Bytes), 0}; }
  static Step Expect(size_t Count) { return {Step::TKind::Expect, {}, Count}; }
  // Waits until Count whole request heads (each ended by an empty line) have arrived on the
  // connection.
  static Step ExpectHeads(size_t Count) { return {Step::TKind::ExpectHeads, {}, Count}; }
  // Stays quiet for the given number of milliseconds, still receiving.
  static Step Pause(size_t Milliseconds) { return {Step::TKind::Pause, {}, Milliseconds}; }
  // Ends the connection from the server's side (the client sees the end of the stream).
  static Step Close() { return {Step::TKind::Close, {}, 0}; }
  // Sends nothing more until the client closes (or the bound passes).
  static Step Silent() { return {Step::TKind::Silent, {}, 0}; }

  // ALastByte: the server listens on 127.0.0.<ALastByte> (1 or 2).
  explicit LoopbackServer(std::vector<Step> Script, int ALastByte = 1)
      : FScript(std::move(Script)) {
    TNetStack::Acquire();
    FListener = ListenOnLoopback(ALastByte, FPort);
    if (FListener == kNoSocketRaw) return;
    FThread = std::thread([this] { Run(); });
  }

  ~LoopbackServer() {
    FStop = true;
    if (FThread.joinable()) FThread.join();
    SocketClose(FListener);
    TNetStack::Release();
  }

  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  int Port() const { return FPort; }
  int Connections() const { return FConnections; }
  std::string Received() {
    std::lock_guard<std::mutex> Guard(FLock);
    return FReceived;
  }
  // Waits (bounded) until the server has finished its script Count times.
  bool WaitForScriptsDone(int Count) {
    const auto Deadline = std::chrono::steady_clock::now() + kBound;
    while (FScriptsDone < Count && std::chrono::steady_clock::now() < Deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return FScriptsDone >= Count;
  }

  // The longest any wait of the server lasts.
  static constexpr std::chrono::seconds kBound{10};

private:
  void Run() {
    while (!FStop) {
      if (SocketWaitReadable(FListener, 50) != SocketWaitResult::Ready) continue;
      const SocketRaw Client = SocketAccept(FListener);
      if (Client == kNoSocketRaw) continue;
      ++FConnections;
      Play(Client);
      SocketClose(Client);
      ++FScriptsDone;
    }
  }

  // Receives what is there within WaitMs; false once the client has closed or failed.
  bool ReceiveSome(SocketRaw Client, int WaitMs) {
    if (SocketWaitReadable(Client, WaitMs) != SocketWaitResult::Ready) return true;
    char Buffer[4096];
    const int64_t Got = SocketReceive(Client, Buffer, sizeof(Buffer));
    if (Got <= 0) return false;
    std::lock_guard<std::mutex> Guard(FLock);
    FReceived.append(Buffer, static_cast<size_t>(Got));
    FReceivedOnConnection += static_cast<size_t>(Got);
    return true;
  }

  // The request heads complete on the current connection so far.
  size_t HeadsOnConnection() {
    std::lock_guard<std::mutex> Guard(FLock);
    size_t Heads = 0;
    for (size_t At = FReceived.size() - FReceivedOnConnection;
         (At = FReceived.find("\r\n\r\n", At)) != std::string::npos; At += 4)
      ++Heads;
    return Heads;
  }

  void Play(SocketRaw Client) {
    SocketSetNoDelay(Client, true);  // each piece leaves in its own segment
    FReceivedOnConnection = 0;
    const auto Deadline = std::chrono::steady_clock::now() + kBound;
    auto InTime = [&] { return !FStop && std::chrono::steady_clock::now() < Deadline; };
    for (const Step& S : FScript) {
      switch (S.Kind) {
        case Step::TKind::Send:
          for (size_t Done = 0; Done < S.Bytes.size();) {
            const int64_t Sent = SocketSend(Client, S.Bytes.data() + Done, S.Bytes.size() - Done);
            if (Sent <= 0) return;
            Done += static_cast<size_t>(Sent);
          }
          break;
        case Step::TKind::Expect:
          while (FReceivedOnConnection < S.Count && InTime())
            if (!ReceiveSome(Client, 50)) return;
          break;
        case Step::TKind::ExpectHeads:
          while (HeadsOnConnection() < S.Count && InTime())
            if (!ReceiveSome(Client, 50)) return;
          break;
        case Step::TKind::Pause: {
          const auto Until = std::chrono::steady_clock::now() + std::chrono::milliseconds(S.Count);
          while (std::chrono::steady_clock::now() < Until && InTime())
            if (!ReceiveSome(Client, 10)) return;
          break;
        }
        case Step::TKind::Close: return;
        case Step::TKind::Silent:
          while (InTime())
            if (!ReceiveSome(Client, 50)) return;
          return;
      }
    }
    // Script done: keep the connection until the client goes, so it sees no early close.
    while (InTime())
      if (!ReceiveSome(Client, 50)) return;
  }

  std::vector<Step> FScript;
  SocketRaw FListener = kNoSocketRaw;
  int FPort = 0;
  std::thread FThread;
  std::atomic<bool> FStop{false};
  std::atomic<int> FConnections{0};
  std::atomic<int> FScriptsDone{0};
  std::mutex FLock;
  std::string FReceived;             // guarded by FLock
  size_t FReceivedOnConnection = 0;  // server thread only
};

}  // namespace vlm::test
