// http/tls_session.h -- one TLS client session as a transformer of bytes. The TLS I/O handler
// moves the bytes between the session and its socket, so the platform's TLS code never touches
// the socket and every wait, time-out and work event stays with the handler. The session accepts
// TLS 1.2 or newer only and always validates the server's certificate chain against the
// system's trust store and the server's name; nothing can turn that off.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "http/net_exception.h"
#include "runtime/string.h"

namespace vlm {

// A TLS failure: the handshake, a record, or the connection's end.
VLM_DECLARE_EXCEPTION(ENetTlsError, ENetException);
// The server's certificate was not accepted (untrusted, expired, for another name, revoked).
VLM_DECLARE_EXCEPTION(ENetTlsCertificateError, ENetTlsError);

class TTlsSession {
public:
  virtual ~TTlsSession() = default;

  // Bytes received from the server, in order.
  virtual void PutReceived(const void* AData, size_t ALength) = 0;
  // The bytes the session wants sent to the server (handshake and application records, alerts),
  // taken out of it.
  virtual std::string TakeOutgoing() = 0;

  // Advances the handshake with what was received; true once it is complete. A failure raises
  // ENetTlsCertificateError or ENetTlsError with a message a person can act on; the platform's
  // own code is kept in SystemCode().
  virtual bool Handshake() = 0;

  // Application data to send: appends its records to the outgoing bytes.
  virtual void Encrypt(const void* AData, size_t ALength) = 0;
  // Decrypted application data into ABuffer: the count, 0 when the received bytes hold no
  // complete record yet, -1 when the server has closed the session.
  virtual int64_t Decrypt(void* ABuffer, size_t ALength) = 0;

  // Ends the session: the closing alert goes into the outgoing bytes.
  virtual void Shutdown() = 0;

  // The platform's code of the last failure (an OpenSSL verification result or error, an SSPI
  // status), for the log; 0 when none.
  virtual int64_t SystemCode() const = 0;
};

// A client session for the server AServerName (a DNS name or an IP address), which its
// certificate must name; the name also goes out as the server name indication when it is a DNS
// name.
std::unique_ptr<TTlsSession> MakeTlsClientSession(const String& AServerName);

}  // namespace vlm
