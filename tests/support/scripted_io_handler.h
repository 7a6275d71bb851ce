// tests/support/scripted_io_handler.h -- an I/O handler whose peer is a script in memory.
// Each receive returns the next scripted piece (at most the size asked for), so a test decides
// exactly where the input is cut; the script can end in a close, in silence (a wait with a limit
// times out) or in a reset. Bytes sent are recorded. A wait without a limit on a silent script
// fails the test instead of hanging it.
#pragma once

#include <algorithm>
#include <deque>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "http/net_io_handler.h"
#include "http/net_socket_exceptions.h"

namespace vlm::test {

class ScriptedIOHandler : public TNetIOHandler {
public:
  ScriptedIOHandler() { Open(); }

  // Queues bytes that arrive as one receive (or several, when a receive asks for fewer).
  ScriptedIOHandler& Data(std::string_view Bytes) {
    FSteps.push_back({Kind::Data, std::string(Bytes)});
    return *this;
  }
  // Queues Bytes cut into pieces of PieceSize bytes (the last smaller).
  ScriptedIOHandler& DataInPieces(std::string_view Bytes, size_t PieceSize) {
    for (size_t I = 0; I < Bytes.size(); I += PieceSize) Data(Bytes.substr(I, PieceSize));
    return *this;
  }
  // The peer closes: every later receive reports the end of the stream.
  ScriptedIOHandler& PeerCloses() {
    FSteps.push_back({Kind::Close, {}});
    return *this;
  }
  // The peer resets the connection: the next receive fails with socket error 10054.
  ScriptedIOHandler& PeerResets() {
    FSteps.push_back({Kind::Reset, {}});
    return *this;
  }

  void Open() override {
    TNetIOHandler::Open();
    FSourceOpen = true;
  }

  std::string Written;            // every byte sent, in order
  std::vector<size_t> SendSizes;  // the size of each send
  int Receives = 0;               // receive calls made
  bool PeerGoneOnSend = false;    // sends report 0 bytes (the peer has gone)

protected:
  bool SourceIsAvailable() const override { return FSourceOpen; }

  bool WaitReadable(int TimeoutMs) override {
    if (!FSteps.empty()) return true;
    if (TimeoutMs == kNetTimeoutInfinite)
      throw std::logic_error("the script is silent and the handler waits without a limit");
    return false;  // silence: the wait's limit passes
  }

  int64_t ReceiveFromSource(void* Buffer, size_t Length) override {
    ++Receives;
    if (FSteps.empty()) throw std::logic_error("receive without data on a silent script");
    Step& Next = FSteps.front();
    if (Next.What == Kind::Close) return 0;
    if (Next.What == Kind::Reset) {
      FSteps.pop_front();
      RaiseSocketError(10054);
    }
    const size_t Count = std::min(Length, Next.Bytes.size());
    std::copy_n(Next.Bytes.data(), Count, static_cast<char*>(Buffer));
    Next.Bytes.erase(0, Count);
    if (Next.Bytes.empty()) FSteps.pop_front();
    return static_cast<int64_t>(Count);
  }

  int64_t SendToSource(const void* Buffer, size_t Length) override {
    if (PeerGoneOnSend) return 0;
    Written.append(static_cast<const char*>(Buffer), Length);
    SendSizes.push_back(Length);
    return static_cast<int64_t>(Length);
  }

  void CloseSource() override { FSourceOpen = false; }

private:
  enum class Kind { Data, Close, Reset };
  struct Step {
    Kind What;
    std::string Bytes;
  };
  std::deque<Step> FSteps;
  bool FSourceOpen = false;
};

// A stream that records the sizes it is asked to take without allocating them: only the bytes
// written are stored, so a test can see how far a reader sizes its target in advance.
class SizeRecordingStream : public TStream {
public:
  int64_t Read(void* Buffer, int64_t Count) override { return 0; }
  int64_t Write(const void* Buffer, int64_t Count) override {
    if (Count <= 0) return 0;
    if (static_cast<int64_t>(Bytes.size()) < FPosition + Count)
      Bytes.resize(static_cast<size_t>(FPosition + Count), '\0');
    std::copy_n(static_cast<const char*>(Buffer), Count, Bytes.data() + FPosition);
    FPosition += Count;
    if (FPosition > FSize) FSize = FPosition;
    return Count;
  }
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override {
    int64_t Base = Origin == TSeekOrigin::soBeginning ? 0
                   : Origin == TSeekOrigin::soCurrent ? FPosition
                                                      : FSize;
    if (Base + Offset >= 0) FPosition = Base + Offset;
    return FPosition;
  }
  void SetSize(int64_t NewSize) override {
    LargestSize = std::max(LargestSize, NewSize);
    FSize = NewSize;
    if (static_cast<int64_t>(Bytes.size()) > NewSize) Bytes.resize(static_cast<size_t>(NewSize));
    if (FPosition > NewSize) FPosition = NewSize;
  }
  int64_t Size() override { return FSize; }

  std::string Bytes;        // the bytes written (the rest of Size() is unwritten)
  int64_t LargestSize = 0;  // the largest size asked of SetSize

private:
  int64_t FPosition = 0;
  int64_t FSize = 0;
};

// Records the work and status events of a component as lines: "begin read 10", "work read 4",
// "end read", "status <n> <text>".
struct EventLog {
  std::vector<std::string> Lines;
  void Attach(TNetComponent& C) {
    C.OnWorkBegin = [this](TNetComponent&, TWorkMode M, int64_t Max) {
      Lines.push_back("begin " + Mode(M) + " " + std::to_string(Max));
    };
    C.OnWork = [this](TNetComponent&, TWorkMode M, int64_t Count) {
      Lines.push_back("work " + Mode(M) + " " + std::to_string(Count));
    };
    C.OnWorkEnd = [this](TNetComponent&, TWorkMode M) { Lines.push_back("end " + Mode(M)); };
  }
  static std::string Mode(TWorkMode M) { return M == TWorkMode::wmRead ? "read" : "write"; }
};

}  // namespace vlm::test
