// http/net_socket_handle.cpp -- one TCP socket.
#include "http/net_socket_handle.h"

#include "http/net_socket_exceptions.h"

namespace vlm {

void TNetSocketHandle::AllocateSocket() {
  CloseSocket();
  const SocketRaw S = SocketOpen(SocketFamilyOf(IPVersion));
  if (S == kNoSocketRaw) TNetStack::RaiseLastSocketError();
  std::lock_guard<std::mutex> Guard(FLock);
  FHandle = S;
  FUseNagle = true;  // a new socket has Nagle's algorithm on
}

void TNetSocketHandle::CloseSocket() {
  std::lock_guard<std::mutex> Guard(FLock);
  if (FHandle == kNoSocketRaw) return;
  SocketShutdownSend(FHandle);
  SocketClose(FHandle);
  FHandle = kNoSocketRaw;
}

void TNetSocketHandle::Reset() {
  CloseSocket();
  IP.clear();
  Port = 0;
  PeerIP.clear();
  PeerPort = 0;
}

bool TNetSocketHandle::TryBind(const String& AIP, int APort) {
  SocketAddress Address;
  Address.Family = SocketFamilyOf(IPVersion);
  if (!AIP.empty()) {
    auto Parsed = ParseIPAddress(AIP, IPVersion);
    if (!Parsed) return false;
    Address = *Parsed;
  }
  Address.Port = static_cast<uint16_t>(APort);
  return SocketBind(FHandle, Address);
}

void TNetSocketHandle::Bind(TNetReuseSocket AReuseSocket) {
  if (AReuseSocket == TNetReuseSocket::rsTrue && !SocketSetReuseAddress(FHandle, true))
    TNetStack::RaiseLastSocketError();
  bool Bound = false;
  if (Port == 0 && ClientPortMin > 0 && ClientPortMax >= ClientPortMin) {
    for (int P = ClientPortMin; P <= ClientPortMax && !Bound; ++P) Bound = TryBind(IP, P);
  } else {
    Bound = TryBind(IP, Port);
  }
  if (!Bound) throw ENetCouldNotBindSocket(kRSCouldNotBindSocket);
}

void TNetSocketHandle::SetUseNagle(bool AValue) {
  if (AValue == FUseNagle) return;
  if (HandleAllocated() && !SocketSetNoDelay(FHandle, !AValue)) TNetStack::RaiseLastSocketError();
  FUseNagle = AValue;
}

void TNetSocketHandle::Connect(int ATimeoutMs) {
  auto Target = ParseIPAddress(PeerIP, IPVersion);
  if (!Target) TNetStack::RaiseSocketError(10022);  // not an address of this family
  Target->Port = static_cast<uint16_t>(PeerPort);
  const SocketWaitResult Result = SocketConnect(FHandle, *Target, ATimeoutMs);
  if (Result == SocketWaitResult::TimedOut) {
    CloseSocket();
    throw ENetConnectTimeout(kRSConnectTimeout);
  }
  if (Result == SocketWaitResult::Failed) TNetStack::RaiseLastSocketError();
  UpdateBindingLocal();
  UpdateBindingPeer();
}

void TNetSocketHandle::UpdateBindingLocal() {
  std::lock_guard<std::mutex> Guard(FLock);
  SocketAddress Address;
  if (FHandle == kNoSocketRaw || !SocketLocalAddress(FHandle, Address)) return;
  IP = FormatIPAddress(Address);
  Port = Address.Port;
}

void TNetSocketHandle::UpdateBindingPeer() {
  std::lock_guard<std::mutex> Guard(FLock);
  SocketAddress Address;
  if (FHandle == kNoSocketRaw || !SocketPeerAddress(FHandle, Address)) return;
  PeerIP = FormatIPAddress(Address);
  PeerPort = Address.Port;
}

bool TNetSocketHandle::Readable(int ATimeoutMs) {
  const SocketWaitResult Result = SocketWaitReadable(FHandle, ATimeoutMs);
  if (Result == SocketWaitResult::Failed) TNetStack::RaiseLastSocketError();
  return Result == SocketWaitResult::Ready;
}

int64_t TNetSocketHandle::Receive(void* ABuffer, size_t ALength) {
  const int64_t Got = SocketReceive(FHandle, ABuffer, ALength);
  if (Got < 0) TNetStack::RaiseLastSocketError();
  return Got;
}

int64_t TNetSocketHandle::Send(const void* ABuffer, size_t ALength) {
  const int64_t Sent = SocketSend(FHandle, ABuffer, ALength);
  if (Sent < 0) TNetStack::RaiseLastSocketError();
  return Sent;
}

}  // namespace vlm
