// runtime/socket.h -- TCP stream sockets and name resolution, the same on every platform.
// A thin door to the operating system's sockets (BSD sockets on POSIX, Windows Sockets 2.2 loaded
// at run time on Windows). Every call blocks the calling thread. Failures are reported as Windows
// Sockets error numbers on every build (SocketLastError), so the HTTP layer forms the same
// messages everywhere; this header raises nothing itself (only a thread's idle hook may).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "runtime/string.h"

namespace vlm {

// A socket as the platform knows it (SOCKET on Windows, a descriptor on POSIX).
using SocketRaw = uintptr_t;
inline constexpr SocketRaw kNoSocketRaw = ~static_cast<SocketRaw>(0);

// Address families in Windows numbering (AF_INET, AF_INET6), on every build.
inline constexpr int kSocketFamilyIPv4 = 2;
inline constexpr int kSocketFamilyIPv6 = 23;

// Windows Sockets error numbers the code base names.
inline constexpr int kSocketErrorNotASocket = 10038;    // WSAENOTSOCK
inline constexpr int kSocketErrorAddressInUse = 10048;  // WSAEADDRINUSE
inline constexpr int kSocketErrorTimedOut = 10060;      // WSAETIMEDOUT
inline constexpr int kSocketErrorRefused = 10061;       // WSAECONNREFUSED
inline constexpr int kSocketErrorHostNotFound = 11001;  // WSAHOST_NOT_FOUND
inline constexpr int kSocketErrorTryAgain = 11002;      // WSATRY_AGAIN

// An address in network order: 4 bytes (IPv4) or 16 bytes (IPv6) of Bytes are used.
struct SocketAddress {
  int Family = kSocketFamilyIPv4;
  uint8_t Bytes[16] = {};
  uint16_t Port = 0;  // host order
};

// Outcome of a start-up of the socket library.
struct SocketStartupResult {
  enum class TKind { Ok, LibraryFailed, FunctionMissing } Kind = TKind::Ok;
  String Name;  // the library (LibraryFailed) or the function (FunctionMissing) that failed
};

// The idle hook of the calling thread. While one of this thread's socket waits lasts (readable,
// writable before a send, connect, name resolution), it waits in slices of at most
// kSocketIdleSliceMs and calls the hook between them, so that a thread that owns a window can
// keep answering its messages. A wait whose socket is ready at once calls nothing, and the hook
// runs at most once per slice length even when data trickles in; time-outs stay the total time
// of the wait. With no hook (the default) every wait is one blocking call. The hook is not called
// again from a wait inside itself. An exception from the hook leaves the wait (a connect under
// way is then abandoned with its socket, which the caller closes; a lookup's thread is waited
// for first). Returns the previous hook.
inline constexpr int kSocketIdleSliceMs = 20;
std::function<void()> SocketSetIdleHook(std::function<void()> Hook);

// Starts the socket library; each successful call must be paired with SocketCleanup. On Windows
// the first call loads "WS2_32.DLL" without the system's error box, starts version 2.2 and looks
// up the functions by name; the name resolver "GetAddrInfoW"/"GetNameInfoW"/"FreeAddrInfoW" comes
// from that library or else from "Wship6.dll". Thread-safe.
SocketStartupResult SocketStartup();
void SocketCleanup();

// Whether the modern resolver (address-family aware lookups, IPv6) is available. Without it only
// IPv4 names can be looked up, through the classic host lookup.
bool SocketHasModernResolver();

// The Windows Sockets error number of the last failed call of this thread.
int SocketLastError();

// A new TCP stream socket of Family, or kNoSocketRaw (see SocketLastError).
SocketRaw SocketOpen(int Family);
// Closes the socket; a kNoSocketRaw argument does nothing.
void SocketClose(SocketRaw S);
// Stops sending: the peer sees the end of the stream. Failures are ignored.
void SocketShutdownSend(SocketRaw S);

// Options and binding; false on failure (see SocketLastError).
bool SocketSetReuseAddress(SocketRaw S, bool Value);
bool SocketSetNoDelay(SocketRaw S, bool Value);  // true switches Nagle's algorithm off
bool SocketBind(SocketRaw S, const SocketAddress& Address);
bool SocketListen(SocketRaw S, int Backlog);
// The next connection on a listening socket, or kNoSocketRaw.
SocketRaw SocketAccept(SocketRaw S);

enum class SocketWaitResult { Ready, TimedOut, Failed };

// Connects S to Address. TimeoutMs 0 or less: no limit of our own (the system's connect time-out
// applies), a plain blocking connect unless the thread has an idle hook. A positive TimeoutMs
// bounds the wait; TimedOut leaves S in an unusable state (the caller closes it).
SocketWaitResult SocketConnect(SocketRaw S, const SocketAddress& Address, int TimeoutMs);

// Waits until S has data or an end of stream to report. TimeoutMs < 0: no limit.
SocketWaitResult SocketWaitReadable(SocketRaw S, int TimeoutMs);

// Receives up to Length bytes: the count, 0 when the peer has closed, -1 on failure.
int64_t SocketReceive(SocketRaw S, void* Buffer, size_t Length);
// Sends up to Length bytes: the count sent (possibly less), -1 on failure. With an idle hook it
// first waits until S can take bytes and then sends what fits without blocking.
int64_t SocketSend(SocketRaw S, const void* Buffer, size_t Length);

// The socket's own and its peer's address; false on failure.
bool SocketLocalAddress(SocketRaw S, SocketAddress& Address);
bool SocketPeerAddress(SocketRaw S, SocketAddress& Address);

// Looks Host up and returns its first address of Family in Address (port 0). Returns 0, or the
// resolver's error number (kSocketErrorHostNotFound for a name that does not exist). With the
// modern resolver any family works; without it only IPv4 (the classic host lookup on the name
// converted to the ANSI code page). With an idle hook the lookup runs on a short-lived thread of
// its own while the caller waits for it in slices; the result is the same.
int SocketResolve(const String& Host, int Family, SocketAddress& Address);

}  // namespace vlm
