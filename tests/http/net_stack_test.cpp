// tests/http/net_stack_test.cpp -- socket error texts and classes, address texts, the address
// test and the resolution rules that need no lookup, and the stack's usage count.
#include "http/net_stack.h"

#include <gtest/gtest.h>

#include "http/net_component.h"
#include "http/net_socket_exceptions.h"

namespace vlm {
namespace {

TEST(SocketErrors, FormsTheMessageFromTheNumberAndTheTableText) {
  EXPECT_EQ(SocketErrorMessage(10061), u"Socket Error # 10061\r\nConnection refused.");
  EXPECT_EQ(SocketErrorMessage(11001), u"Socket Error # 11001\r\nHost not found.");
  EXPECT_EQ(SocketErrorMessage(10054), u"Socket Error # 10054\r\nConnection reset by peer.");
  EXPECT_EQ(SocketErrorMessage(10060), u"Socket Error # 10060\r\nConnection timed out.");
  EXPECT_EQ(SocketErrorMessage(10066), u"Socket Error # 10066\r\nDirectory not empty");
  // Numbers outside the table keep an empty text.
  EXPECT_EQ(SocketErrorMessage(11002), u"Socket Error # 11002\r\n");
}

TEST(SocketErrors, RaisesNotASocketFor10038AndSocketErrorOtherwise) {
  try {
    TNetStack::RaiseSocketError(10038);
    FAIL() << "no exception";
  } catch (const ENetNotASocket& E) {
    EXPECT_EQ(E.LastError(), 10038);
    EXPECT_STREQ(E.ClassName(), "ENetNotASocket");
    EXPECT_EQ(E.Message(), u"Socket Error # 10038\r\nSocket operation on non-socket.");
  }
  try {
    TNetStack::RaiseSocketError(10061);
    FAIL() << "no exception";
  } catch (const ENetNotASocket&) {
    FAIL() << "10061 is not 10038";
  } catch (const ENetSocketError& E) {
    EXPECT_EQ(E.LastError(), 10061);
    EXPECT_STREQ(E.ClassName(), "ENetSocketError");
  }
}

TEST(TNetStack, AcceptsOnlyFourDecimalNumbersUpTo255AsAnAddress) {
  for (const char16_t* Yes : {u"10.0.0.1", u"127.0.0.1", u"0.0.0.0", u"255.255.255.255"})
    EXPECT_TRUE(TNetStack::IsIP(Yes)) << StringToUtf8(Yes);
  for (const char16_t* No : {u"256.1.1.1", u"1.2.3", u"1.2.3.4.5", u"1..2.3", u"a.b.c.d",
                             u" 1.2.3.4", u"1.2.3.4 ", u"", u"1.2.3.-4", u"99999999999.1.1.1"})
    EXPECT_FALSE(TNetStack::IsIP(No)) << StringToUtf8(No);
}

TEST(TNetStack, ResolvesLocalhostAndDottedQuadsWithoutALookup) {
  for (const char16_t* Name : {u"LOCALHOST", u"localhost", u"LocalHost"})
    EXPECT_EQ(TNetStack::ResolveHost(Name, TNetIPVersion::Net_IPv4), u"127.0.0.1");
  EXPECT_EQ(TNetStack::ResolveHost(u"10.0.0.1", TNetIPVersion::Net_IPv4), u"10.0.0.1");
}

TEST(TNetStack, WritesIPv6AddressesInFullWithoutLeadingZeros) {
  const auto Canonical = [](const char16_t* Text) {
    return TNetStack::ResolveHost(Text, TNetIPVersion::Net_IPv6);
  };
  EXPECT_EQ(Canonical(u"::1"), u"0:0:0:0:0:0:0:1");
  EXPECT_EQ(Canonical(u"::"), u"0:0:0:0:0:0:0:0");
  EXPECT_EQ(Canonical(u"FE80::0001:2"), u"fe80:0:0:0:0:0:1:2");
  EXPECT_EQ(Canonical(u"2001:db8:0:0:1:0:0:1"), u"2001:db8:0:0:1:0:0:1");
  EXPECT_EQ(Canonical(u"1::"), u"1:0:0:0:0:0:0:0");
  EXPECT_EQ(Canonical(u"::ffff:1.2.3.4"), u"0:0:0:0:0:ffff:102:304");
}

TEST(TNetStack, RefusesMalformedIPv6Texts) {
  for (const char16_t* No :
       {u":::", u"1::2::3", u"12345::", u"1:2:3:4:5:6:7:8:9", u"1:2:3:4:5:6:7", u":1:2:3:4:5:6:7",
        u"1:2:3:4:5:6:7:", u"g::1", u"1.2.3.4", u"", u"1:2:3:4:5:6:7:1.2.3.4"})
    EXPECT_FALSE(ParseIPAddress(No, TNetIPVersion::Net_IPv6).has_value()) << StringToUtf8(No);
}

TEST(TNetStack, LivesAsLongAsItsComponents) {
  const int Before = TNetStack::UsageCountForTesting();
  {
    TNetComponent A;
    TNetComponent B;
    EXPECT_EQ(TNetStack::UsageCountForTesting(), Before + 2);
  }
  EXPECT_EQ(TNetStack::UsageCountForTesting(), Before);
}

}  // namespace
}  // namespace vlm
