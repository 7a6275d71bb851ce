// http/net_tcp_client.cpp -- connect and disconnect of the TCP client.
#include "http/net_tcp_client.h"

#include "http/net_io_handler_tls.h"
#include "http/net_socket_exceptions.h"

namespace vlm {

TNetTCPConnection::~TNetTCPConnection() {
  if (FIOHandler != nullptr) FIOHandler->Close();
}

void TNetTCPConnection::SetIOHandler(std::unique_ptr<TNetIOHandler> AHandler) {
  FIOHandler = std::move(AHandler);
  if (FIOHandler != nullptr) FIOHandler->SetWorkTarget(this);
}

bool TNetTCPConnection::Connected() {
  return FIOHandler != nullptr && FIOHandler->Connected();
}

void TNetTCPConnection::Disconnect(bool ANotifyPeer) {
  if (FIOHandler == nullptr || !FIOHandler->Opened()) return;
  DoStatus(TNetStatus::hsDisconnecting);
  FIOHandler->Close();
  if (OnDisconnected) OnDisconnected(*this);
  DoStatus(TNetStatus::hsDisconnected);
}

void TNetTCPConnection::CheckForGracefulDisconnect(bool ARaiseIfDisconnected) {
  if (FIOHandler != nullptr) {
    FIOHandler->CheckForDisconnect(ARaiseIfDisconnected, false);
  } else if (ARaiseIfDisconnected) {
    throw ENetException(kRSNotConnected);
  }
}

void TNetTCPClientCustom::Connect() {
  if (Connected()) throw ENetAlreadyConnected(kRSAlreadyConnected);
  if (Host.empty()) throw ENetHostRequired(String());
  if (Port == 0) throw ENetPortRequired(String());
  if (FIOHandler == nullptr) {
    if (UseTls)
      SetIOHandler(std::make_unique<TNetIOHandlerTls>());
    else
      SetIOHandler(std::make_unique<TNetIOHandlerStack>());
    FIOHandler->OnStatus = OnStatus;
  }
  TNetIOHandler& H = *FIOHandler;
  H.Port = Port;
  H.Host = Host;
  H.ConnectTimeout = ConnectTimeout;
  H.ReadTimeout = ReadTimeout;
  H.BoundIP = BoundIP;
  H.BoundPort = BoundPort;
  H.BoundPortMin = BoundPortMin;
  H.BoundPortMax = BoundPortMax;
  H.IPVersion = IPVersion;
  H.ReuseSocket = ReuseSocket;
  H.UseNagle = UseNagle;
  try {
    H.Open();
    DoStatus(TNetStatus::hsConnected, Host);
    if (OnConnected) OnConnected(*this);
  } catch (...) {
    if (const auto* Tls = dynamic_cast<const TNetIOHandlerTls*>(&H))
      FLastTlsSystemCode = Tls->TlsSystemCode();
    H.Close();
    FIOHandler.reset();
    throw;
  }
}

}  // namespace vlm
