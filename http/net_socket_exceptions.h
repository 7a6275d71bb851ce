// http/net_socket_exceptions.h -- the connection layer's exceptions and the socket error texts.
// Socket failures carry the Windows Sockets number on every build (LastError) and a message of
// the form "Socket Error # <n>\r\n<text>", with the text from one table, so that a message reads
// the same on Linux and on Windows.
#pragma once

#include "http/net_exception.h"

namespace vlm {

// A failed socket call: LastError is its Windows Sockets number.
class ENetSocketError : public ENetException {
public:
  ENetSocketError(String Message, int LastError)
      : ENetException(std::move(Message)), FLastError(LastError) {}
  int LastError() const { return FLastError; }
  const char* ClassName() const override { return "ENetSocketError"; }

private:
  int FLastError;
};

// Socket error 10038: the handle is not a socket.
class ENetNotASocket : public ENetSocketError {
public:
  using ENetSocketError::ENetSocketError;
  const char* ClassName() const override { return "ENetNotASocket"; }
};

VLM_DECLARE_EXCEPTION(ENetConnClosedGracefully, ENetException);  // "Connection Closed Gracefully."
VLM_DECLARE_EXCEPTION(ENetReadTimeout, ENetException);           // "Read timed out."
VLM_DECLARE_EXCEPTION(ENetConnectTimeout, ENetException);        // "Connect timed out."
VLM_DECLARE_EXCEPTION(ENetNotConnected, ENetException);          // "Not Connected"
VLM_DECLARE_EXCEPTION(ENetAlreadyConnected, ENetException);      // "Already connected."
VLM_DECLARE_EXCEPTION(ENetHostRequired, ENetException);          // empty message
VLM_DECLARE_EXCEPTION(ENetPortRequired, ENetException);          // empty message
VLM_DECLARE_EXCEPTION(ENetCouldNotBindSocket, ENetException);
VLM_DECLARE_EXCEPTION(ENetStackInitializationFailed, ENetException);
VLM_DECLARE_EXCEPTION(ENetWinsockStubError, ENetException);
VLM_DECLARE_EXCEPTION(ENetIPv6Unavailable, ENetException);  // "IPv6 unavailable"
VLM_DECLARE_EXCEPTION(ENetTooMuchDataInBuffer, ENetException);
VLM_DECLARE_EXCEPTION(ENetNotEnoughDataInBuffer, ENetException);
VLM_DECLARE_EXCEPTION(ENetReadLnMaxLineLengthExceeded, ENetException);
VLM_DECLARE_EXCEPTION(ENetIOHandlerStreamDataTooLarge, ENetException);
// A chunked body whose framing cannot be read (a chunk-size line that is not a hexadecimal
// number, or too many trailer lines).
VLM_DECLARE_EXCEPTION(ENetChunkedBodyError, ENetException);
// A transfer that moved too little for too long: "The server <host> stopped sending data."
VLM_DECLARE_EXCEPTION(ENetTransferStalled, ENetReadTimeout);

// Message texts.
inline constexpr char16_t kRSConnectionClosedGracefully[] = u"Connection Closed Gracefully.";
inline constexpr char16_t kRSReadTimeout[] = u"Read timed out.";
inline constexpr char16_t kRSConnectTimeout[] = u"Connect timed out.";
inline constexpr char16_t kRSNotConnected[] = u"Not Connected";
inline constexpr char16_t kRSAlreadyConnected[] = u"Already connected.";
inline constexpr char16_t kRSCouldNotBindSocket[] =
    u"Could not bind socket. Address and port are already in use.";
inline constexpr char16_t kRSIPv6Unavailable[] = u"IPv6 unavailable";
inline constexpr char16_t kRSTooMuchDataInBuffer[] = u"Too much data in buffer.";
inline constexpr char16_t kRSMaxLineLengthExceeded[] = u"Max line length exceeded.";
inline constexpr char16_t kRSStreamDataTooLarge[] = u"Data is too large for stream";
inline constexpr char16_t kRSInvalidChunkSize[] = u"Invalid chunk size.";
inline constexpr char16_t kRSTooManyTrailerLines[] = u"Too many trailer lines.";

// The table text of a Windows Sockets error number ("Connection refused." for 10061); empty for
// numbers not in the table.
String SocketErrorText(int Code);

// "Socket Error # <Code>\r\n<SocketErrorText(Code)>".
String SocketErrorMessage(int Code);

// Raises ENetNotASocket for 10038 and ENetSocketError for every other code.
[[noreturn]] void RaiseSocketError(int Code);

}  // namespace vlm
