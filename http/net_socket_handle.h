// http/net_socket_handle.h -- one TCP socket of the connection layer and its addresses.
// A handle has no socket until AllocateSocket, is connected by Connect, and goes back to having
// none on CloseSocket (the sending side is shut down first, so the peer sees the end of the
// stream). A lock guards closing against the address update after a connect.
#pragma once

#include <cstdint>
#include <mutex>

#include "http/net_stack.h"
#include "runtime/socket.h"
#include "runtime/string.h"

namespace vlm {

// Whether the reuse-address option is set on a new socket: only rsTrue sets it.
enum class TNetReuseSocket { rsOSDependent, rsTrue, rsFalse };

class TNetSocketHandle {
public:
  TNetSocketHandle() = default;
  ~TNetSocketHandle() { CloseSocket(); }
  TNetSocketHandle(const TNetSocketHandle&) = delete;
  TNetSocketHandle& operator=(const TNetSocketHandle&) = delete;

  // Creates a stream socket of IPVersion (the last socket error on failure). An allocated socket
  // is closed first.
  void AllocateSocket();
  bool HandleAllocated() const { return FHandle != kNoSocketRaw; }
  SocketRaw Handle() const { return FHandle; }
  // Shuts down the sending side and closes the socket; nothing without one.
  void CloseSocket();
  // Closes the socket and forgets the addresses; the settings stay.
  void Reset();

  // Applies ReuseSocket and binds to IP/Port (any address and port 0 by default), trying the
  // client port range when Port is 0 and the range is set. ENetCouldNotBindSocket on failure.
  void Bind(TNetReuseSocket AReuseSocket);
  // Writes the Nagle option only when AValue differs from the current UseNagle.
  void SetUseNagle(bool AValue);
  // Connects to PeerIP:PeerPort. ATimeoutMs <= 0 blocks; a positive bound that passes closes the
  // socket and raises ENetConnectTimeout. A refused or failed connect raises the socket error.
  // Afterwards the local and peer addresses are read back.
  void Connect(int ATimeoutMs);

  // Waits for data or an end of stream; ATimeoutMs < 0 waits without limit. True when readable;
  // a wait that fails raises the socket error.
  bool Readable(int ATimeoutMs);
  // The byte count received (0: the peer has closed); a failure raises the socket error.
  int64_t Receive(void* ABuffer, size_t ALength);
  // The byte count sent; a failure raises the socket error.
  int64_t Send(const void* ABuffer, size_t ALength);

  // Addresses, as texts (see FormatIPAddress).
  String IP;  // local; also the address to bind to (empty: any)
  int Port = 0;
  String PeerIP;
  int PeerPort = 0;
  TNetIPVersion IPVersion = TNetIPVersion::Net_IPv4;
  bool UseNagle() const { return FUseNagle; }
  int ClientPortMin = 0;
  int ClientPortMax = 0;

private:
  void UpdateBindingLocal();
  void UpdateBindingPeer();
  bool TryBind(const String& AIP, int APort);

  std::mutex FLock;  // guards FHandle between closing and the address update
  SocketRaw FHandle = kNoSocketRaw;
  bool FUseNagle = true;
};

}  // namespace vlm
