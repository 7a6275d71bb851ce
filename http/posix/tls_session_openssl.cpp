// http/posix/tls_session_openssl.cpp -- the TLS client session of the native build, with OpenSSL's
// libssl over memory buffers: the peer's certificate chain is verified against the system's
// trust store (SSL_CERT_FILE / SSL_CERT_DIR name another one, as for every OpenSSL program) and
// must name the server, by DNS name or IP address.
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <cstdio>
#include <ctime>

#include "http/tls_session.h"

namespace vlm {
namespace {

// The oldest error OpenSSL queued for this thread, as its reason text; the queue is emptied.
std::string TakeOpenSslError(unsigned long& ACode) {
  ACode = ::ERR_get_error();
  ::ERR_clear_error();
  if (ACode == 0) return "no further detail";
  char Text[256];
  ::ERR_error_string_n(ACode, Text, sizeof Text);
  const char* Reason = ::ERR_reason_error_string(ACode);
  return Reason ? Reason : Text;
}

// "YYYY-MM-DD" of a certificate time.
std::string DayOf(const ASN1_TIME* ATime) {
  std::tm Day{};
  if (!ATime || ::ASN1_TIME_to_tm(ATime, &Day) != 1) return "an unknown day";
  char Text[16];
  std::strftime(Text, sizeof Text, "%Y-%m-%d", &Day);
  return Text;
}

class TOpenSslSession final : public TTlsSession {
public:
  explicit TOpenSslSession(const String& AServerName) : FServer(StringToUtf8(AServerName)) {
    FContext.reset(::SSL_CTX_new(::TLS_client_method()));
    if (!FContext) Fail("preparing a secure connection");
    ::SSL_CTX_set_min_proto_version(FContext.get(), TLS1_2_VERSION);
    ::SSL_CTX_set_verify(FContext.get(), SSL_VERIFY_PEER, &NoteProblemCertificate);
    if (::SSL_CTX_set_default_verify_paths(FContext.get()) != 1)
      Fail("reading the trusted authorities");
    FSsl.reset(::SSL_new(FContext.get()));
    if (!FSsl) Fail("preparing a secure connection");
    BIO* In = ::BIO_new(::BIO_s_mem());
    BIO* Out = ::BIO_new(::BIO_s_mem());
    if (!In || !Out) {
      ::BIO_free(In);
      ::BIO_free(Out);
      Fail("preparing a secure connection");
    }
    ::SSL_set_bio(FSsl.get(), In, Out);  // the session owns both from here
    FIn = In;
    FOut = Out;
    ::SSL_set_connect_state(FSsl.get());
    SSL_set_app_data(FSsl.get(), this);
    // The name the certificate must carry: an IP address is matched against the address
    // entries, anything else against the DNS names, and then also sent as the server name.
    X509_VERIFY_PARAM* Param = ::SSL_get0_param(FSsl.get());
    if (::X509_VERIFY_PARAM_set1_ip_asc(Param, FServer.c_str()) != 1) {
      ::ERR_clear_error();
      if (::SSL_set1_host(FSsl.get(), FServer.c_str()) != 1 ||
          ::SSL_set_tlsext_host_name(FSsl.get(), FServer.c_str()) != 1)
        Fail("naming the server");
    }
  }

  void PutReceived(const void* AData, size_t ALength) override {
    if (ALength > 0 &&
        ::BIO_write(FIn, AData, static_cast<int>(ALength)) != static_cast<int>(ALength))
      Fail("buffering received data");
  }

  std::string TakeOutgoing() override {
    std::string Bytes(static_cast<size_t>(BIO_pending(FOut)), '\0');
    if (!Bytes.empty()) {
      const int Read = ::BIO_read(FOut, Bytes.data(), static_cast<int>(Bytes.size()));
      Bytes.resize(Read > 0 ? static_cast<size_t>(Read) : 0);
    }
    return Bytes;
  }

  bool Handshake() override {
    const int Result = ::SSL_do_handshake(FSsl.get());
    if (Result == 1) return true;
    const int Error = ::SSL_get_error(FSsl.get(), Result);
    if (Error == SSL_ERROR_WANT_READ || Error == SSL_ERROR_WANT_WRITE) return false;
    const long Verified = ::SSL_get_verify_result(FSsl.get());
    if (Verified != X509_V_OK) {
      FCode = Verified;
      ::ERR_clear_error();
      throw ENetTlsCertificateError(Utf8ToString("The server " + FServer +
                                                 " presented a certificate that is not trusted (" +
                                                 CertificateProblem(Verified) + ")."));
    }
    unsigned long Code = 0;
    const std::string Reason = TakeOpenSslError(Code);
    FCode = static_cast<int64_t>(Code);
    const int Why = ERR_GET_REASON(Code);
    if (Why == SSL_R_UNSUPPORTED_PROTOCOL || Why == SSL_R_TLSV1_ALERT_PROTOCOL_VERSION ||
        Why == SSL_R_NO_PROTOCOLS_AVAILABLE || Why == SSL_R_WRONG_VERSION_NUMBER)
      throw ENetTlsError(Utf8ToString("The server " + FServer +
                                      " does not offer a secure connection of TLS 1.2 or newer."));
    throw ENetTlsError(
        Utf8ToString("The secure connection to " + FServer + " failed (" + Reason + ")."));
  }

  void Encrypt(const void* AData, size_t ALength) override {
    size_t Written = 0;
    if (ALength > 0 && ::SSL_write_ex(FSsl.get(), AData, ALength, &Written) != 1) Fail("sending");
  }

  int64_t Decrypt(void* ABuffer, size_t ALength) override {
    size_t Read = 0;
    const int Result = ::SSL_read_ex(FSsl.get(), ABuffer, ALength, &Read);
    if (Result == 1) return static_cast<int64_t>(Read);
    const int Error = ::SSL_get_error(FSsl.get(), Result);
    if (Error == SSL_ERROR_WANT_READ || Error == SSL_ERROR_WANT_WRITE) return 0;
    if (Error == SSL_ERROR_ZERO_RETURN) return -1;
    Fail("receiving");
  }

  void Shutdown() override {
    ::SSL_shutdown(FSsl.get());
    ::ERR_clear_error();
  }

  int64_t SystemCode() const override { return FCode; }

private:
  // The verification's callback: keeps the validity of the certificate that failed on its dates
  // (the peer's certificate is not kept when the handshake fails), and leaves the verdict alone.
  static int NoteProblemCertificate(int AOk, X509_STORE_CTX* AStore) {
    if (AOk) return AOk;
    auto* Ssl = static_cast<SSL*>(
        ::X509_STORE_CTX_get_ex_data(AStore, ::SSL_get_ex_data_X509_STORE_CTX_idx()));
    auto* Self = Ssl ? static_cast<TOpenSslSession*>(SSL_get_app_data(Ssl)) : nullptr;
    const X509* Cert = ::X509_STORE_CTX_get_current_cert(AStore);
    if (Self && Cert && Self->FNotAfter.empty()) {
      Self->FNotBefore = DayOf(::X509_get0_notBefore(Cert));
      Self->FNotAfter = DayOf(::X509_get0_notAfter(Cert));
    }
    return AOk;
  }

  [[noreturn]] void Fail(const char* AStep) {
    unsigned long Code = 0;
    const std::string Reason = TakeOpenSslError(Code);
    FCode = static_cast<int64_t>(Code);
    throw ENetTlsError(Utf8ToString("The secure connection to " + FServer + " failed while " +
                                    AStep + " (" + Reason + ")."));
  }

  // What is wrong with the certificate, in words a person can act on.
  std::string CertificateProblem(long AVerified) const {
    switch (AVerified) {
      case X509_V_ERR_CERT_HAS_EXPIRED: return "expired on " + FNotAfter;
      case X509_V_ERR_CERT_NOT_YET_VALID: return "not valid before " + FNotBefore;
      case X509_V_ERR_HOSTNAME_MISMATCH:
      case X509_V_ERR_IP_ADDRESS_MISMATCH: return "it is issued for another name than " + FServer;
      case X509_V_ERR_CERT_REVOKED: return "it has been revoked";
      case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
      case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
      case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
      case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
      case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
      case X509_V_ERR_CERT_SIGNATURE_FAILURE:
        return "it is not issued by an authority this computer trusts";
      default: return ::X509_verify_cert_error_string(AVerified);
    }
  }

  std::string FServer;
  std::unique_ptr<SSL_CTX, decltype(&::SSL_CTX_free)> FContext{nullptr, ::SSL_CTX_free};
  std::unique_ptr<SSL, decltype(&::SSL_free)> FSsl{nullptr, ::SSL_free};
  BIO* FIn = nullptr;   // received bytes, read by the session
  BIO* FOut = nullptr;  // bytes the session wrote for the server
  int64_t FCode = 0;
  std::string FNotBefore, FNotAfter;  // validity of the first certificate that failed
};

}  // namespace

std::unique_ptr<TTlsSession> MakeTlsClientSession(const String& AServerName) {
  return std::make_unique<TOpenSslSession>(AServerName);
}

}  // namespace vlm
