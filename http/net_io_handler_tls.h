// http/net_io_handler_tls.h -- the I/O handler for https: a connecting socket handler whose bytes
// pass through a TLS session. The handshake runs as the last step of Open; afterwards the buffered
// reading, the time-outs and the work events of TNetIOHandler see only the decrypted bytes.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "http/net_io_handler_socket.h"
#include "http/tls_session.h"

namespace vlm {

class TNetIOHandlerTls : public TNetIOHandlerStack {
public:
  ~TNetIOHandlerTls() override;

  // As TNetIOHandlerStack::Open, then the TLS handshake with Host, bounded by ReadTimeout for
  // each wait. A failure closes the socket and raises ENetTlsError / ENetTlsCertificateError;
  // nothing has been sent to the server but the handshake.
  void Open() override;

  // The TLS session's platform code of the last failure (0 when none), for the log.
  int64_t TlsSystemCode() const { return FLastCode; }

protected:
  // Readable once decrypted bytes are waiting or the session has ended; waiting for the
  // socket meanwhile (within ATimeoutMs in all) and decrypting what arrives.
  bool WaitReadable(int ATimeoutMs) override;
  int64_t ReceiveFromSource(void* ABuffer, size_t ALength) override;
  int64_t SendToSource(const void* ABuffer, size_t ALength) override;
  void CloseSource() override;

private:
  // Sends whatever the session has for the server; false when the peer has gone.
  bool SendOutgoing();
  // One receive from the socket into the session; false at the socket's end.
  bool ReceiveRecord();

  std::unique_ptr<TTlsSession> FSession;
  std::vector<char> FReceiveBlock;  // one socket receive's bytes, kept between receives
  std::string FPlain;               // decrypted bytes not yet taken
  size_t FPlainStart = 0;           // taken bytes at the front of FPlain
  bool FEnded = false;              // the server closed the session or the socket
  int64_t FLastCode = 0;
};

}  // namespace vlm
