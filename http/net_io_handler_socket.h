// http/net_io_handler_socket.h -- the I/O handler over a real socket (TNetIOHandlerSocket) and
// the default handler that opens its own connection (TNetIOHandlerStack).
// TNetIOHandlerSocket reads and writes through its Binding; TNetIOHandlerStack adds Open: a new
// socket, the bind, the Nagle setting, resolution of Host and the connect to Port.
#pragma once

#include <memory>

#include "http/net_io_handler.h"
#include "http/net_socket_handle.h"

namespace vlm {

class TNetIOHandlerSocket : public TNetIOHandler {
public:
  TNetIOHandlerSocket();
  ~TNetIOHandlerSocket() override;

  // The socket; exists from construction, allocated while connected.
  TNetSocketHandle& Binding() { return *FBinding; }

protected:
  bool SourceIsAvailable() const override;
  bool WaitReadable(int ATimeoutMs) override;
  int64_t ReceiveFromSource(void* ABuffer, size_t ALength) override;
  int64_t SendToSource(const void* ABuffer, size_t ALength) override;
  void CloseSource() override;

  std::unique_ptr<TNetSocketHandle> FBinding;
};

class TNetIOHandlerStack : public TNetIOHandlerSocket {
public:
  // As TNetIOHandler::Open, then a fresh socket handle state; with Host and Port set, the socket
  // is opened and connected (OpenSocket).
  void Open() override;

protected:
  // Allocates the socket of IPVersion, applies ReuseSocket, binds to BoundIP/BoundPort
  // (ENetCouldNotBindSocket), applies UseNagle, resolves Host (hsResolving) unless it is an
  // address, and connects (hsConnecting with the peer IP); ConnectTimeout > 0 bounds the connect
  // (ENetConnectTimeout "Connect timed out."). Socket errors propagate as ENetSocketError.
  void OpenSocket();
};

}  // namespace vlm
