// app/package_seal.cpp -- reading a descriptor's seal and checking a package against it.
#include "app/package_seal.h"

#include <algorithm>
#include <string>

#include "http/net_io_handler.h"  // kNetStreamLimit, a constant only

namespace vlm {

namespace {

String Ascii(const std::string& Text) {
  return String(Text.begin(), Text.end());
}

[[noreturn]] void RaiseMalformed(const char16_t* Key, const String& Value, const char16_t* Want) {
  throw EPackageSeal(u"The deployment descriptor's key " + String(Key) + u" in section [" +
                     kSealSection + u"] is malformed: \"" + Value + u"\" is not " + Want + u".");
}

int HexDigit(char16_t C) {
  if (C >= u'0' && C <= u'9') return C - u'0';
  if (C >= u'a' && C <= u'f') return C - u'a' + 10;
  if (C >= u'A' && C <= u'F') return C - u'A' + 10;
  return -1;
}

uint64_t ParseSize(const String& Value) {
  constexpr char16_t kWant[] = u"a byte count (decimal digits)";
  if (Value.empty()) RaiseMalformed(kSealSizeKey, Value, kWant);
  uint64_t Size = 0;
  for (const char16_t C : Value) {
    if (C < u'0' || C > u'9') RaiseMalformed(kSealSizeKey, Value, kWant);
    const unsigned Digit = C - u'0';
    if (Size > (UINT64_MAX - Digit) / 10) RaiseMalformed(kSealSizeKey, Value, kWant);
    Size = Size * 10 + Digit;
  }
  return Size;
}

TSha256Digest ParseDigest(const String& Value) {
  constexpr char16_t kWant[] = u"64 hexadecimal digits";
  TSha256Digest Digest{};
  if (Value.size() != 2 * Digest.size()) RaiseMalformed(kSealHashKey, Value, kWant);
  for (size_t I = 0; I < Digest.size(); ++I) {
    const int High = HexDigit(Value[2 * I]), Low = HexDigit(Value[2 * I + 1]);
    if (High < 0 || Low < 0) RaiseMalformed(kSealHashKey, Value, kWant);
    Digest[I] = static_cast<uint8_t>(High * 16 + Low);
  }
  return Digest;
}

String Bytes(uint64_t Size) {
  return Ascii(std::to_string(Size)) + u" bytes";
}

}  // namespace

int64_t PackageSizeLimit(const TPackageSeal& Seal) {
  constexpr uint64_t kClientLimit = static_cast<uint64_t>(kNetStreamLimit);
  if (!Seal.Size || *Seal.Size <= static_cast<uint64_t>(kPackageDefaultMaxSize))
    return kPackageDefaultMaxSize;
  return static_cast<int64_t>(std::min(*Seal.Size, kClientLimit));
}

TPackageSeal ReadPackageSeal(const TCustomIniFile& Descriptor) {
  TPackageSeal Seal;
  if (Descriptor.ValueExists(kSealSection, kSealSizeKey))
    Seal.Size = ParseSize(Descriptor.ReadString(kSealSection, kSealSizeKey, String()));
  if (Descriptor.ValueExists(kSealSection, kSealHashKey))
    Seal.Sha256 = ParseDigest(Descriptor.ReadString(kSealSection, kSealHashKey, String()));
  return Seal;
}

String TPackageCheck::Received() const {
  return Bytes(Size) + u" with SHA-256 " + Ascii(Sha256Hex(Sha256));
}

TPackageCheck CheckPackage(const TPackageSeal& Seal, const void* Data, size_t Size,
                           const std::function<void()>& AfterBlock) {
  TPackageCheck Check;
  Check.Size = Size;
  if (!AfterBlock) {
    Check.Sha256 = vlm::Sha256(Data, Size);
  } else {
    TSha256 Hash;
    const auto* Bytes = static_cast<const uint8_t*>(Data);
    for (size_t Done = 0; Done < Size;) {
      const size_t Block = std::min(kPackageHashBlock, Size - Done);
      Hash.Update(Bytes + Done, Block);
      Done += Block;
      AfterBlock();
    }
    Check.Sha256 = Hash.Finish();
  }
  Check.Matches =
      (!Seal.Size || *Seal.Size == Check.Size) && (!Seal.Sha256 || *Seal.Sha256 == Check.Sha256);
  return Check;
}

String DescribeSeal(const TPackageSeal& Seal) {
  String Text;
  if (Seal.Size) Text = Bytes(*Seal.Size);
  if (Seal.Sha256)
    Text += (Text.empty() ? u"" : u" with ") + String(u"SHA-256 ") + Ascii(Sha256Hex(*Seal.Sha256));
  return Text;
}

String DamagedPackageMessage(const String& Url, const TPackageSeal& Seal,
                             const TPackageCheck& Check) {
  return u"The menu package from " + Url + u" is damaged: expected " + DescribeSeal(Seal) +
         u", received " + Check.Received() + u".";
}

}  // namespace vlm
