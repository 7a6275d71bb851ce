// tests/app/package_seal_test.cpp -- a descriptor's seal: which values are read, which are refused
// with the key named, and the package check with its message.
#include "app/package_seal.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "ini/mem_ini_file.h"

namespace vlm {
namespace {

// SHA-256 of "abc".
constexpr char16_t kAbcHex[] = u"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";

TPackageSeal SealOf(const String& Lines) {
  TStringList List;
  List.SetText(u"[vlmv2menu]\r\nURL=http://h/p.pkg\r\n" + Lines);
  TMemIniFile Ini(String{});
  Ini.SetStrings(List);
  return ReadPackageSeal(Ini);
}

TEST(PackageSeal, ThePackageLimitIs512MiBUnlessTheSizeSaysMoreWithinTheClientsLimit) {
  const struct {
    std::optional<uint64_t> Size;
    int64_t Limit;
  } Cases[] = {
      {std::nullopt, 536870912},          {uint64_t{1000}, 536870912},
      {uint64_t{536870912}, 536870912},   {uint64_t{536870913}, 536870913},
      {uint64_t{2147483647}, 2147483647}, {uint64_t{5000000000}, 2147483647},
  };
  for (const auto& C : Cases) {
    TPackageSeal Seal;
    Seal.Size = C.Size;
    EXPECT_EQ(PackageSizeLimit(Seal), C.Limit) << (C.Size ? *C.Size : 0);
  }
}

TEST(PackageSeal, ReadsSizeAndDigestInEitherCase) {
  EXPECT_FALSE(SealOf(u"").Present());
  const TPackageSeal Both = SealOf(u"Size=3\r\nSHA256=" + String(kAbcHex) + u"\r\n");
  ASSERT_TRUE(Both.Size && Both.Sha256);
  EXPECT_EQ(*Both.Size, 3u);
  EXPECT_EQ(Sha256Hex(*Both.Sha256), StringToUtf8(kAbcHex));
  String Upper = kAbcHex;
  for (char16_t& C : Upper) C = (C >= u'a' && C <= u'f') ? C - 32 : C;
  EXPECT_EQ(SealOf(u"sha256=" + Upper).Sha256, Both.Sha256);
  EXPECT_EQ(*SealOf(u"Size=18446744073709551615").Size, UINT64_MAX);
  EXPECT_EQ(*SealOf(u"Size=0007").Size, 7u);
}

TEST(PackageSeal, MalformedValuesAreRefusedNamingTheKey) {
  const String Hex = kAbcHex;
  const struct {
    String Line;
    const char* Key;
  } Cases[] = {
      {u"Size=-5", "Size"},
      {u"Size=+5", "Size"},
      {u"Size=12a", "Size"},
      {u"Size=", "Size"},
      {u"Size=18446744073709551616", "Size"},
      {u"SHA256=" + Hex.substr(1), "SHA256"},
      {u"SHA256=" + Hex + u"0", "SHA256"},
      {u"SHA256=" + Hex.substr(1) + u"g", "SHA256"},
      {u"SHA256=", "SHA256"},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(StringToUtf8(C.Line));
    try {
      SealOf(C.Line);
      ADD_FAILURE() << "accepted";
    } catch (const EPackageSeal& E) {
      const std::string Message = StringToUtf8(E.Message());
      EXPECT_EQ(Message.rfind(std::string("The deployment descriptor's key ") + C.Key +
                                  " in section [vlmv2menu] is malformed: \"",
                              0),
                0u)
          << Message;
    }
  }
}

TEST(PackageSeal, CheckComparesWhatTheSealSaysAndTheMessageSaysBoth) {
  const TPackageSeal Both = SealOf(u"Size=3\r\nSHA256=" + String(kAbcHex));
  EXPECT_TRUE(CheckPackage(Both, "abc", 3).Matches);
  EXPECT_FALSE(CheckPackage(Both, "abd", 3).Matches);
  EXPECT_FALSE(CheckPackage(Both, "abcd", 4).Matches);
  EXPECT_TRUE(CheckPackage(SealOf(u"Size=4"), "abcd", 4).Matches);
  EXPECT_FALSE(CheckPackage(SealOf(u"Size=4"), "abc", 3).Matches);

  const TPackageCheck Short = CheckPackage(Both, "ab", 2);
  EXPECT_EQ(StringToUtf8(DamagedPackageMessage(u"http://h/p.pkg", Both, Short)),
            "The menu package from http://h/p.pkg is damaged: expected 3 bytes with SHA-256 " +
                StringToUtf8(kAbcHex) + ", received 2 bytes with SHA-256 " +
                "fb8e20fc2e4c3f248c60c39bd652f3c1347298bb977b8b4d5903b85055620603.");
  EXPECT_EQ(StringToUtf8(DescribeSeal(SealOf(u"Size=4"))), "4 bytes");
  EXPECT_EQ(StringToUtf8(DescribeSeal(SealOf(u"SHA256=" + String(kAbcHex)))),
            "SHA-256 " + StringToUtf8(kAbcHex));
}

TEST(PackageSeal, ACheckInBlocksGivesTheSameDigestAndRunsTheCallbackAfterEachBlock) {
  std::string Package(2 * kPackageHashBlock + 5, '\0');
  for (size_t I = 0; I < Package.size(); ++I) Package[I] = static_cast<char>(I * 131 % 251);
  const TPackageSeal Seal = SealOf(u"Size=" + Utf8ToString(std::to_string(Package.size())));
  for (const size_t Size : {size_t{0}, size_t{3}, kPackageHashBlock, Package.size()}) {
    int Calls = 0;
    const TPackageCheck Whole = CheckPackage(Seal, Package.data(), Size);
    const TPackageCheck Blocks = CheckPackage(Seal, Package.data(), Size, [&Calls] { ++Calls; });
    EXPECT_EQ(Blocks.Sha256, Whole.Sha256) << Size;
    EXPECT_EQ(Blocks.Matches, Size == Package.size()) << Size;
    EXPECT_EQ(Calls, static_cast<int>((Size + kPackageHashBlock - 1) / kPackageHashBlock)) << Size;
  }
}

}  // namespace
}  // namespace vlm
