// http/net_tcp_client.h -- the client side of a TCP connection, which the HTTP client derives
// from: the settings of the connection, Connect and Disconnect, and the I/O handler it owns.
// The handler is created at the first Connect (a TNetIOHandlerStack whose work target is the
// client, so its work events come from the client) and kept for later connects; a connect that
// fails releases it, so the next one starts with a fresh handler.
#pragma once

#include <functional>
#include <memory>

#include "http/net_component.h"
#include "http/net_io_handler.h"
#include "http/net_socket_handle.h"
#include "http/net_stack.h"

namespace vlm {

// The read time-out of the installer's client, in ms: a server that accepts the connection and
// then sends nothing fails the download with ENetReadTimeout "Read timed out." after this long,
// instead of holding the installation for ever.
inline constexpr int kNetInstallerReadTimeout = 60000;
// The installer's stall rule: a reply that brings fewer than kNetInstallerStallMinBytes bytes in
// any kNetInstallerStallWindow ms fails, however it spaces them to stay under the read time-out.
inline constexpr int kNetInstallerStallWindow = 60000;
inline constexpr int64_t kNetInstallerStallMinBytes = 1024;

class TNetTCPConnection : public TNetComponent {
public:
  TNetTCPConnection() = default;
  ~TNetTCPConnection() override;

  // The handler; null before the first connect.
  TNetIOHandler* IOHandler() const { return FIOHandler.get(); }
  // Installs a handler that the client owns from now on (its work target becomes the client).
  void SetIOHandler(std::unique_ptr<TNetIOHandler> AHandler);

  // Whether the handler exists and is connected (see TNetIOHandler::Connected).
  bool Connected();
  // When the handler is open: hsDisconnecting, close the handler, OnDisconnected,
  // hsDisconnected. ANotifyPeer is accepted for completeness; closing always shuts down the
  // sending side, which is what the peer sees.
  virtual void Disconnect(bool ANotifyPeer = false);
  // Lets the handler notice a peer close (closing the socket); raises ENetConnClosedGracefully
  // when ARaiseIfDisconnected and nothing is left to read.
  void CheckForGracefulDisconnect(bool ARaiseIfDisconnected = true);

  std::function<void(TNetTCPConnection& ASender)> OnConnected;
  std::function<void(TNetTCPConnection& ASender)> OnDisconnected;

protected:
  std::unique_ptr<TNetIOHandler> FIOHandler;
};

class TNetTCPClientCustom : public TNetTCPConnection {
public:
  // Connects to Host:Port: ENetAlreadyConnected "Already connected." when connected,
  // ENetHostRequired / ENetPortRequired (empty messages) without a host or port; then the
  // settings are copied into the handler, which opens the connection; hsConnected and
  // OnConnected follow. Any failure closes the handler and releases it before propagating.
  // Without a handler one is made: a TLS handler when UseTls is set, a plain one otherwise.
  virtual void Connect();

  // The platform's code of the last refused secure connection (0 when none), for logs.
  int64_t LastTlsSystemCode() const { return FLastTlsSystemCode; }

  // Settings, with the defaults of a new client.
  String Host;
  int Port = 0;
  TNetIPVersion IPVersion = TNetIPVersion::Net_IPv4;
  int ConnectTimeout = 0;  // ms; 0: the operating system's connect time-out
  int ReadTimeout = -1;    // ms; -1 and 0: no time-out
  String BoundIP;
  int BoundPort = 0;
  int BoundPortMin = 0;
  int BoundPortMax = 0;
  TNetReuseSocket ReuseSocket = TNetReuseSocket::rsOSDependent;
  bool UseNagle = true;
  bool UseTls = false;  // the handler made by Connect speaks TLS (https)

protected:
  int64_t FLastTlsSystemCode = 0;
};

}  // namespace vlm
