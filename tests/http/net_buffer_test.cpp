// tests/http/net_buffer_test.cpp -- the byte queue's growth, compaction, removal notifications
// and errors.
#include "http/net_buffer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "http/net_socket_exceptions.h"
#include "runtime/memory_stream.h"

namespace vlm {
namespace {

std::string Bytes(int Count, char Fill = 'x') {
  return std::string(static_cast<size_t>(Count), Fill);
}

TEST(TNetBuffer, TakesTheFirstAppendAsItIs) {
  TNetBuffer B;
  B.Write("hello");
  EXPECT_EQ(B.Size(), 5);
  EXPECT_EQ(B.CapacityForTesting(), 5);
  EXPECT_EQ(B.View(), "hello");
}

TEST(TNetBuffer, GrowsBySizePlusAppendedPlusGrowthFactorWhenRoomIsShort) {
  TNetBuffer B;
  B.Write(Bytes(100));
  B.Write(Bytes(50, 'y'));
  EXPECT_EQ(B.CapacityForTesting(), 100 + 50 + 2048);
  EXPECT_EQ(B.View(), Bytes(100) + Bytes(50, 'y'));
  // Room enough now: no growth.
  B.Write(Bytes(2000, 'z'));
  EXPECT_EQ(B.CapacityForTesting(), 2198);
  EXPECT_EQ(B.Size(), 2150);
  EXPECT_EQ(B.View().substr(150), Bytes(2000, 'z'));
}

TEST(TNetBuffer, MovesContentToTheFrontBeforeAppending) {
  TNetBuffer B;
  B.Write("abcdef");
  B.Write("gh");  // grows to 6 + 2 + 2048
  B.Remove(3);
  EXPECT_EQ(B.HeadIndexForTesting(), 3);
  B.Write("ij");
  EXPECT_EQ(B.HeadIndexForTesting(), 0);
  EXPECT_EQ(B.View(), "defghij");
}

TEST(TNetBuffer, CompactsAndShrinksOnceTheHeadPassesTheGrowthFactor) {
  TNetBuffer B;
  B.Write(Bytes(10000));
  B.Remove(2048);  // not past the growth factor yet
  EXPECT_EQ(B.HeadIndexForTesting(), 2048);
  EXPECT_EQ(B.CapacityForTesting(), 10000);
  B.Remove(1);  // now past it: content to the front, array cut to size + 2048
  EXPECT_EQ(B.HeadIndexForTesting(), 0);
  EXPECT_EQ(B.Size(), 10000 - 2049);
  EXPECT_EQ(B.CapacityForTesting(), 10000 - 2049 + 2048);
}

TEST(TNetBuffer, ShrinksToSizePlusGrowthFactorOnEachCompaction) {
  TNetBuffer B;
  B.Write(Bytes(5000));
  B.Write(Bytes(10));  // array 5000 + 10 + 2048
  B.Remove(2049);      // 2049 + 2048 free after the move: more than the factor
  EXPECT_EQ(B.CapacityForTesting(), B.Size() + 2048);
  const int Before = B.CapacityForTesting();
  B.Remove(2049);  // the head passes the factor again
  EXPECT_EQ(B.CapacityForTesting(), B.Size() + 2048);
  EXPECT_LT(B.CapacityForTesting(), Before);
}

TEST(TNetBuffer, RemovingEverythingEmptiesTheArray) {
  TNetBuffer B;
  B.Write(Bytes(300));
  B.Remove(300);
  EXPECT_TRUE(B.IsEmpty());
  EXPECT_EQ(B.CapacityForTesting(), 0);
  EXPECT_EQ(B.HeadIndexForTesting(), 0);
}

TEST(TNetBuffer, NotifiesEveryRemovalButNotClear) {
  std::vector<int64_t> Removed;
  TNetBuffer B([&](int64_t N) { Removed.push_back(N); });
  B.Write("0123456789");
  B.Remove(2);
  EXPECT_EQ(B.ExtractToBytes(3), "234");
  TMemoryStream Stream;
  B.ExtractToStream(Stream, 4);
  EXPECT_EQ(Stream.View(), "5678");
  B.Clear();
  B.Write("ab");
  EXPECT_EQ(B.ExtractToBytes(), "ab");
  EXPECT_EQ(Removed, (std::vector<int64_t>{2, 3, 4, 2}));
}

TEST(TNetBuffer, RefusesToExtractMoreThanItHolds) {
  TNetBuffer B;
  B.Write("abcd");
  try {
    B.ExtractToBytes(10);
    FAIL() << "no exception";
  } catch (const ENetNotEnoughDataInBuffer& E) {
    EXPECT_EQ(E.Message(), u"Not enough data in buffer. (10/4)");
  }
  EXPECT_THROW(B.Remove(5), ENetNotEnoughDataInBuffer);
  EXPECT_EQ(B.View(), "abcd");  // a refused removal takes nothing
}

TEST(TNetBuffer, FindsBytesFromAStartPosition) {
  TNetBuffer B;
  B.Write("xx\r\nyy\r\n");
  EXPECT_EQ(B.IndexOf("\r\n"), 2);
  EXPECT_EQ(B.IndexOf("\r\n", 3), 6);
  EXPECT_EQ(B.IndexOf("\r\n", 7), -1);
  EXPECT_EQ(B.IndexOf("zz"), -1);
  B.Remove(3);  // positions count from the head
  EXPECT_EQ(B.IndexOf("\n"), 0);
}

}  // namespace
}  // namespace vlm
