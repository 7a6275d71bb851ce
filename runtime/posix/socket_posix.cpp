// runtime/posix/socket_posix.cpp -- TCP sockets and name resolution over BSD sockets.
// Failures are kept per thread as Windows Sockets numbers (runtime/posix/winsock_errors.cpp).
#include "runtime/socket.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "runtime/posix/winsock_errors.h"
#include "runtime/socket_idle.h"

namespace vlm {

namespace {

thread_local int LastError = 0;

void KeepErrno() {
  LastError = WinsockErrorFromErrno(errno);
}

int Fd(SocketRaw S) {
  return static_cast<int>(static_cast<intptr_t>(S));
}

int NativeFamily(int Family) {
  return Family == kSocketFamilyIPv6 ? AF_INET6 : AF_INET;
}

socklen_t ToNative(const SocketAddress& Address, sockaddr_storage& Storage) {
  std::memset(&Storage, 0, sizeof(Storage));
  if (Address.Family == kSocketFamilyIPv6) {
    auto& In6 = reinterpret_cast<sockaddr_in6&>(Storage);
    In6.sin6_family = AF_INET6;
    In6.sin6_port = htons(Address.Port);
    std::memcpy(&In6.sin6_addr, Address.Bytes, 16);
    return sizeof(sockaddr_in6);
  }
  auto& In4 = reinterpret_cast<sockaddr_in&>(Storage);
  In4.sin_family = AF_INET;
  In4.sin_port = htons(Address.Port);
  std::memcpy(&In4.sin_addr, Address.Bytes, 4);
  return sizeof(sockaddr_in);
}

bool FromNative(const sockaddr* Native, SocketAddress& Address) {
  Address = SocketAddress();
  if (Native->sa_family == AF_INET6) {
    const auto* In6 = reinterpret_cast<const sockaddr_in6*>(Native);
    Address.Family = kSocketFamilyIPv6;
    std::memcpy(Address.Bytes, &In6->sin6_addr, 16);
    Address.Port = ntohs(In6->sin6_port);
    return true;
  }
  if (Native->sa_family == AF_INET) {
    const auto* In4 = reinterpret_cast<const sockaddr_in*>(Native);
    Address.Family = kSocketFamilyIPv4;
    std::memcpy(Address.Bytes, &In4->sin_addr, 4);
    Address.Port = ntohs(In4->sin_port);
    return true;
  }
  LastError = 10047;
  return false;
}

// poll() for one event, restarted after a signal with the time that remains.
SocketWaitResult WaitOnce(SocketRaw S, short Events, int TimeoutMs) {
  using Clock = std::chrono::steady_clock;
  const auto Deadline = Clock::now() + std::chrono::milliseconds(TimeoutMs < 0 ? 0 : TimeoutMs);
  for (;;) {
    int Wait = -1;
    if (TimeoutMs >= 0) {
      const auto Left =
          std::chrono::duration_cast<std::chrono::milliseconds>(Deadline - Clock::now()).count();
      Wait = Left > 0 ? static_cast<int>(Left) : 0;
    }
    pollfd P{Fd(S), Events, 0};
    const int Result = ::poll(&P, 1, Wait);
    if (Result > 0) return SocketWaitResult::Ready;
    if (Result == 0) return SocketWaitResult::TimedOut;
    if (errno == EINTR) continue;
    KeepErrno();
    return SocketWaitResult::Failed;
  }
}

// The same, with the thread's idle hook between slices.
SocketWaitResult WaitFor(SocketRaw S, short Events, int TimeoutMs) {
  return socket_idle::Wait(TimeoutMs, [S, Events](int Ms) { return WaitOnce(S, Events, Ms); });
}

// Puts a descriptor into non-blocking mode for as long as it lives.
class NonBlocking {
public:
  explicit NonBlocking(SocketRaw S) : FFd(Fd(S)), FFlags(::fcntl(FFd, F_GETFL)) {
    ::fcntl(FFd, F_SETFL, FFlags | O_NONBLOCK);
  }
  ~NonBlocking() { ::fcntl(FFd, F_SETFL, FFlags); }
  NonBlocking(const NonBlocking&) = delete;
  NonBlocking& operator=(const NonBlocking&) = delete;

private:
  int FFd;
  int FFlags;
};

}  // namespace

SocketStartupResult SocketStartup() {
  return {};
}
void SocketCleanup() {}
bool SocketHasModernResolver() {
  return true;
}
int SocketLastError() {
  return LastError;
}

SocketRaw SocketOpen(int Family) {
  const int S = ::socket(NativeFamily(Family), SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (S < 0) {
    KeepErrno();
    return kNoSocketRaw;
  }
  return static_cast<SocketRaw>(S);
}

void SocketClose(SocketRaw S) {
  if (S != kNoSocketRaw) ::close(Fd(S));
}

void SocketShutdownSend(SocketRaw S) {
  if (S != kNoSocketRaw) ::shutdown(Fd(S), SHUT_WR);
}

bool SocketSetReuseAddress(SocketRaw S, bool Value) {
  const int On = Value ? 1 : 0;
  if (::setsockopt(Fd(S), SOL_SOCKET, SO_REUSEADDR, &On, sizeof(On)) == 0) return true;
  KeepErrno();
  return false;
}

bool SocketSetNoDelay(SocketRaw S, bool Value) {
  const int On = Value ? 1 : 0;
  if (::setsockopt(Fd(S), IPPROTO_TCP, TCP_NODELAY, &On, sizeof(On)) == 0) return true;
  KeepErrno();
  return false;
}

bool SocketBind(SocketRaw S, const SocketAddress& Address) {
  sockaddr_storage Storage;
  const socklen_t Length = ToNative(Address, Storage);
  if (::bind(Fd(S), reinterpret_cast<sockaddr*>(&Storage), Length) == 0) return true;
  KeepErrno();
  return false;
}

bool SocketListen(SocketRaw S, int Backlog) {
  if (::listen(Fd(S), Backlog) == 0) return true;
  KeepErrno();
  return false;
}

SocketRaw SocketAccept(SocketRaw S) {
  for (;;) {
    const int C = ::accept4(Fd(S), nullptr, nullptr, SOCK_CLOEXEC);
    if (C >= 0) return static_cast<SocketRaw>(C);
    if (errno == EINTR) continue;
    KeepErrno();
    return kNoSocketRaw;
  }
}

SocketWaitResult SocketConnect(SocketRaw S, const SocketAddress& Address, int TimeoutMs) {
  sockaddr_storage Storage;
  const socklen_t Length = ToNative(Address, Storage);
  if (TimeoutMs <= 0 && !socket_idle::HookActive()) {
    if (::connect(Fd(S), reinterpret_cast<sockaddr*>(&Storage), Length) == 0)
      return SocketWaitResult::Ready;
    KeepErrno();
    return SocketWaitResult::Failed;
  }
  // A bounded or a live connect: start it without blocking, wait for writability (without a
  // limit of our own when TimeoutMs is 0: the system's connect time-out still ends it), then
  // read its outcome.
  const NonBlocking Mode(S);
  if (::connect(Fd(S), reinterpret_cast<sockaddr*>(&Storage), Length) == 0)
    return SocketWaitResult::Ready;
  if (errno != EINPROGRESS) {
    KeepErrno();
    return SocketWaitResult::Failed;
  }
  const SocketWaitResult Result = WaitFor(S, POLLOUT, TimeoutMs > 0 ? TimeoutMs : -1);
  if (Result != SocketWaitResult::Ready) return Result;
  int Error = 0;
  socklen_t ErrorLength = sizeof(Error);
  ::getsockopt(Fd(S), SOL_SOCKET, SO_ERROR, &Error, &ErrorLength);
  if (Error == 0) return SocketWaitResult::Ready;
  LastError = WinsockErrorFromErrno(Error);
  return SocketWaitResult::Failed;
}

SocketWaitResult SocketWaitReadable(SocketRaw S, int TimeoutMs) {
  return WaitFor(S, POLLIN, TimeoutMs);
}

int64_t SocketReceive(SocketRaw S, void* Buffer, size_t Length) {
  for (;;) {
    const ssize_t Got = ::recv(Fd(S), Buffer, Length, 0);
    if (Got >= 0) return Got;
    if (errno == EINTR) continue;
    KeepErrno();
    return -1;
  }
}

int64_t SocketSend(SocketRaw S, const void* Buffer, size_t Length) {
  // With an idle hook the send waits for room in slices and then takes what fits at once.
  const bool Live = socket_idle::HookActive();
  for (;;) {
    if (Live && WaitFor(S, POLLOUT, -1) == SocketWaitResult::Failed) return -1;
    // MSG_NOSIGNAL: a peer that has gone must give an error here, not end the process.
    const ssize_t Sent = ::send(Fd(S), Buffer, Length, MSG_NOSIGNAL | (Live ? MSG_DONTWAIT : 0));
    if (Sent >= 0) return Sent;
    if (errno == EINTR || (Live && (errno == EAGAIN || errno == EWOULDBLOCK))) continue;
    KeepErrno();
    return -1;
  }
}

bool SocketLocalAddress(SocketRaw S, SocketAddress& Address) {
  sockaddr_storage Storage;
  socklen_t Length = sizeof(Storage);
  if (::getsockname(Fd(S), reinterpret_cast<sockaddr*>(&Storage), &Length) != 0) {
    KeepErrno();
    return false;
  }
  return FromNative(reinterpret_cast<sockaddr*>(&Storage), Address);
}

bool SocketPeerAddress(SocketRaw S, SocketAddress& Address) {
  sockaddr_storage Storage;
  socklen_t Length = sizeof(Storage);
  if (::getpeername(Fd(S), reinterpret_cast<sockaddr*>(&Storage), &Length) != 0) {
    KeepErrno();
    return false;
  }
  return FromNative(reinterpret_cast<sockaddr*>(&Storage), Address);
}

int socket_idle::ResolveNow(const String& Host, int Family, SocketAddress& Address) {
  addrinfo Hints{};
  Hints.ai_family = NativeFamily(Family);
  Hints.ai_socktype = SOCK_STREAM;
  addrinfo* Answer = nullptr;
  const std::string Name = StringToUtf8(Host);
  const int Code = ::getaddrinfo(Name.c_str(), nullptr, &Hints, &Answer);
  if (Code != 0) return WinsockErrorFromResolver(Code, errno);
  int Result = kSocketErrorHostNotFound;
  for (addrinfo* A = Answer; A != nullptr; A = A->ai_next) {
    if (A->ai_addr != nullptr && FromNative(A->ai_addr, Address)) {
      Result = 0;
      break;
    }
  }
  ::freeaddrinfo(Answer);
  return Result;
}

}  // namespace vlm
