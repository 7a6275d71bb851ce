// tests/ini/string_hash_test.cpp -- the chained string hash: hash function, buckets, chain order.
#include "ini/string_hash.h"

#include <gtest/gtest.h>

#include <string>

#include "runtime/exception.h"

namespace vlm {
namespace {

// Exposes the protected chain walk and bucket slots for white-box checks.
class InspectableHash : public TStringHash {
public:
  using TStringHash::Buckets;
  using TStringHash::FindLink;
  using TStringHash::TStringHash;
};

// A hash that sends every key to bucket 0, to build long chains of distinct keys.
class OneBucketHash : public TStringHash {
public:
  using TStringHash::TStringHash;
  uint32_t KeyHash(StringView) const override { return 0; }
};

TEST(TStringHash, KeyHashRotatesLeftByTwoThenXorsEachUnit) {
  TStringHash Hash(256);
  EXPECT_EQ(Hash.KeyHash(u""), 0u);
  EXPECT_EQ(Hash.KeyHash(u"A"), 0x41u);
  EXPECT_EQ(Hash.KeyHash(u"AB"), 0x146u);
  EXPECT_EQ(Hash.KeyHash(u"URL"), 0x454u);
  // Bits leaving at the top come back at the bottom: 17 rotations of a unit with bit 31 set.
  String Long(17, u'\x8000');
  uint32_t Expected = 0;
  for (int I = 0; I < 17; ++I) Expected = ((Expected << 2) | (Expected >> 30)) ^ 0x8000u;
  EXPECT_EQ(Hash.KeyHash(Long), Expected);
  EXPECT_EQ(Hash.KeyHash(u"\xFFFF\xFFFF"), ((0xFFFFu << 2) ^ 0xFFFFu));
}

TEST(TStringHash, PlacesKeysInTheBucketOfTheHashModuloTheBucketCount) {
  InspectableHash Hash(256);
  Hash.Add(u"AB", 1);
  Hash.Add(u"URL", 2);
  ASSERT_TRUE(Hash.Buckets[70]);
  EXPECT_EQ(Hash.Buckets[70]->Key, u"AB");
  ASSERT_TRUE(Hash.Buckets[84]);
  EXPECT_EQ(Hash.Buckets[84]->Key, u"URL");
  // A hash above 2^31 still lands in range: the remainder is taken unsigned.
  InspectableHash Seven(7);
  const String Key = u"abcdefghijklmnop";
  ASSERT_EQ(Seven.KeyHash(Key), 0x96C93C73u);
  Seven.Add(Key, 5);
  EXPECT_TRUE(Seven.Buckets[Seven.KeyHash(Key) % 7]);
  EXPECT_EQ(Seven.ValueOf(Key), 5);
}

TEST(TStringHash, RefusesATableWithoutBuckets) {
  EXPECT_THROW(TStringHash(0), Exception);
  EXPECT_THROW(TStringHash(-3), Exception);
  TStringHash One(1);
  One.Add(u"x", 1);
  One.Add(u"y", 2);
  EXPECT_EQ(One.ValueOf(u"x"), 1);
  EXPECT_EQ(One.ValueOf(u"y"), 2);
}

TEST(TStringHash, AbsentKeysGiveMinusOneAndModifyChangesNothing) {
  TStringHash Hash(16);
  EXPECT_EQ(Hash.ValueOf(u"missing"), -1);
  EXPECT_FALSE(Hash.Modify(u"missing", 7));
  EXPECT_EQ(Hash.ValueOf(u"missing"), -1);
  Hash.Remove(u"missing");  // no effect, no failure
  Hash.Add(u"present", 3);
  EXPECT_TRUE(Hash.Modify(u"present", 9));
  EXPECT_EQ(Hash.ValueOf(u"present"), 9);
}

TEST(TStringHash, KeysCompareExactlyIncludingLetterCase) {
  TStringHash Hash(256);
  Hash.Add(u"Key", 1);
  EXPECT_EQ(Hash.ValueOf(u"KEY"), -1);
  EXPECT_EQ(Hash.ValueOf(u"key"), -1);
  EXPECT_EQ(Hash.ValueOf(u"Key"), 1);
  EXPECT_EQ(Hash.ValueOf(u"Key "), -1);
}

TEST(TStringHash, EqualKeysAreFoundNewestFirstAndRemovedOneAtATime) {
  TStringHash Hash(256);
  Hash.Add(u"k", 1);
  Hash.Add(u"k", 2);
  EXPECT_EQ(Hash.ValueOf(u"k"), 2);
  EXPECT_TRUE(Hash.Modify(u"k", 20));  // the newest node only
  EXPECT_EQ(Hash.ValueOf(u"k"), 20);
  Hash.Remove(u"k");
  EXPECT_EQ(Hash.ValueOf(u"k"), 1);
  Hash.Remove(u"k");
  EXPECT_EQ(Hash.ValueOf(u"k"), -1);
}

TEST(TStringHash, RemovesFromTheHeadMiddleAndEndOfAChain) {
  OneBucketHash Hash(4);
  for (int I = 0; I < 5; ++I) Hash.Add(S(std::to_string(I)), I);  // chain: 4 3 2 1 0
  Hash.Remove(u"4");                                              // head
  Hash.Remove(u"2");                                              // middle
  Hash.Remove(u"0");                                              // end
  EXPECT_EQ(Hash.ValueOf(u"4"), -1);
  EXPECT_EQ(Hash.ValueOf(u"2"), -1);
  EXPECT_EQ(Hash.ValueOf(u"0"), -1);
  EXPECT_EQ(Hash.ValueOf(u"3"), 3);
  EXPECT_EQ(Hash.ValueOf(u"1"), 1);
}

TEST(TStringHash, FindLinkReturnsTheSlotOrNextFieldPointingAtTheNode) {
  InspectableHash Hash(1);
  Hash.Add(u"old", 1);
  Hash.Add(u"new", 2);  // chain: new -> old
  EXPECT_EQ(Hash.FindLink(u"new"), &Hash.Buckets[0]);
  EXPECT_EQ(Hash.FindLink(u"old"), &Hash.Buckets[0]->Next);
  PHashItem* End = Hash.FindLink(u"absent");
  EXPECT_EQ(End, &Hash.Buckets[0]->Next->Next);
  EXPECT_FALSE(*End);
}

TEST(TStringHash, ClearEmptiesEveryBucketAndKeepsTheBucketCount) {
  InspectableHash Hash(8);
  for (int I = 0; I < 100; ++I) Hash.Add(S(std::to_string(I)), I);
  Hash.Clear();
  EXPECT_EQ(Hash.BucketCount(), 8);
  for (const PHashItem& Head : Hash.Buckets) EXPECT_FALSE(Head);
  EXPECT_EQ(Hash.ValueOf(u"42"), -1);
  Hash.Add(u"42", 4);
  EXPECT_EQ(Hash.ValueOf(u"42"), 4);
}

TEST(TStringHash, FreesAVeryLongChainWithoutRecursion) {
  // A recursive release would need one stack frame per node; a million nodes would overflow.
  auto Hash = std::make_unique<OneBucketHash>(1);
  for (int I = 0; I < 1000000; ++I) Hash->Add(u"k", I);
  EXPECT_EQ(Hash->ValueOf(u"k"), 999999);
  Hash->Clear();
  EXPECT_EQ(Hash->ValueOf(u"k"), -1);
  for (int I = 0; I < 1000000; ++I) Hash->Add(u"k", I);
  Hash.reset();  // the destructor takes the same path; a recursive one would crash here
}

}  // namespace
}  // namespace vlm
