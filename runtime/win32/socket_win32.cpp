// runtime/win32/socket_win32.cpp -- TCP sockets and name resolution over Windows Sockets 2.2.
// The library is loaded at run time, not linked: "WS2_32.DLL" is loaded by name on the first
// start-up and its functions are looked up by name, so a machine without it fails with a message
// instead of refusing to start the program. The resolver prefers GetAddrInfoW (from WS2_32 or,
// on old systems, Wship6.dll) and falls back to the classic gethostbyname for IPv4.
#include "runtime/socket.h"

// clang-format off
#include <winsock2.h>
#include <ws2tcpip.h>
#include "runtime/win32/win32_api.h"
// clang-format on

#include <cstring>
#include <mutex>

#include "runtime/code_page.h"
#include "runtime/socket_idle.h"

namespace vlm {

namespace {

struct WinsockApi {
  decltype(&::WSAStartup) WSAStartup = nullptr;
  decltype(&::WSACleanup) WSACleanup = nullptr;
  decltype(&::WSAGetLastError) WSAGetLastError = nullptr;
  decltype(&::socket) socket = nullptr;
  decltype(&::closesocket) closesocket = nullptr;
  decltype(&::shutdown) shutdown = nullptr;
  decltype(&::setsockopt) setsockopt = nullptr;
  decltype(&::getsockopt) getsockopt = nullptr;
  decltype(&::bind) bind = nullptr;
  decltype(&::listen) listen = nullptr;
  decltype(&::accept) accept = nullptr;
  decltype(&::connect) connect = nullptr;
  decltype(&::select) select = nullptr;
  decltype(&::recv) recv = nullptr;
  decltype(&::send) send = nullptr;
  decltype(&::getsockname) getsockname = nullptr;
  decltype(&::getpeername) getpeername = nullptr;
  decltype(&::ioctlsocket) ioctlsocket = nullptr;
  decltype(&::gethostbyname) gethostbyname = nullptr;
  // The modern resolver; all three or none.
  decltype(&::GetAddrInfoW) GetAddrInfoW = nullptr;
  decltype(&::GetNameInfoW) GetNameInfoW = nullptr;
  decltype(&::FreeAddrInfoW) FreeAddrInfoW = nullptr;
};

std::mutex StartupLock;
int StartupCount = 0;  // guarded by StartupLock
HMODULE Library = nullptr;
HMODULE Ipv6Library = nullptr;
WinsockApi Api;
thread_local int LastError = 0;

constexpr wchar_t kLibraryName[] = L"WS2_32.DLL";

template <class F>
bool Find(HMODULE Module, const char* Name, F& Slot) {
  Slot = reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(Module, Name)));
  return Slot != nullptr;
}

// Loads a library without the system's "missing DLL" box.
HMODULE LoadQuietly(const wchar_t* Name) {
  const UINT Old = ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  HMODULE Module = ::LoadLibraryW(Name);
  ::SetErrorMode(Old);
  return Module;
}

// Looks up every function by name; the first one missing is returned in Missing.
bool FindAll(const char*& Missing) {
#define VLM_FIND(Name)                   \
  if (!Find(Library, #Name, Api.Name)) { \
    Missing = #Name;                     \
    return false;                        \
  }
  VLM_FIND(WSAStartup)
  VLM_FIND(WSACleanup)
  VLM_FIND(WSAGetLastError)
  VLM_FIND(socket)
  VLM_FIND(closesocket)
  VLM_FIND(shutdown)
  VLM_FIND(setsockopt)
  VLM_FIND(getsockopt)
  VLM_FIND(bind)
  VLM_FIND(listen)
  VLM_FIND(accept)
  VLM_FIND(connect)
  VLM_FIND(select)
  VLM_FIND(recv)
  VLM_FIND(send)
  VLM_FIND(getsockname)
  VLM_FIND(getpeername)
  VLM_FIND(ioctlsocket)
  VLM_FIND(gethostbyname)
#undef VLM_FIND
  return true;
}

void FindResolver() {
  auto TryIn = [](HMODULE Module) {
    if (Module == nullptr) return false;
    WinsockApi Found;
    if (!Find(Module, "GetAddrInfoW", Found.GetAddrInfoW) ||
        !Find(Module, "GetNameInfoW", Found.GetNameInfoW) ||
        !Find(Module, "FreeAddrInfoW", Found.FreeAddrInfoW))
      return false;
    Api.GetAddrInfoW = Found.GetAddrInfoW;
    Api.GetNameInfoW = Found.GetNameInfoW;
    Api.FreeAddrInfoW = Found.FreeAddrInfoW;
    return true;
  };
  if (TryIn(Library)) return;
  Ipv6Library = LoadQuietly(L"Wship6.dll");
  TryIn(Ipv6Library);
}

void Unload() {
  if (Ipv6Library != nullptr) ::FreeLibrary(Ipv6Library);
  if (Library != nullptr) ::FreeLibrary(Library);
  Ipv6Library = nullptr;
  Library = nullptr;
  Api = WinsockApi();
}

void KeepLastError() {
  LastError = Api.WSAGetLastError();
}

SOCKET Raw(SocketRaw S) {
  return static_cast<SOCKET>(S);
}

int NativeFamily(int Family) {
  return Family == kSocketFamilyIPv6 ? AF_INET6 : AF_INET;
}

int ToNative(const SocketAddress& Address, sockaddr_storage& Storage) {
  std::memset(&Storage, 0, sizeof(Storage));
  if (Address.Family == kSocketFamilyIPv6) {
    auto& In6 = reinterpret_cast<sockaddr_in6&>(Storage);
    In6.sin6_family = AF_INET6;
    In6.sin6_port = static_cast<u_short>((Address.Port >> 8) | (Address.Port << 8));
    std::memcpy(&In6.sin6_addr, Address.Bytes, 16);
    return sizeof(sockaddr_in6);
  }
  auto& In4 = reinterpret_cast<sockaddr_in&>(Storage);
  In4.sin_family = AF_INET;
  In4.sin_port = static_cast<u_short>((Address.Port >> 8) | (Address.Port << 8));
  std::memcpy(&In4.sin_addr, Address.Bytes, 4);
  return sizeof(sockaddr_in);
}

bool FromNative(const sockaddr* Native, SocketAddress& Address) {
  Address = SocketAddress();
  uint16_t NetPort = 0;
  if (Native->sa_family == AF_INET6) {
    const auto* In6 = reinterpret_cast<const sockaddr_in6*>(Native);
    Address.Family = kSocketFamilyIPv6;
    std::memcpy(Address.Bytes, &In6->sin6_addr, 16);
    NetPort = In6->sin6_port;
  } else if (Native->sa_family == AF_INET) {
    const auto* In4 = reinterpret_cast<const sockaddr_in*>(Native);
    Address.Family = kSocketFamilyIPv4;
    std::memcpy(Address.Bytes, &In4->sin_addr, 4);
    NetPort = In4->sin_port;
  } else {
    LastError = WSAEAFNOSUPPORT;
    return false;
  }
  Address.Port = static_cast<uint16_t>((NetPort >> 8) | (NetPort << 8));
  return true;
}

// select() on the one socket for reading or writing; TimeoutMs < 0 waits without limit.
SocketWaitResult WaitOnce(SocketRaw S, bool ForWrite, int TimeoutMs) {
  fd_set Set;
  Set.fd_count = 1;
  Set.fd_array[0] = Raw(S);
  fd_set Errors;  // a failed connect is reported here, not as writability
  Errors.fd_count = 1;
  Errors.fd_array[0] = Raw(S);
  timeval Limit{TimeoutMs / 1000, (TimeoutMs % 1000) * 1000};
  const int Result = Api.select(0, ForWrite ? nullptr : &Set, ForWrite ? &Set : nullptr,
                                ForWrite ? &Errors : nullptr, TimeoutMs < 0 ? nullptr : &Limit);
  if (Result > 0) return SocketWaitResult::Ready;
  if (Result == 0) return SocketWaitResult::TimedOut;
  KeepLastError();
  return SocketWaitResult::Failed;
}

// The same, with the thread's idle hook between slices.
SocketWaitResult WaitFor(SocketRaw S, bool ForWrite, int TimeoutMs) {
  return socket_idle::Wait(TimeoutMs, [S, ForWrite](int Ms) { return WaitOnce(S, ForWrite, Ms); });
}

// Puts a socket into non-blocking mode for as long as it lives. Switching back resets the
// library's own last error: the callers keep theirs (KeepLastError) before that.
class NonBlocking {
public:
  explicit NonBlocking(SocketRaw S) : FSocket(Raw(S)) {
    u_long On = 1;
    Api.ioctlsocket(FSocket, FIONBIO, &On);
  }
  ~NonBlocking() {
    u_long Off = 0;
    Api.ioctlsocket(FSocket, FIONBIO, &Off);
  }
  NonBlocking(const NonBlocking&) = delete;
  NonBlocking& operator=(const NonBlocking&) = delete;

private:
  SOCKET FSocket;
};

}  // namespace

SocketStartupResult SocketStartup() {
  std::lock_guard<std::mutex> Guard(StartupLock);
  if (StartupCount > 0) {
    ++StartupCount;
    return {};
  }
  Library = LoadQuietly(kLibraryName);
  if (Library == nullptr) return {SocketStartupResult::TKind::LibraryFailed, u"WS2_32.DLL"};
  const char* Missing = nullptr;
  if (!FindAll(Missing)) {
    Unload();
    return {SocketStartupResult::TKind::FunctionMissing, S(Missing)};
  }
  WSADATA Data;
  if (Api.WSAStartup(MAKEWORD(2, 2), &Data) != 0) {
    Unload();
    return {SocketStartupResult::TKind::LibraryFailed, u"WS2_32.DLL"};
  }
  FindResolver();
  StartupCount = 1;
  return {};
}

void SocketCleanup() {
  std::lock_guard<std::mutex> Guard(StartupLock);
  if (StartupCount == 0 || --StartupCount > 0) return;
  Api.WSACleanup();
  Unload();
}

bool SocketHasModernResolver() {
  return Api.GetAddrInfoW != nullptr;
}

int SocketLastError() {
  return LastError;
}

SocketRaw SocketOpen(int Family) {
  const SOCKET S = Api.socket(NativeFamily(Family), SOCK_STREAM, 0);
  if (S == INVALID_SOCKET) {
    KeepLastError();
    return kNoSocketRaw;
  }
  return static_cast<SocketRaw>(S);
}

void SocketClose(SocketRaw S) {
  if (S != kNoSocketRaw) Api.closesocket(Raw(S));
}

void SocketShutdownSend(SocketRaw S) {
  if (S != kNoSocketRaw) Api.shutdown(Raw(S), SD_SEND);
}

bool SocketSetReuseAddress(SocketRaw S, bool Value) {
  const BOOL On = Value ? TRUE : FALSE;
  if (Api.setsockopt(Raw(S), SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&On),
                     sizeof(On)) == 0)
    return true;
  KeepLastError();
  return false;
}

bool SocketSetNoDelay(SocketRaw S, bool Value) {
  const BOOL On = Value ? TRUE : FALSE;
  if (Api.setsockopt(Raw(S), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&On),
                     sizeof(On)) == 0)
    return true;
  KeepLastError();
  return false;
}

bool SocketBind(SocketRaw S, const SocketAddress& Address) {
  sockaddr_storage Storage;
  const int Length = ToNative(Address, Storage);
  if (Api.bind(Raw(S), reinterpret_cast<sockaddr*>(&Storage), Length) == 0) return true;
  KeepLastError();
  return false;
}

bool SocketListen(SocketRaw S, int Backlog) {
  if (Api.listen(Raw(S), Backlog) == 0) return true;
  KeepLastError();
  return false;
}

SocketRaw SocketAccept(SocketRaw S) {
  const SOCKET C = Api.accept(Raw(S), nullptr, nullptr);
  if (C == INVALID_SOCKET) {
    KeepLastError();
    return kNoSocketRaw;
  }
  return static_cast<SocketRaw>(C);
}

SocketWaitResult SocketConnect(SocketRaw S, const SocketAddress& Address, int TimeoutMs) {
  sockaddr_storage Storage;
  const int Length = ToNative(Address, Storage);
  if (TimeoutMs <= 0 && !socket_idle::HookActive()) {
    if (Api.connect(Raw(S), reinterpret_cast<sockaddr*>(&Storage), Length) == 0)
      return SocketWaitResult::Ready;
    KeepLastError();
    return SocketWaitResult::Failed;
  }
  // A bounded or a live connect: start it without blocking, wait (without a limit of our own
  // when TimeoutMs is 0: the system's connect time-out still ends it), then read its outcome.
  const NonBlocking Mode(S);
  if (Api.connect(Raw(S), reinterpret_cast<sockaddr*>(&Storage), Length) == 0)
    return SocketWaitResult::Ready;
  KeepLastError();
  if (LastError != WSAEWOULDBLOCK) return SocketWaitResult::Failed;
  const SocketWaitResult Result = WaitFor(S, /*ForWrite=*/true, TimeoutMs > 0 ? TimeoutMs : -1);
  if (Result != SocketWaitResult::Ready) return Result;
  int Error = 0;
  int ErrorLength = sizeof(Error);
  Api.getsockopt(Raw(S), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&Error), &ErrorLength);
  if (Error == 0) return SocketWaitResult::Ready;
  LastError = Error;
  return SocketWaitResult::Failed;
}

SocketWaitResult SocketWaitReadable(SocketRaw S, int TimeoutMs) {
  return WaitFor(S, /*ForWrite=*/false, TimeoutMs);
}

int64_t SocketReceive(SocketRaw S, void* Buffer, size_t Length) {
  const int Ask = Length > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(Length);
  const int Got = Api.recv(Raw(S), static_cast<char*>(Buffer), Ask, 0);
  if (Got != SOCKET_ERROR) return Got;
  KeepLastError();
  return -1;
}

int64_t SocketSend(SocketRaw S, const void* Buffer, size_t Length) {
  const int Ask = Length > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(Length);
  if (!socket_idle::HookActive()) {
    const int Sent = Api.send(Raw(S), static_cast<const char*>(Buffer), Ask, 0);
    if (Sent != SOCKET_ERROR) return Sent;
    KeepLastError();
    return -1;
  }
  // With an idle hook: wait for room in slices, then take what fits without blocking.
  for (;;) {
    if (WaitFor(S, /*ForWrite=*/true, -1) == SocketWaitResult::Failed) return -1;
    int Sent;
    {
      const NonBlocking Mode(S);
      Sent = Api.send(Raw(S), static_cast<const char*>(Buffer), Ask, 0);
      if (Sent == SOCKET_ERROR) KeepLastError();
    }
    if (Sent != SOCKET_ERROR) return Sent;
    if (LastError != WSAEWOULDBLOCK) return -1;
  }
}

bool SocketLocalAddress(SocketRaw S, SocketAddress& Address) {
  sockaddr_storage Storage;
  int Length = sizeof(Storage);
  if (Api.getsockname(Raw(S), reinterpret_cast<sockaddr*>(&Storage), &Length) != 0) {
    KeepLastError();
    return false;
  }
  return FromNative(reinterpret_cast<sockaddr*>(&Storage), Address);
}

bool SocketPeerAddress(SocketRaw S, SocketAddress& Address) {
  sockaddr_storage Storage;
  int Length = sizeof(Storage);
  if (Api.getpeername(Raw(S), reinterpret_cast<sockaddr*>(&Storage), &Length) != 0) {
    KeepLastError();
    return false;
  }
  return FromNative(reinterpret_cast<sockaddr*>(&Storage), Address);
}

int socket_idle::ResolveNow(const String& Host, int Family, SocketAddress& Address) {
  if (Api.GetAddrInfoW != nullptr) {
    ADDRINFOW Hints{};
    Hints.ai_family = NativeFamily(Family);
    Hints.ai_socktype = SOCK_STREAM;
    ADDRINFOW* Answer = nullptr;
    const int Code = Api.GetAddrInfoW(WidePtr(Host), nullptr, &Hints, &Answer);
    if (Code != 0) return Code;  // the resolver's codes are Windows Sockets numbers already
    int Result = kSocketErrorHostNotFound;
    for (ADDRINFOW* A = Answer; A != nullptr; A = A->ai_next) {
      if (A->ai_addr != nullptr && FromNative(A->ai_addr, Address)) {
        Result = 0;
        break;
      }
    }
    Api.FreeAddrInfoW(Answer);
    return Result;
  }
  // The classic lookup knows IPv4 names only; the caller refuses IPv6 before getting here.
  const std::string Name = StringToAnsi(Host);
  const hostent* Entry = Api.gethostbyname(Name.c_str());
  if (Entry == nullptr) return Api.WSAGetLastError();
  if (Entry->h_addrtype != AF_INET || Entry->h_addr_list == nullptr ||
      Entry->h_addr_list[0] == nullptr)
    return kSocketErrorHostNotFound;
  Address = SocketAddress();
  Address.Family = kSocketFamilyIPv4;
  std::memcpy(Address.Bytes, Entry->h_addr_list[0], 4);
  return 0;
}

}  // namespace vlm
