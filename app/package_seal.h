// app/package_seal.h -- the seal a deployment descriptor may put on its menu package: the keys
// Size (the package's length in bytes, decimal) and SHA256 (its SHA-256 digest as 64 hexadecimal
// digits, either case) of section [vlmv2menu]. A sealed package is checked after its download,
// before anything is saved or unpacked; a descriptor without either key changes nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

#include "ini/custom_ini_file.h"
#include "runtime/exception.h"
#include "runtime/sha256.h"

namespace vlm {

// A malformed seal, or a package that does not match its seal.
VLM_DECLARE_EXCEPTION(EPackageSeal, Exception);

inline constexpr char16_t kSealSection[] = u"vlmv2menu";
inline constexpr char16_t kSealSizeKey[] = u"Size";
inline constexpr char16_t kSealHashKey[] = u"SHA256";

struct TPackageSeal {
  std::optional<uint64_t> Size;
  std::optional<TSha256Digest> Sha256;
  bool Present() const { return Size.has_value() || Sha256.has_value(); }
};

// The most bytes the setup program takes for each of its downloads: a server that sends more
// (or announces more) fails the download, and nothing of it is saved.
inline constexpr int64_t kDescriptorMaxSize = 1024 * 1024;
inline constexpr int64_t kReleaseInfoMaxSize = 1024 * 1024;
inline constexpr int64_t kPackageDefaultMaxSize = 512 * 1024 * 1024;

// The limit for the menu package: kPackageDefaultMaxSize, or the seal's Size when that is larger,
// never above the HTTP client's own limit of 2,147,483,647 bytes.
int64_t PackageSizeLimit(const TPackageSeal& Seal);

// The descriptor's seal. A key that is there with a value that is not a decimal byte count or
// not 64 hexadecimal digits raises EPackageSeal naming the key and the value.
TPackageSeal ReadPackageSeal(const TCustomIniFile& Descriptor);

// What a received package is, and whether it matches a seal.
struct TPackageCheck {
  uint64_t Size = 0;
  TSha256Digest Sha256{};
  bool Matches = false;
  // "1234 bytes with SHA-256 <hex>": the received package, as the messages and the log say it.
  String Received() const;
};

// With AfterBlock the digest is taken in blocks of kPackageHashBlock bytes and AfterBlock runs
// after each (the window keeps answering meanwhile); the result is the same.
inline constexpr size_t kPackageHashBlock = 1024 * 1024;
TPackageCheck CheckPackage(const TPackageSeal& Seal, const void* Data, size_t Size,
                           const std::function<void()>& AfterBlock = {});

// What the seal promises: "1234 bytes with SHA-256 <hex>", "1234 bytes" or "SHA-256 <hex>".
String DescribeSeal(const TPackageSeal& Seal);

// "The menu package from <url> is damaged: expected <seal>, received <package>."
String DamagedPackageMessage(const String& Url, const TPackageSeal& Seal,
                             const TPackageCheck& Check);

}  // namespace vlm
