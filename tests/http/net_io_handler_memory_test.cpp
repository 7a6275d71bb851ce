// tests/http/net_io_handler_memory_test.cpp -- stream reads into a memory stream: the bytes go
// straight into the stream's memory, its capacity follows the announced length in bounded
// steps, and nothing beyond a counted body is taken.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "http/net_io_handler.h"
#include "http/net_socket_exceptions.h"
#include "runtime/memory_stream.h"
#include "tests/support/scripted_io_handler.h"

namespace vlm {
namespace {

using test::EventLog;
using test::ScriptedIOHandler;
using Lines = std::vector<std::string>;

TEST(TNetIOHandlerMemoryRead, AnnouncedLengthSizesTheCapacityOnceAndExactly) {
  ScriptedIOHandler H;
  H.DataInPieces(std::string(1000, 'q'), 10);
  TMemoryStream Stream;
  H.ReadStream(Stream, 1000);
  EXPECT_EQ(Stream.View(), std::string(1000, 'q'));
  EXPECT_EQ(Stream.Capacity(), 1000);  // not grown piece by piece past the body
}

TEST(TNetIOHandlerMemoryRead, AHugeAnnouncedLengthReservesOnlyTheBoundedStep) {
  ScriptedIOHandler H;
  H.LargeStream = true;
  H.Data("tiny").PeerCloses();
  TMemoryStream Stream;
  EXPECT_THROW(H.ReadStream(Stream, int64_t{100} << 30), ENetConnClosedGracefully);
  EXPECT_EQ(Stream.View(), "tiny");
  EXPECT_LE(Stream.Capacity(), kNetMaxStreamPresize);
}

TEST(TNetIOHandlerMemoryRead, ReceivesNoByteBeyondACountedBody) {
  ScriptedIOHandler H;
  EventLog Log;
  Log.Attach(H);
  const std::string Body(40000, 'b');
  H.Data(Body + "HTTP/1.1 200 OK\r\n");  // one receive could take the next reply's head too
  TMemoryStream Stream;
  H.ReadStream(Stream, 40000);
  EXPECT_EQ(Stream.View(), Body);
  EXPECT_TRUE(H.InputBufferIsEmpty());
  EXPECT_EQ(H.ReadLn(), u"HTTP/1.1 200 OK");
  EXPECT_EQ(Log.Lines,
            (Lines{"begin read 40000", "work read 32768", "work read 40000", "end read"}));
}

TEST(TNetIOHandlerMemoryRead, ABlockArrivingInSmallPiecesIsReportedOnceWhole) {
  ScriptedIOHandler H;
  EventLog Log;
  Log.Attach(H);
  H.RecvBufferSize = 1000;
  H.DataInPieces(std::string(2500, 'p'), 300);
  TMemoryStream Stream;
  H.ReadStream(Stream, 2500);
  EXPECT_EQ(Stream.View(), std::string(2500, 'p'));
  EXPECT_EQ(Log.Lines, (Lines{"begin read 2500", "work read 1000", "work read 2000",
                              "work read 2500", "end read"}));
}

TEST(TNetIOHandlerMemoryRead, APositionBeyondTheEndIsZeroFilledBeforeTheBody) {
  ScriptedIOHandler H;
  H.Data("body");
  TMemoryStream Stream;
  Stream.WriteBuffer("abcdef", 6);
  Stream.SetSize(1);
  Stream.SetPosition(3);
  H.ReadStream(Stream, 4);
  EXPECT_EQ(Stream.View(), std::string_view("a\0\0body", 7));
}

TEST(TNetIOHandlerMemoryRead, UntilCloseGrowsThroughManyBlocks) {
  ScriptedIOHandler H;
  std::string Body;
  for (int I = 0; I < 300000; ++I) Body += static_cast<char>('a' + I % 26);
  H.DataInPieces(Body, 7777).PeerCloses();
  TMemoryStream Stream;
  H.ReadStream(Stream, -1, true);
  EXPECT_EQ(Stream.View(), Body);
  EXPECT_EQ(Stream.Position(), 300000);
}

TEST(TNetIOHandlerMemoryRead, AResetMidBlockKeepsAndReportsTheArrivedPart) {
  ScriptedIOHandler H;
  EventLog Log;
  Log.Attach(H);
  H.Data("abc").Data("de").PeerResets();
  TMemoryStream Stream;
  EXPECT_THROW(H.ReadStream(Stream, 100), ENetSocketError);
  EXPECT_EQ(Stream.View(), "abcde");
  EXPECT_EQ(Log.Lines, (Lines{"begin read 100", "work read 5", "end read"}));
}

}  // namespace
}  // namespace vlm
