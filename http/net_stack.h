// http/net_stack.h -- the process's socket stack: its start-up and release, name resolution,
// address texts, and the socket error exceptions.
// One stack serves the process: the first TNetComponent starts it (loading and starting the
// socket library), the last one releases it; a process-wide lock guards the usage count. The
// operating-system calls live behind runtime/socket.h.
#pragma once

#include <cstdint>
#include <optional>

#include "http/net_ip_version.h"
#include "runtime/socket.h"
#include "runtime/string.h"

namespace vlm {

class TNetStack {
public:
  // One more use of the stack; the first starts the socket library. Raises
  // ENetStackInitializationFailed "Error on loading Winsock2 library (<name>)" or
  // ENetWinsockStubError "Error on call to Winsock2 library function <name>" (the usage count is
  // then unchanged).
  static void Acquire();
  // One use less; the last stops the socket library.
  static void Release();
  static int UsageCountForTesting();

  // Whether AText is exactly four dot-separated decimal numbers, each 0 to 255.
  static bool IsIP(const String& AText);

  // The address to connect to for AHost: IPv4 maps "LOCALHOST" (any case) to "127.0.0.1" and
  // passes dotted quads through; IPv6 passes valid address texts through in canonical form;
  // anything else is looked up (raising the resolver's socket error, 11001 "Host not found." for
  // an unknown name; ENetIPv6Unavailable for IPv6 without the modern resolver).
  static String ResolveHost(const String& AHost, TNetIPVersion AIPVersion);

  // Raises ENetNotASocket (10038) or ENetSocketError with "Socket Error # <n>\r\n<text>".
  [[noreturn]] static void RaiseSocketError(int ACode);
  // RaiseSocketError with the last error of the calling thread.
  [[noreturn]] static void RaiseLastSocketError();
};

int SocketFamilyOf(TNetIPVersion AIPVersion);

// The address bytes of an address text of AIPVersion, or nothing when the text is not one. IPv6
// accepts the usual forms: eight groups, one "::" for a run of zero groups, and a dotted IPv4
// tail.
std::optional<SocketAddress> ParseIPAddress(const String& AText, TNetIPVersion AIPVersion);

// The text of an address: four decimal numbers joined by "." (IPv4), or eight lower-case
// hexadecimal groups without leading zeros joined by ":" with no zero compression (IPv6).
String FormatIPAddress(const SocketAddress& AAddress);

}  // namespace vlm
