// tests/e2e/trust_test_ca.cpp -- adds a test certificate authority to the current user's Root
// store of the wine prefix it runs in, or removes it again, so that tests can make the Windows
// build trust their own loopback servers without touching the machine's store.
//   trust_test_ca add|remove CA.pem
// Exit 0 when done, 1 on failure (with one line saying why), 2 on wrong usage.
#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

int Fail(const char* AWhat) {
  std::fprintf(stderr, "trust_test_ca: %s (error %lu)\n", AWhat, ::GetLastError());
  return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3 || (std::wstring(argv[1]) != L"add" && std::wstring(argv[1]) != L"remove")) {
    std::fprintf(stderr, "usage: trust_test_ca add|remove CA.pem\n");
    return 2;
  }
  std::ifstream In(argv[2], std::ios::binary);
  const std::string Pem((std::istreambuf_iterator<char>(In)), std::istreambuf_iterator<char>());
  DWORD Size = 0;
  if (Pem.empty() || !::CryptStringToBinaryA(Pem.c_str(), static_cast<DWORD>(Pem.size()),
                                             CRYPT_STRING_BASE64HEADER, nullptr, &Size, nullptr,
                                             nullptr))
    return Fail("cannot read the certificate");
  std::vector<BYTE> Der(Size);
  ::CryptStringToBinaryA(Pem.c_str(), static_cast<DWORD>(Pem.size()), CRYPT_STRING_BASE64HEADER,
                         Der.data(), &Size, nullptr, nullptr);
  HCERTSTORE Store = ::CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0,
                                     CERT_SYSTEM_STORE_CURRENT_USER, L"Root");
  if (!Store) return Fail("cannot open the current user's Root store");
  int Result = 0;
  if (std::wstring(argv[1]) == L"add") {
    if (!::CertAddEncodedCertificateToStore(Store, X509_ASN_ENCODING, Der.data(), Size,
                                            CERT_STORE_ADD_REPLACE_EXISTING, nullptr))
      Result = Fail("cannot add the certificate");
  } else {
    PCCERT_CONTEXT Given = ::CertCreateCertificateContext(X509_ASN_ENCODING, Der.data(), Size);
    PCCERT_CONTEXT Held =
        Given ? ::CertFindCertificateInStore(Store, X509_ASN_ENCODING, 0, CERT_FIND_EXISTING,
                                             Given, nullptr)
              : nullptr;
    if (Held && !::CertDeleteCertificateFromStore(Held)) Result = Fail("cannot remove it");
    if (Given) ::CertFreeCertificateContext(Given);
  }
  ::CertCloseStore(Store, 0);
  return Result;
}
