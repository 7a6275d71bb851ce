// http/win32/tls_session_schannel.cpp -- the TLS client session of the Windows build, through the
// system's Schannel (SSPI) over memory buffers. Schannel's own certificate checks are switched
// off in favour of checks made here, because they are not dependable everywhere (wine's accepts
// any certificate): the chain is built for server authentication and any trust error in it
// refuses the server, then the SSL policy judges the chain and the server's DNS name, and an IP
// address is matched against the certificate's address entries here. A revocation status that
// cannot be learnt (offline, unknown) is tolerated as browsers do; a revoked certificate never.
#define SECURITY_WIN32
// The order matters: the socket headers before windows.h, and windows.h before the rest.
// clang-format off
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <wincrypt.h>
#include <schannel.h>
#include <security.h>
// clang-format on

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>

#include "http/tls_session.h"

namespace vlm {
namespace {

constexpr DWORD kContextFlags = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT |
                                ISC_REQ_CONFIDENTIALITY | ISC_REQ_EXTENDED_ERROR |
                                ISC_REQ_ALLOCATE_MEMORY | ISC_REQ_STREAM;

// The trust errors that only say that revocation could not be checked.
constexpr DWORD kRevocationUnknown =
    CERT_TRUST_REVOCATION_STATUS_UNKNOWN | CERT_TRUST_IS_OFFLINE_REVOCATION;

std::string Hex(int64_t ACode) {
  char Text[24];
  std::snprintf(Text, sizeof Text, "0x%08lX", static_cast<unsigned long>(ACode));
  return Text;
}

// "YYYY-MM-DD" of a certificate time (UTC).
std::string DayOf(const FILETIME& ATime) {
  SYSTEMTIME Day{};
  if (!::FileTimeToSystemTime(&ATime, &Day)) return "an unknown day";
  char Text[16];
  std::snprintf(Text, sizeof Text, "%04u-%02u-%02u", Day.wYear, Day.wMonth, Day.wDay);
  return Text;
}

// The 4 or 16 bytes of an IP address written as text; empty when AText is no address.
std::string AddressBytes(const String& AText) {
  const std::wstring Wide(AText.begin(), AText.end());
  in_addr V4{};
  if (::InetPtonW(AF_INET, Wide.c_str(), &V4) == 1)
    return std::string(reinterpret_cast<const char*>(&V4), sizeof V4);
  in6_addr V6{};
  if (::InetPtonW(AF_INET6, Wide.c_str(), &V6) == 1)
    return std::string(reinterpret_cast<const char*>(&V6), sizeof V6);
  return {};
}

// Whether the certificate's subject alternative names hold the address AAddress.
bool NamesAddress(PCCERT_CONTEXT ACert, const std::string& AAddress) {
  const CERT_EXTENSION* Ext = ::CertFindExtension(
      szOID_SUBJECT_ALT_NAME2, ACert->pCertInfo->cExtension, ACert->pCertInfo->rgExtension);
  if (!Ext) return false;
  CERT_ALT_NAME_INFO* Names = nullptr;
  DWORD Size = 0;
  if (!::CryptDecodeObjectEx(X509_ASN_ENCODING, X509_ALTERNATE_NAME, Ext->Value.pbData,
                             Ext->Value.cbData, CRYPT_DECODE_ALLOC_FLAG, nullptr, &Names, &Size))
    return false;
  bool Found = false;
  for (DWORD I = 0; I < Names->cAltEntry && !Found; ++I) {
    const CERT_ALT_NAME_ENTRY& Entry = Names->rgAltEntry[I];
    Found = Entry.dwAltNameChoice == CERT_ALT_NAME_IP_ADDRESS &&
            std::string(reinterpret_cast<const char*>(Entry.IPAddress.pbData),
                        Entry.IPAddress.cbData) == AAddress;
  }
  ::LocalFree(Names);
  return Found;
}

class TSchannelSession final : public TTlsSession {
public:
  explicit TSchannelSession(const String& AServerName)
      : FServer(AServerName),
        FServerWide(AServerName.begin(), AServerName.end()),
        FAddress(AddressBytes(AServerName)) {
    SCHANNEL_CRED Cred{};
    Cred.dwVersion = SCHANNEL_CRED_VERSION;
    Cred.grbitEnabledProtocols = SP_PROT_TLS1_2_CLIENT;
    Cred.dwFlags =
        SCH_CRED_MANUAL_CRED_VALIDATION | SCH_CRED_NO_DEFAULT_CREDS | SCH_USE_STRONG_CRYPTO;
    TimeStamp Expiry;
    const SECURITY_STATUS Status = ::AcquireCredentialsHandleW(
        nullptr, const_cast<wchar_t*>(UNISP_NAME_W), SECPKG_CRED_OUTBOUND, nullptr, &Cred, nullptr,
        nullptr, &FCred, &Expiry);
    if (Status != SEC_E_OK) Fail("preparing a secure connection", Status);
    FHaveCred = true;
  }

  ~TSchannelSession() override {
    if (FHaveContext) ::DeleteSecurityContext(&FContext);
    if (FHaveCred) ::FreeCredentialsHandle(&FCred);
  }

  void PutReceived(const void* AData, size_t ALength) override {
    // The used head goes before new bytes come, so every record stays one run of bytes.
    FReceived.erase(0, FReceivedStart);
    FReceivedStart = 0;
    FReceived.append(static_cast<const char*>(AData), ALength);
  }

  std::string TakeOutgoing() override { return std::exchange(FOutgoing, {}); }

  bool Handshake() override {
    if (FDone) return true;
    SecBuffer OutBuffer{0, SECBUFFER_TOKEN, nullptr};
    SecBufferDesc Out{SECBUFFER_VERSION, 1, &OutBuffer};
    SecBuffer InBuffers[2] = {
        {static_cast<unsigned long>(FReceived.size()), SECBUFFER_TOKEN, FReceived.data()},
        {0, SECBUFFER_EMPTY, nullptr}};
    SecBufferDesc In{SECBUFFER_VERSION, 2, InBuffers};
    ULONG Attributes = 0;
    TimeStamp Expiry;
    SECURITY_STATUS Status;
    if (!FHaveContext) {
      Status = ::InitializeSecurityContextW(&FCred, nullptr, FServerWide.data(), kContextFlags, 0,
                                            0, nullptr, 0, &FContext, &Out, &Attributes, &Expiry);
      if (Status == SEC_I_CONTINUE_NEEDED || Status == SEC_E_OK) FHaveContext = true;
    } else {
      if (FReceived.empty()) return false;
      Status = ::InitializeSecurityContextW(&FCred, &FContext, FServerWide.data(), kContextFlags, 0,
                                            0, &In, 0, nullptr, &Out, &Attributes, &Expiry);
    }
    if (OutBuffer.pvBuffer) {
      if (OutBuffer.cbBuffer > 0 && (Status == SEC_I_CONTINUE_NEEDED || Status == SEC_E_OK))
        FOutgoing.append(static_cast<const char*>(OutBuffer.pvBuffer), OutBuffer.cbBuffer);
      ::FreeContextBuffer(OutBuffer.pvBuffer);
    }
    if (Status == SEC_E_INCOMPLETE_MESSAGE) return false;
    if (Status != SEC_I_CONTINUE_NEEDED && Status != SEC_E_OK &&
        Status != SEC_I_INCOMPLETE_CREDENTIALS) {
      FCode = Status;
      if (Status == SEC_E_UNSUPPORTED_FUNCTION || Status == SEC_E_ALGORITHM_MISMATCH ||
          Status == SEC_E_ILLEGAL_MESSAGE || Status == SEC_E_INTERNAL_ERROR)
        throw ENetTlsError(u"The server " + FServer +
                           u" does not offer a secure connection of TLS 1.2 or newer (the "
                           u"system's code " +
                           Utf8ToString(Hex(Status)) + u").");
      Fail("negotiating", Status);
    }
    // What the call did not use (the start of the next record) stays for the next one.
    if (FHaveContext && InBuffers[1].BufferType == SECBUFFER_EXTRA)
      FReceived.erase(0, FReceived.size() - InBuffers[1].cbBuffer);
    else if (FHaveContext && Status != SEC_E_INCOMPLETE_MESSAGE)
      FReceived.clear();
    if (Status != SEC_E_OK) return false;
    CheckCertificate();
    if (::QueryContextAttributesW(&FContext, SECPKG_ATTR_STREAM_SIZES, &FSizes) != SEC_E_OK)
      Fail("reading the record sizes", ::GetLastError());
    FDone = true;
    return true;
  }

  void Encrypt(const void* AData, size_t ALength) override {
    const char* Data = static_cast<const char*>(AData);
    while (ALength > 0) {
      const size_t Part = std::min<size_t>(ALength, FSizes.cbMaximumMessage);
      std::string Record(FSizes.cbHeader + Part + FSizes.cbTrailer, '\0');
      std::memcpy(Record.data() + FSizes.cbHeader, Data, Part);
      SecBuffer Buffers[4] = {
          {FSizes.cbHeader, SECBUFFER_STREAM_HEADER, Record.data()},
          {static_cast<unsigned long>(Part), SECBUFFER_DATA, Record.data() + FSizes.cbHeader},
          {FSizes.cbTrailer, SECBUFFER_STREAM_TRAILER, Record.data() + FSizes.cbHeader + Part},
          {0, SECBUFFER_EMPTY, nullptr}};
      SecBufferDesc Desc{SECBUFFER_VERSION, 4, Buffers};
      const SECURITY_STATUS Status = ::EncryptMessage(&FContext, 0, &Desc, 0);
      if (Status != SEC_E_OK) Fail("sending", Status);
      FOutgoing.append(Record.data(),
                       Buffers[0].cbBuffer + Buffers[1].cbBuffer + Buffers[2].cbBuffer);
      Data += Part;
      ALength -= Part;
    }
  }

  int64_t Decrypt(void* ABuffer, size_t ALength) override {
    while (FPlain.empty()) {
      if (FReceivedStart == FReceived.size()) return 0;
      // Records are decrypted in place, one after the other, from the first one not yet used:
      // one receive may bring many of them, and what follows one is never moved.
      SecBuffer Buffers[4] = {{static_cast<unsigned long>(FReceived.size() - FReceivedStart),
                               SECBUFFER_DATA, FReceived.data() + FReceivedStart},
                              {0, SECBUFFER_EMPTY, nullptr},
                              {0, SECBUFFER_EMPTY, nullptr},
                              {0, SECBUFFER_EMPTY, nullptr}};
      SecBufferDesc Desc{SECBUFFER_VERSION, 4, Buffers};
      const SECURITY_STATUS Status = ::DecryptMessage(&FContext, &Desc, 0, nullptr);
      if (Status == SEC_E_INCOMPLETE_MESSAGE) return 0;
      if (Status == SEC_I_CONTEXT_EXPIRED) return -1;  // the server's closing alert
      if (Status != SEC_E_OK) Fail("receiving", Status);
      size_t Extra = 0;  // the bytes after the record, at the end of what was given
      for (const SecBuffer& B : Buffers) {
        if (B.BufferType == SECBUFFER_DATA)
          FPlain.append(static_cast<const char*>(B.pvBuffer), B.cbBuffer);
        else if (B.BufferType == SECBUFFER_EXTRA)
          Extra = B.cbBuffer;
      }
      FReceivedStart = FReceived.size() - std::min(Extra, FReceived.size() - FReceivedStart);
      if (FReceivedStart == FReceived.size()) {
        FReceived.clear();
        FReceivedStart = 0;
      }
    }
    const size_t Count = std::min(ALength, FPlain.size());
    std::memcpy(ABuffer, FPlain.data(), Count);
    FPlain.erase(0, Count);
    return static_cast<int64_t>(Count);
  }

  void Shutdown() override {
    if (!FDone) return;
    DWORD Token = SCHANNEL_SHUTDOWN;
    SecBuffer TokenBuffer{sizeof Token, SECBUFFER_TOKEN, &Token};
    SecBufferDesc TokenDesc{SECBUFFER_VERSION, 1, &TokenBuffer};
    if (::ApplyControlToken(&FContext, &TokenDesc) != SEC_E_OK) return;
    SecBuffer OutBuffer{0, SECBUFFER_TOKEN, nullptr};
    SecBufferDesc Out{SECBUFFER_VERSION, 1, &OutBuffer};
    ULONG Attributes = 0;
    TimeStamp Expiry;
    ::InitializeSecurityContextW(&FCred, &FContext, FServerWide.data(), kContextFlags, 0, 0,
                                 nullptr, 0, nullptr, &Out, &Attributes, &Expiry);
    if (OutBuffer.pvBuffer) {
      FOutgoing.append(static_cast<const char*>(OutBuffer.pvBuffer), OutBuffer.cbBuffer);
      ::FreeContextBuffer(OutBuffer.pvBuffer);
    }
  }

  int64_t SystemCode() const override { return FCode; }

private:
  [[noreturn]] void Fail(const char* AStep, int64_t ACode) {
    FCode = ACode;
    throw ENetTlsError(u"The secure connection to " + FServer + u" failed while " +
                       Utf8ToString(AStep) + u" (the system's code " + Utf8ToString(Hex(ACode)) +
                       u").");
  }

  [[noreturn]] void Refuse(const std::string& AProblem, int64_t ACode) {
    FCode = ACode;
    throw ENetTlsCertificateError(u"The server " + FServer +
                                  u" presented a certificate that is not trusted (" +
                                  Utf8ToString(AProblem) + u").");
  }

  // The server's certificate: a chain for server authentication without trust errors, accepted
  // by the SSL policy for the server's DNS name, or naming the server's IP address.
  void CheckCertificate() {
    PCCERT_CONTEXT Leaf = nullptr;
    if (::QueryContextAttributesW(&FContext, SECPKG_ATTR_REMOTE_CERT_CONTEXT, &Leaf) != SEC_E_OK ||
        !Leaf)
      Refuse("it sent none", SEC_E_CERT_UNKNOWN);
    struct TRelease {
      PCCERT_CONTEXT Leaf;
      PCCERT_CHAIN_CONTEXT Chain = nullptr;
      ~TRelease() {
        if (Chain) ::CertFreeCertificateChain(Chain);
        ::CertFreeCertificateContext(Leaf);
      }
    } Held{Leaf};

    char ServerAuth[] = szOID_PKIX_KP_SERVER_AUTH;
    LPSTR Usages[] = {ServerAuth};
    CERT_CHAIN_PARA ChainPara{};
    ChainPara.cbSize = sizeof ChainPara;
    ChainPara.RequestedUsage.dwType = USAGE_MATCH_TYPE_AND;
    ChainPara.RequestedUsage.Usage.cUsageIdentifier = 1;
    ChainPara.RequestedUsage.Usage.rgpszUsageIdentifier = Usages;
    if (!::CertGetCertificateChain(nullptr, Leaf, nullptr, Leaf->hCertStore, &ChainPara,
                                   CERT_CHAIN_REVOCATION_CHECK_CHAIN_EXCLUDE_ROOT, nullptr,
                                   &Held.Chain))
      Refuse("its chain could not be built", ::GetLastError());

    const DWORD Trust = Held.Chain->TrustStatus.dwErrorStatus & ~kRevocationUnknown;
    if (Trust & CERT_TRUST_IS_REVOKED) Refuse("it has been revoked", Trust);
    if (Trust & CERT_TRUST_IS_NOT_TIME_VALID) {
      FILETIME Now;
      ::GetSystemTimeAsFileTime(&Now);
      if (::CompareFileTime(&Now, &Leaf->pCertInfo->NotBefore) < 0)
        Refuse("not valid before " + DayOf(Leaf->pCertInfo->NotBefore), Trust);
      Refuse("expired on " + DayOf(Leaf->pCertInfo->NotAfter), Trust);
    }
    if (Trust & CERT_TRUST_IS_NOT_VALID_FOR_USAGE) Refuse("it is not meant for web servers", Trust);
    if (Trust != 0) Refuse("it is not issued by an authority this computer trusts", Trust);

    SSL_EXTRA_CERT_CHAIN_POLICY_PARA Extra{};
    Extra.cbSize = sizeof Extra;
    Extra.dwAuthType = AUTHTYPE_SERVER;
    // An address is matched here (not every policy matches address entries); a name by the policy.
    Extra.pwszServerName = FAddress.empty() ? FServerWide.data() : nullptr;
    CERT_CHAIN_POLICY_PARA PolicyPara{};
    PolicyPara.cbSize = sizeof PolicyPara;
    PolicyPara.pvExtraPolicyPara = &Extra;
    CERT_CHAIN_POLICY_STATUS Policy{};
    Policy.cbSize = sizeof Policy;
    if (!::CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, Held.Chain, &PolicyPara,
                                            &Policy))
      Refuse("its chain could not be judged", ::GetLastError());
    switch (static_cast<HRESULT>(Policy.dwError)) {
      case S_OK:
      case CRYPT_E_NO_REVOCATION_CHECK:
      case CRYPT_E_REVOCATION_OFFLINE:
      case CERT_E_REVOCATION_FAILURE: break;  // revocation could not be learnt: tolerated
      case CERT_E_CN_NO_MATCH:
        Refuse("it is issued for another name than " + StringToUtf8(FServer), Policy.dwError);
      case CERT_E_EXPIRED: Refuse("expired on " + DayOf(Leaf->pCertInfo->NotAfter), Policy.dwError);
      case CRYPT_E_REVOKED: Refuse("it has been revoked", Policy.dwError);
      case CERT_E_UNTRUSTEDROOT:
      case CERT_E_CHAINING:
        Refuse("it is not issued by an authority this computer trusts", Policy.dwError);
      default: Refuse("the system's code " + Hex(Policy.dwError), Policy.dwError);
    }
    if (!FAddress.empty() && !NamesAddress(Leaf, FAddress))
      Refuse("it is issued for another name than " + StringToUtf8(FServer), CERT_E_CN_NO_MATCH);
  }

  String FServer;
  std::wstring FServerWide;
  std::string FAddress;  // the server's address bytes when it is named by one
  CredHandle FCred{};
  CtxtHandle FContext{};
  bool FHaveCred = false, FHaveContext = false, FDone = false;
  SecPkgContext_StreamSizes FSizes{};
  std::string FReceived;      // received bytes; those before FReceivedStart are used
  size_t FReceivedStart = 0;  // always 0 during the handshake
  std::string FOutgoing;      // bytes for the server
  std::string FPlain;         // decrypted bytes not yet taken
  int64_t FCode = 0;
};

}  // namespace

std::unique_ptr<TTlsSession> MakeTlsClientSession(const String& AServerName) {
  return std::make_unique<TSchannelSession>(AServerName);
}

}  // namespace vlm
