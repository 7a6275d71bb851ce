// tests/support/tls_test_server.h -- a TLS server on 127.0.0.1 for the native TLS tests, and the
// certificates it presents, made in memory with OpenSSL: an authority, and server certificates
// with chosen names (DNS and IP entries) and validity. The server accepts connections on its own
// thread, completes the handshake (or fails it), records the decrypted bytes it receives and
// answers each connection with fixed bytes once it has received a request head. Every wait is
// bounded; the destructor stops the thread.
#pragma once

#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "http/net_stack.h"
#include "runtime/socket.h"
#include "tests/support/loopback_server.h"

namespace vlm::test {

using TKey = std::unique_ptr<EVP_PKEY, decltype(&::EVP_PKEY_free)>;
using TCert = std::unique_ptr<X509, decltype(&::X509_free)>;

struct TIssuedCert {
  TKey Key{nullptr, ::EVP_PKEY_free};
  TCert Cert{nullptr, ::X509_free};
};

// A certificate for ASubject with the key it holds, signed by AIssuer (self-signed when null),
// valid from ADaysFrom to ADaysTo days from now. AAltNames: "DNS:localhost,IP:127.0.0.1" or
// empty; an authority gets the CA constraint instead.
inline TIssuedCert IssueCert(const std::string& ASubject, const TIssuedCert* AIssuer,
                             const std::string& AAltNames, long ADaysFrom = -1, long ADaysTo = 30) {
  TIssuedCert Made;
  Made.Key.reset(::EVP_RSA_gen(2048));
  Made.Cert.reset(::X509_new());
  X509* C = Made.Cert.get();
  ::X509_set_version(C, 2);
  static std::atomic<long> Serial{1};
  ::ASN1_INTEGER_set(::X509_get_serialNumber(C), Serial++);
  ::X509_gmtime_adj(::X509_getm_notBefore(C), ADaysFrom * 86400);
  ::X509_gmtime_adj(::X509_getm_notAfter(C), ADaysTo * 86400);
  ::X509_set_pubkey(C, Made.Key.get());
  X509_NAME* Name = ::X509_get_subject_name(C);
  ::X509_NAME_add_entry_by_txt(Name, "CN", MBSTRING_UTF8,
                               reinterpret_cast<const unsigned char*>(ASubject.c_str()), -1, -1, 0);
  X509* Issuer = AIssuer ? AIssuer->Cert.get() : C;
  ::X509_set_issuer_name(C, ::X509_get_subject_name(Issuer));
  X509V3_CTX Context;
  X509V3_set_ctx(&Context, Issuer, C, nullptr, nullptr, 0);
  const auto Extend = [&](int ANid, const std::string& AValue) {
    X509_EXTENSION* Ext = ::X509V3_EXT_conf_nid(nullptr, &Context, ANid, AValue.c_str());
    ::X509_add_ext(C, Ext, -1);
    ::X509_EXTENSION_free(Ext);
  };
  if (AAltNames.empty()) {
    Extend(NID_basic_constraints, "critical,CA:TRUE");
    Extend(NID_key_usage, "critical,keyCertSign,cRLSign");
  } else {
    Extend(NID_subject_alt_name, AAltNames);
    Extend(NID_ext_key_usage, "serverAuth");
  }
  ::X509_sign(C, AIssuer ? AIssuer->Key.get() : Made.Key.get(), ::EVP_sha256());
  return Made;
}

// The certificate as PEM text.
inline std::string PemOf(const X509* ACert) {
  BIO* Out = ::BIO_new(::BIO_s_mem());
  ::PEM_write_bio_X509(Out, const_cast<X509*>(ACert));
  char* Data = nullptr;
  const long Length = BIO_get_mem_data(Out, &Data);
  std::string Text(Data, static_cast<size_t>(Length));
  ::BIO_free(Out);
  return Text;
}

class TlsTestServer {
public:
  struct Options {
    const TIssuedCert* Server = nullptr;  // the certificate presented
    const TIssuedCert* Chain = nullptr;   // an authority sent after it, when set
    int MaxVersion = 0;                   // e.g. TLS1_1_VERSION for an old server; 0: newest
    std::string Reply;                    // sent once a request head has arrived
  };

  explicit TlsTestServer(Options AOptions) : FOptions(std::move(AOptions)) {
    TNetStack::Acquire();
    FContext.reset(::SSL_CTX_new(::TLS_server_method()));
    ::SSL_CTX_use_certificate(FContext.get(), FOptions.Server->Cert.get());
    ::SSL_CTX_use_PrivateKey(FContext.get(), FOptions.Server->Key.get());
    if (FOptions.Chain) ::SSL_CTX_add1_chain_cert(FContext.get(), FOptions.Chain->Cert.get());
    if (FOptions.MaxVersion) {
      ::SSL_CTX_set_security_level(FContext.get(), 0);  // let the old versions be offered
      ::SSL_CTX_set_min_proto_version(FContext.get(), TLS1_VERSION);
      ::SSL_CTX_set_max_proto_version(FContext.get(), FOptions.MaxVersion);
    }
    FListener = ListenOnLoopback(1, FPort);
    if (FListener == kNoSocketRaw) return;
    FThread = std::thread([this] { Run(); });
  }

  ~TlsTestServer() {
    FStop = true;
    if (FThread.joinable()) FThread.join();
    SocketClose(FListener);
    TNetStack::Release();
  }

  TlsTestServer(const TlsTestServer&) = delete;
  TlsTestServer& operator=(const TlsTestServer&) = delete;

  int Port() const { return FPort; }
  int Handshakes() const { return FHandshakes; }
  std::string Received() {
    std::lock_guard<std::mutex> Guard(FLock);
    return FReceived;
  }

  static constexpr std::chrono::seconds kBound{10};

private:
  void Run() {
    while (!FStop) {
      if (SocketWaitReadable(FListener, 50) != SocketWaitResult::Ready) continue;
      const SocketRaw Client = SocketAccept(FListener);
      if (Client == kNoSocketRaw) continue;
      Serve(Client);
      SocketClose(Client);
    }
  }

  void Serve(SocketRaw AClient) {
    std::unique_ptr<SSL, decltype(&::SSL_free)> Ssl(::SSL_new(FContext.get()), ::SSL_free);
    ::SSL_set_fd(Ssl.get(), static_cast<int>(AClient));
    if (::SSL_accept(Ssl.get()) != 1) {
      ::ERR_clear_error();
      return;
    }
    ++FHandshakes;
    const auto Deadline = std::chrono::steady_clock::now() + kBound;
    std::string Head;
    while (!FStop && std::chrono::steady_clock::now() < Deadline) {
      if (::SSL_pending(Ssl.get()) == 0 &&
          SocketWaitReadable(AClient, 50) != SocketWaitResult::Ready)
        continue;
      char Buffer[4096];
      size_t Got = 0;
      if (::SSL_read_ex(Ssl.get(), Buffer, sizeof Buffer, &Got) != 1) break;
      {
        std::lock_guard<std::mutex> Guard(FLock);
        FReceived.append(Buffer, Got);
      }
      Head.append(Buffer, Got);
      if (Head.find("\r\n\r\n") != std::string::npos) {
        Head.clear();
        for (size_t Done = 0; Done < FOptions.Reply.size();) {
          size_t Sent = 0;
          if (::SSL_write_ex(Ssl.get(), FOptions.Reply.data() + Done, FOptions.Reply.size() - Done,
                             &Sent) != 1)
            return;
          Done += Sent;
        }
      }
    }
    ::SSL_shutdown(Ssl.get());
    ::ERR_clear_error();
  }

  Options FOptions;
  std::unique_ptr<SSL_CTX, decltype(&::SSL_CTX_free)> FContext{nullptr, ::SSL_CTX_free};
  SocketRaw FListener = kNoSocketRaw;
  int FPort = 0;
  std::thread FThread;
  std::atomic<bool> FStop{false};
  std::atomic<int> FHandshakes{0};
  std::mutex FLock;
  std::string FReceived;
};

}  // namespace vlm::test
