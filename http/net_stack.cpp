// http/net_stack.cpp -- the socket stack: usage count, resolution, address texts, errors.
#include "http/net_stack.h"

#include <mutex>
#include <string>

#include "http/net_socket_exceptions.h"
#include "runtime/upper_case.h"

namespace vlm {

namespace {

std::mutex StackLock;
int UsageCount = 0;  // guarded by StackLock

bool IsDigit(char16_t C) {
  return C >= u'0' && C <= u'9';
}

int HexValue(char16_t C) {
  if (C >= u'0' && C <= u'9') return C - u'0';
  if (C >= u'a' && C <= u'f') return C - u'a' + 10;
  if (C >= u'A' && C <= u'F') return C - u'A' + 10;
  return -1;
}

// Four decimal numbers 0..255 joined by ".".
bool ParseDottedQuad(StringView Text, uint8_t* Bytes) {
  int Octet = 0;
  size_t I = 0;
  while (true) {
    int Value = 0;
    int Digits = 0;
    while (I < Text.size() && IsDigit(Text[I])) {
      ++Digits;
      Value = Value * 10 + (Text[I] - u'0');
      if (Value > 255) return false;  // stops before a long run of digits could overflow
      ++I;
    }
    if (Digits == 0 || Value > 255) return false;
    Bytes[Octet++] = static_cast<uint8_t>(Value);
    if (Octet == 4) return I == Text.size();
    if (I >= Text.size() || Text[I] != u'.') return false;
    ++I;
  }
}

bool ParseIPv6(StringView Text, uint8_t* Bytes) {
  uint16_t Groups[8] = {};
  int Count = 0;
  int Gap = -1;  // index of the group where "::" stands
  size_t I = 0;
  if (Text.starts_with(u"::")) {
    Gap = 0;
    I = 2;
    if (I == Text.size()) {
      std::fill(Bytes, Bytes + 16, 0);
      return true;
    }
  } else if (Text.empty() || Text[0] == u':') {
    return false;
  }
  while (I < Text.size()) {
    // A dotted IPv4 tail takes the last two groups.
    const size_t NextColon = Text.find(u':', I);
    const StringView Piece =
        Text.substr(I, NextColon == StringView::npos ? StringView::npos : NextColon - I);
    if (NextColon == StringView::npos && Piece.find(u'.') != StringView::npos) {
      uint8_t Quad[4];
      if (Count > 6 || !ParseDottedQuad(Piece, Quad)) return false;
      Groups[Count++] = static_cast<uint16_t>(Quad[0] << 8 | Quad[1]);
      Groups[Count++] = static_cast<uint16_t>(Quad[2] << 8 | Quad[3]);
      I = Text.size();
      break;
    }
    if (Piece.empty() || Piece.size() > 4 || Count == 8) return false;
    int Value = 0;
    for (char16_t C : Piece) {
      const int H = HexValue(C);
      if (H < 0) return false;
      Value = Value * 16 + H;
    }
    Groups[Count++] = static_cast<uint16_t>(Value);
    I += Piece.size();
    if (I == Text.size()) break;
    ++I;  // the ":"
    if (I < Text.size() && Text[I] == u':') {
      if (Gap >= 0) return false;  // only one "::"
      Gap = Count;
      ++I;
    } else if (I == Text.size()) {
      return false;  // a single trailing ":"
    }
  }
  if (Gap < 0 && Count != 8) return false;
  if (Gap >= 0 && Count > 7) return false;
  uint16_t Full[8] = {};
  if (Gap < 0) {
    std::copy(Groups, Groups + 8, Full);
  } else {
    const int Tail = Count - Gap;
    std::copy(Groups, Groups + Gap, Full);
    std::copy(Groups + Gap, Groups + Count, Full + 8 - Tail);
  }
  for (int G = 0; G < 8; ++G) {
    Bytes[2 * G] = static_cast<uint8_t>(Full[G] >> 8);
    Bytes[2 * G + 1] = static_cast<uint8_t>(Full[G] & 0xFF);
  }
  return true;
}

String Ascii(const std::string& Text) {
  return String(Text.begin(), Text.end());
}

}  // namespace

void TNetStack::Acquire() {
  std::lock_guard<std::mutex> Guard(StackLock);
  if (UsageCount == 0) {
    const SocketStartupResult Started = SocketStartup();
    using K = SocketStartupResult::TKind;
    if (Started.Kind == K::LibraryFailed)
      throw ENetStackInitializationFailed(u"Error on loading Winsock2 library (" + Started.Name +
                                          u")");
    if (Started.Kind == K::FunctionMissing)
      throw ENetWinsockStubError(u"Error on call to Winsock2 library function " + Started.Name);
  }
  ++UsageCount;
}

void TNetStack::Release() {
  std::lock_guard<std::mutex> Guard(StackLock);
  if (UsageCount == 0) return;
  if (--UsageCount == 0) SocketCleanup();
}

int TNetStack::UsageCountForTesting() {
  std::lock_guard<std::mutex> Guard(StackLock);
  return UsageCount;
}

bool TNetStack::IsIP(const String& AText) {
  uint8_t Bytes[4];
  return ParseDottedQuad(AText, Bytes);
}

String TNetStack::ResolveHost(const String& AHost, TNetIPVersion AIPVersion) {
  if (AIPVersion == TNetIPVersion::Net_IPv4) {
    if (UpperCase(AHost) == u"LOCALHOST") return u"127.0.0.1";
    if (IsIP(AHost)) return AHost;
  } else {
    if (auto Address = ParseIPAddress(AHost, AIPVersion)) return FormatIPAddress(*Address);
    if (!SocketHasModernResolver()) throw ENetIPv6Unavailable(kRSIPv6Unavailable);
  }
  SocketAddress Address;
  const int Code = SocketResolve(AHost, SocketFamilyOf(AIPVersion), Address);
  if (Code != 0) RaiseSocketError(Code);
  return FormatIPAddress(Address);
}

void TNetStack::RaiseSocketError(int ACode) {
  vlm::RaiseSocketError(ACode);
}

void TNetStack::RaiseLastSocketError() {
  vlm::RaiseSocketError(SocketLastError());
}

int SocketFamilyOf(TNetIPVersion AIPVersion) {
  return AIPVersion == TNetIPVersion::Net_IPv6 ? kSocketFamilyIPv6 : kSocketFamilyIPv4;
}

std::optional<SocketAddress> ParseIPAddress(const String& AText, TNetIPVersion AIPVersion) {
  SocketAddress Address;
  Address.Family = SocketFamilyOf(AIPVersion);
  const bool Valid = AIPVersion == TNetIPVersion::Net_IPv6 ? ParseIPv6(AText, Address.Bytes)
                                                           : ParseDottedQuad(AText, Address.Bytes);
  if (!Valid) return std::nullopt;
  return Address;
}

String FormatIPAddress(const SocketAddress& AAddress) {
  std::string Text;
  if (AAddress.Family == kSocketFamilyIPv6) {
    static const char kHex[] = "0123456789abcdef";
    for (int G = 0; G < 8; ++G) {
      if (G > 0) Text += ':';
      const unsigned Value = AAddress.Bytes[2 * G] << 8 | AAddress.Bytes[2 * G + 1];
      bool Started = false;
      for (int Shift = 12; Shift >= 0; Shift -= 4) {
        const unsigned Digit = (Value >> Shift) & 0xF;
        if (Digit == 0 && !Started && Shift > 0) continue;
        Started = true;
        Text += kHex[Digit];
      }
    }
  } else {
    for (int B = 0; B < 4; ++B) {
      if (B > 0) Text += '.';
      Text += std::to_string(AAddress.Bytes[B]);
    }
  }
  return Ascii(Text);
}

}  // namespace vlm
