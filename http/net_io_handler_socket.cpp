// http/net_io_handler_socket.cpp -- the socket I/O handler and the connecting default handler.
#include "http/net_io_handler_socket.h"

namespace vlm {

TNetIOHandlerSocket::TNetIOHandlerSocket() : FBinding(std::make_unique<TNetSocketHandle>()) {}

TNetIOHandlerSocket::~TNetIOHandlerSocket() {
  FBinding->CloseSocket();
}

bool TNetIOHandlerSocket::SourceIsAvailable() const {
  return FBinding->HandleAllocated();
}

bool TNetIOHandlerSocket::WaitReadable(int ATimeoutMs) {
  return FBinding->Readable(ATimeoutMs == kNetTimeoutInfinite ? -1 : ATimeoutMs);
}

int64_t TNetIOHandlerSocket::ReceiveFromSource(void* ABuffer, size_t ALength) {
  return FBinding->Receive(ABuffer, ALength);
}

int64_t TNetIOHandlerSocket::SendToSource(const void* ABuffer, size_t ALength) {
  return FBinding->Send(ABuffer, ALength);
}

void TNetIOHandlerSocket::CloseSource() {
  FBinding->CloseSocket();
}

void TNetIOHandlerStack::Open() {
  TNetIOHandler::Open();
  FBinding->Reset();
  FBinding->ClientPortMin = BoundPortMin;
  FBinding->ClientPortMax = BoundPortMax;
  if (!Host.empty() && Port > 0) OpenSocket();
}

void TNetIOHandlerStack::OpenSocket() {
  TNetSocketHandle& B = *FBinding;
  B.IPVersion = IPVersion;
  B.AllocateSocket();
  B.IP = BoundIP;
  B.Port = BoundPort;
  B.Bind(ReuseSocket);
  B.SetUseNagle(UseNagle);

  String Target;
  if (IPVersion == TNetIPVersion::Net_IPv4 && TNetStack::IsIP(Host)) {
    Target = Host;
  } else if (IPVersion == TNetIPVersion::Net_IPv6 && ParseIPAddress(Host, IPVersion)) {
    Target = FormatIPAddress(*ParseIPAddress(Host, IPVersion));
  } else {
    DoStatus(TNetStatus::hsResolving, Host);
    Target = TNetStack::ResolveHost(Host, IPVersion);
  }
  B.PeerIP = Target;
  B.PeerPort = Port;
  DoStatus(TNetStatus::hsConnecting, Target);
  B.Connect(ConnectTimeout);
}

}  // namespace vlm
