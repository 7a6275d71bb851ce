// http/net_io_handler_tls.cpp -- the https I/O handler: TLS records between the socket and the
// buffered reader.
#include "http/net_io_handler_tls.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "http/net_socket_exceptions.h"

namespace vlm {
namespace {

constexpr size_t kRecordBlock = 16384 + 512;  // one TLS record with its framing
// The most one socket receive takes: many records at once on a fast link, so the records of a
// body cost a fraction of the receives (each a round trip to the server process under wine).
constexpr size_t kSocketReceive = 256 * 1024;

// Milliseconds left until ADeadline (kNetTimeoutInfinite for no deadline), never below 0.
int MsLeft(std::chrono::steady_clock::time_point ADeadline, bool AInfinite) {
  if (AInfinite) return kNetTimeoutInfinite;
  const auto Left = std::chrono::duration_cast<std::chrono::milliseconds>(
      ADeadline - std::chrono::steady_clock::now());
  return Left.count() > 0 ? static_cast<int>(Left.count()) : 0;
}

}  // namespace

TNetIOHandlerTls::~TNetIOHandlerTls() = default;

void TNetIOHandlerTls::Open() {
  FSession.reset();
  FPlain.clear();
  FPlainStart = 0;
  FEnded = false;
  TNetIOHandlerStack::Open();
  if (!FBinding->HandleAllocated()) return;
  try {
    FSession = MakeTlsClientSession(Host);
    const int Timeout = ReadTimeout <= 0 ? kNetTimeoutInfinite : ReadTimeout;
    while (!FSession->Handshake()) {
      if (!SendOutgoing())
        throw ENetTlsError(u"The server " + Host +
                           u" closed the connection during the secure handshake.");
      if (!FBinding->Readable(Timeout == kNetTimeoutInfinite ? -1 : Timeout))
        throw ENetReadTimeout(kRSReadTimeout);
      if (!ReceiveRecord())
        throw ENetTlsError(u"The server " + Host +
                           u" closed the connection during the secure handshake.");
    }
    SendOutgoing();
  } catch (const ENetTlsError&) {
    FLastCode = FSession ? FSession->SystemCode() : 0;
    FSession.reset();
    FBinding->CloseSocket();
    throw;
  } catch (...) {
    FSession.reset();
    FBinding->CloseSocket();
    throw;
  }
}

bool TNetIOHandlerTls::SendOutgoing() {
  const std::string Bytes = FSession->TakeOutgoing();
  size_t Sent = 0;
  while (Sent < Bytes.size()) {
    const int64_t Now = FBinding->Send(Bytes.data() + Sent, Bytes.size() - Sent);
    if (Now <= 0) return false;
    Sent += static_cast<size_t>(Now);
  }
  return true;
}

bool TNetIOHandlerTls::ReceiveRecord() {
  FReceiveBlock.resize(kSocketReceive);
  const int64_t Got = FBinding->Receive(FReceiveBlock.data(), FReceiveBlock.size());
  if (Got <= 0) return false;
  FSession->PutReceived(FReceiveBlock.data(), static_cast<size_t>(Got));
  return true;
}

bool TNetIOHandlerTls::WaitReadable(int ATimeoutMs) {
  if (!FSession) return TNetIOHandlerStack::WaitReadable(ATimeoutMs);
  const bool Infinite = ATimeoutMs == kNetTimeoutInfinite || ATimeoutMs < 0;
  const auto Deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(Infinite ? 0 : ATimeoutMs);
  while (FPlainStart == FPlain.size() && !FEnded) {
    char Block[kRecordBlock];
    const int64_t Got = FSession->Decrypt(Block, sizeof Block);
    // Records other than data (a new session ticket, a key update) may want an answer.
    SendOutgoing();
    if (Got > 0) {
      FPlain.assign(Block, static_cast<size_t>(Got));
      FPlainStart = 0;
      break;
    }
    if (Got < 0) {
      FEnded = true;
      break;
    }
    const int Left = MsLeft(Deadline, Infinite);
    if (!FBinding->Readable(Left == kNetTimeoutInfinite ? -1 : Left)) return false;
    // The end of the socket without the session's closing alert ends the stream the same way:
    // the framing of the reply (its length or last chunk) tells a cut body.
    if (!ReceiveRecord()) FEnded = true;
  }
  return true;
}

int64_t TNetIOHandlerTls::ReceiveFromSource(void* ABuffer, size_t ALength) {
  if (!FSession) return TNetIOHandlerStack::ReceiveFromSource(ABuffer, ALength);
  if (FPlainStart == FPlain.size() && !FEnded) WaitReadable(kNetTimeoutInfinite);
  const size_t Count = std::min(ALength, FPlain.size() - FPlainStart);
  std::memcpy(ABuffer, FPlain.data() + FPlainStart, Count);
  FPlainStart += Count;
  return static_cast<int64_t>(Count);
}

int64_t TNetIOHandlerTls::SendToSource(const void* ABuffer, size_t ALength) {
  if (!FSession) return TNetIOHandlerStack::SendToSource(ABuffer, ALength);
  FSession->Encrypt(ABuffer, ALength);
  return SendOutgoing() ? static_cast<int64_t>(ALength) : 0;
}

void TNetIOHandlerTls::CloseSource() {
  if (FSession && FBinding->HandleAllocated()) {
    // The closing alert is a courtesy: a peer that has gone does not change the outcome.
    try {
      FSession->Shutdown();
      SendOutgoing();
    } catch (const Exception&) {
    }
  }
  FSession.reset();
  FPlain.clear();
  FPlainStart = 0;
  TNetIOHandlerStack::CloseSource();
}

}  // namespace vlm
