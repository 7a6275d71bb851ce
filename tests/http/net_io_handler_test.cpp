// tests/http/net_io_handler_test.cpp -- the I/O handler's reading and writing rules, driven by a
// scripted peer in memory: lines, counted and until-close reads, discarding, time-outs, peer
// closes, and write buffering.
#include "http/net_io_handler.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "http/net_socket_exceptions.h"
#include "runtime/memory_stream.h"
#include "tests/support/scripted_io_handler.h"

namespace vlm {
namespace {

using test::EventLog;
using test::ScriptedIOHandler;
using Lines = std::vector<std::string>;

std::string Repeat(size_t Count, char C) {
  return std::string(Count, C);
}

// --- ReadLn -------------------------------------------------------------------------------

TEST(TNetIOHandlerReadLn, DropsTheCrBeforeLfAndAcceptsLfAlone) {
  ScriptedIOHandler H;
  H.Data("HTTP/1.1 200 OK\r\nServer: x\nA\rB\r\n\r\n");
  EXPECT_EQ(H.ReadLn(), u"HTTP/1.1 200 OK");
  EXPECT_EQ(H.ReadLn(), u"Server: x");
  EXPECT_EQ(H.ReadLn(), u"A\rB");  // a CR inside a line stays
  EXPECT_EQ(H.ReadLn(), u"");
  EXPECT_TRUE(H.InputBufferIsEmpty());
}

TEST(TNetIOHandlerReadLn, JoinsALineWhoseCrAndLfArriveInDifferentReceives) {
  ScriptedIOHandler H;
  H.Data("HTTP/1.1 200 OK\r").Data("\nNext\n");
  EXPECT_EQ(H.ReadLn(), u"HTTP/1.1 200 OK");
  EXPECT_EQ(H.ReadLn(), u"Next");
}

TEST(TNetIOHandlerReadLn, ReadsLinesCutIntoPiecesOfEverySize) {
  const std::string Input = "first line\r\nsecond\n\r\nfourth\r\n";
  for (size_t Piece = 1; Piece <= Input.size(); ++Piece) {
    ScriptedIOHandler H;
    H.DataInPieces(Input, Piece);
    EXPECT_EQ(H.ReadLn(), u"first line") << Piece;
    EXPECT_EQ(H.ReadLn(), u"second") << Piece;
    EXPECT_EQ(H.ReadLn(), u"") << Piece;
    EXPECT_EQ(H.ReadLn(), u"fourth") << Piece;
  }
}

TEST(TNetIOHandlerReadLn, FindsAMultiByteTerminatorSplitAcrossReceives) {
  ScriptedIOHandler H;
  H.Data("abc\r").Data("\ndef\r").Data("\n");
  EXPECT_EQ(H.ReadLn(u"\r\n"), u"abc");
  EXPECT_EQ(H.ReadLn(u"\r\n"), u"def");
}

TEST(TNetIOHandlerReadLn, AcceptsALineOfExactlyTheLimit) {
  ScriptedIOHandler H;
  H.DataInPieces(Repeat(16383, 'a') + "\r\n" + Repeat(16384, 'b') + "\n", 1000);
  EXPECT_EQ(H.ReadLn().size(), 16383u);  // 16383 + CR: 16384 bytes before the LF
  EXPECT_EQ(H.ReadLn().size(), 16384u);
}

TEST(TNetIOHandlerReadLn, RefusesALineOneByteOverTheLimit) {
  ScriptedIOHandler H;
  H.Data(Repeat(16385, 'a') + "\n");
  try {
    H.ReadLn();
    FAIL() << "no exception";
  } catch (const ENetReadLnMaxLineLengthExceeded& E) {
    EXPECT_EQ(E.Message(), u"Max line length exceeded.");
  }
}

TEST(TNetIOHandlerReadLn, SplitsAnOverlongLineWhenAskedTo) {
  ScriptedIOHandler H;
  H.MaxLineAction = TNetMaxLineAction::maSplit;
  H.Data("abcdefgh\nz\n");
  EXPECT_EQ(H.ReadLn(u"\n", -1, 5), u"abcde");
  EXPECT_TRUE(H.ReadLnSplit());
  EXPECT_EQ(H.ReadLn(u"\n", -1, 5), u"fgh");
  EXPECT_FALSE(H.ReadLnSplit());
  EXPECT_EQ(H.ReadLn(), u"z");
}

TEST(TNetIOHandlerReadLn, StopsALineWithoutTerminatorBeforeTheBufferGrowsPastTheLimit) {
  ScriptedIOHandler H;
  for (int I = 0; I < 100; ++I) H.Data(Repeat(4096, 'a'));  // 400 KiB, never an LF
  EXPECT_THROW(H.ReadLn(), ENetReadLnMaxLineLengthExceeded);
  EXPECT_LE(H.InputBuffer().Size(), 16384 + 4096);
  EXPECT_LE(H.Receives, 5);
}

TEST(TNetIOHandlerReadLn, SplitsALineWithoutTerminatorAtTheLimit) {
  ScriptedIOHandler H;
  H.MaxLineAction = TNetMaxLineAction::maSplit;
  H.Data("abcdefgh").Data("ij\n");
  EXPECT_EQ(H.ReadLn(u"\n", -1, 5), u"abcde");
  EXPECT_TRUE(H.ReadLnSplit());
  EXPECT_EQ(H.ReadLn(u"\n", -1, 5), u"fghij");
}

TEST(TNetIOHandlerReadLn, ReturnsBufferedLinesAfterThePeerClosedThenFails) {
  ScriptedIOHandler H;
  H.Data("one\ntwo\n").PeerCloses();
  EXPECT_EQ(H.ReadLn(), u"one");
  EXPECT_EQ(H.ReadLn(), u"two");
  try {
    H.ReadLn();
    FAIL() << "no exception";
  } catch (const ENetConnClosedGracefully& E) {
    EXPECT_EQ(E.Message(), u"Connection Closed Gracefully.");
  }
  EXPECT_TRUE(H.ClosedGracefully());
}

TEST(TNetIOHandlerReadLn, FailsWhenThePeerClosesInsideALine) {
  ScriptedIOHandler H;
  H.Data("partial").PeerCloses();
  EXPECT_THROW(H.ReadLn(), ENetConnClosedGracefully);
  EXPECT_EQ(H.InputBuffer().View(), "partial");
}

TEST(TNetIOHandlerReadLn, RaisesReadTimeoutWhenTheReadTimeoutPasses) {
  ScriptedIOHandler H;
  H.ReadTimeout = 50;
  H.Data("no end");
  try {
    H.ReadLn();
    FAIL() << "no exception";
  } catch (const ENetReadTimeout& E) {
    EXPECT_EQ(E.Message(), u"Read timed out.");
  }
}

TEST(TNetIOHandlerReadLn, ReturnsAnEmptyLineWithAnExplicitTimeout) {
  ScriptedIOHandler H;
  H.Data("no end");
  EXPECT_EQ(H.ReadLn(u"\n", 10), u"");
  EXPECT_TRUE(H.ReadLnTimedout());
  EXPECT_EQ(H.InputBuffer().View(), "no end");  // nothing lost
}

TEST(TNetIOHandlerReadLn, ReplacesBytesAbove7BitsWithQuestionMarks) {
  ScriptedIOHandler H;
  H.Data("caf\xC3\xA9\n");
  EXPECT_EQ(H.ReadLn(), u"caf??");
}

// --- ReadBytes, ReadStream, Discard ------------------------------------------------------

TEST(TNetIOHandlerRead, ReadBytesWaitsForTheWholeCount) {
  ScriptedIOHandler H;
  H.Data("ab").Data("cd").Data("efg");
  std::string Out = "<";
  H.ReadBytes(Out, 5);
  EXPECT_EQ(Out, "<abcde");
  H.ReadBytes(Out, 2, /*AAppend=*/false);
  EXPECT_EQ(Out, "fg");
}

TEST(TNetIOHandlerRead, ReadBytesKeepsWhatArrivedWhenThePeerClosesEarly) {
  ScriptedIOHandler H;
  H.Data("abc").PeerCloses();
  std::string Out;
  EXPECT_THROW(H.ReadBytes(Out, 5), ENetConnClosedGracefully);
  EXPECT_EQ(Out, "");
  EXPECT_EQ(H.InputBuffer().View(), "abc");
}

TEST(TNetIOHandlerRead, ReadBytesPassesASocketErrorOn) {
  ScriptedIOHandler H;
  H.Data("ab").PeerResets();
  std::string Out;
  try {
    H.ReadBytes(Out, 5);
    FAIL() << "no exception";
  } catch (const ENetSocketError& E) {
    EXPECT_EQ(E.LastError(), 10054);
  }
}

TEST(TNetIOHandlerRead, ReadStreamTakesBufferedBytesFirstThenWholeBlocks) {
  ScriptedIOHandler H;
  EventLog Log;
  Log.Attach(H);
  const std::string Body = Repeat(70000, 'b');
  H.Data("HEAD\r\n" + Body.substr(0, 100)).DataInPieces(Body.substr(100), 5000);
  EXPECT_EQ(H.ReadLn(), u"HEAD");  // outside work: no events
  TMemoryStream Stream;
  H.ReadStream(Stream, 70000);
  EXPECT_EQ(Stream.Size(), 70000);
  EXPECT_EQ(Stream.Position(), 70000);
  EXPECT_EQ(Stream.View(), Body);
  EXPECT_EQ(Log.Lines, (Lines{"begin read 70000", "work read 100", "work read 32868",
                              "work read 65636", "work read 70000", "end read"}));
}

TEST(TNetIOHandlerRead, ReadStreamWritesAtTheStreamPosition) {
  ScriptedIOHandler H;
  H.Data("body");
  TMemoryStream Stream;
  Stream.WriteBuffer("pre", 3);
  H.ReadStream(Stream, 4);
  EXPECT_EQ(Stream.View(), "prebody");
}

TEST(TNetIOHandlerRead, ReadStreamFailsAfterWritingWhatArrivedWhenTheCountIsNotReached) {
  ScriptedIOHandler H;
  EventLog Log;
  Log.Attach(H);
  H.Data("12345").Data("678").PeerCloses();
  TMemoryStream Stream;
  EXPECT_THROW(H.ReadStream(Stream, 100), ENetConnClosedGracefully);
  EXPECT_EQ(Stream.View(), "12345678");  // cut back to what was written
  EXPECT_EQ(Log.Lines, (Lines{"begin read 100", "work read 8", "end read"}));
}

TEST(TNetIOHandlerRead, ReadStreamSizesTheTargetInAdvanceOnlyUpToTheReserve) {
  ScriptedIOHandler H;
  H.Data("tiny").PeerCloses();
  test::SizeRecordingStream Stream;
  EXPECT_THROW(H.ReadStream(Stream, 1500000000), ENetConnClosedGracefully);
  EXPECT_EQ(Stream.LargestSize, kNetMaxStreamPresize);
  EXPECT_EQ(Stream.Size(), 4);
  EXPECT_EQ(Stream.Bytes, "tiny");
}

TEST(TNetIOHandlerRead, ReadStreamSizesASmallBodyOnce) {
  ScriptedIOHandler H;
  H.DataInPieces(Repeat(1000, 'q'), 10);
  test::SizeRecordingStream Stream;
  H.ReadStream(Stream, 1000);
  EXPECT_EQ(Stream.LargestSize, 1000);
  EXPECT_EQ(Stream.Bytes, Repeat(1000, 'q'));
}

TEST(TNetIOHandlerRead, ReadStreamRefusesCountsBeyondTwoGigabytesWithoutLargeStream) {
  ScriptedIOHandler H;
  H.Data("x").PeerCloses();
  test::SizeRecordingStream Stream;
  try {
    H.ReadStream(Stream, int64_t{1} << 31);
    FAIL() << "no exception";
  } catch (const ENetIOHandlerStreamDataTooLarge& E) {
    EXPECT_EQ(E.Message(), u"Data is too large for stream");
  }
  EXPECT_EQ(Stream.LargestSize, 0);
  H.LargeStream = true;
  EXPECT_THROW(H.ReadStream(Stream, int64_t{1} << 31), ENetConnClosedGracefully);
  EXPECT_EQ(Stream.Bytes, "x");
}

TEST(TNetIOHandlerRead, ReadStreamUntilCloseTakesEverythingAndEndsNormally) {
  ScriptedIOHandler H;
  EventLog Log;
  Log.Attach(H);
  const std::string Body = Repeat(40000, 'u');
  H.Data("xyz").DataInPieces(Body, 7000).PeerCloses();
  ASSERT_TRUE(H.CheckForDataOnSource(0));  // "xyz" is buffered before the body read starts
  TMemoryStream Stream;
  H.ReadStream(Stream, -1, true);
  EXPECT_EQ(Stream.View(), "xyz" + Body);
  EXPECT_EQ(Log.Lines, (Lines{"begin read 0", "work read 3", "work read 32771", "work read 40003",
                              "end read"}));
  EXPECT_FALSE(H.Connected());
}

TEST(TNetIOHandlerRead, ReadStreamUntilCloseWritesThePartialBlockBeforeAnError) {
  ScriptedIOHandler H;
  H.Data("abc").PeerResets();
  TMemoryStream Stream;
  EXPECT_THROW(H.ReadStream(Stream, -1, true), ENetSocketError);
  EXPECT_EQ(Stream.View(), "abc");
}

TEST(TNetIOHandlerRead, ReadStreamFailsWithReadTimeoutWhenThePeerStallsMidBody) {
  ScriptedIOHandler H;
  H.ReadTimeout = 20;
  H.Data("half");  // then silence
  TMemoryStream Stream;
  EXPECT_THROW(H.ReadStream(Stream, 8), ENetReadTimeout);
  EXPECT_EQ(Stream.View(), "half");
}

TEST(TNetIOHandlerRead, DiscardDropsTheCountAndLeavesTheRest) {
  ScriptedIOHandler H;
  EventLog Log;
  Log.Attach(H);
  H.Data("abcd").Data("efgh").Data("ij");
  H.Discard(9);
  EXPECT_EQ(H.InputBuffer().View(), "j");
  EXPECT_EQ(Log.Lines,
            (Lines{"begin read 9", "work read 4", "work read 8", "work read 9", "end read"}));
}

TEST(TNetIOHandlerRead, DiscardFailsWhenThePeerClosesFirst) {
  ScriptedIOHandler H;
  H.Data("ab").PeerCloses();
  EXPECT_THROW(H.Discard(5), ENetConnClosedGracefully);
}

TEST(TNetIOHandlerRead, DiscardAllDropsEverythingUntilCloseWithoutWorkCounts) {
  ScriptedIOHandler H;
  EventLog Log;
  Log.Attach(H);
  H.Data("abc").Data(Repeat(50000, 'd')).PeerCloses();
  H.ReadLn(u"b");  // leaves "c" buffered
  H.DiscardAll();
  EXPECT_TRUE(H.InputBufferIsEmpty());
  EXPECT_EQ(Log.Lines, (Lines{"begin read 0", "end read"}));
}

// --- connection state ---------------------------------------------------------------------

TEST(TNetIOHandlerState, StaysConnectedWhileBufferedBytesRemainAfterAClose) {
  ScriptedIOHandler H;
  H.Data("left").PeerCloses();
  EXPECT_TRUE(H.CheckForDataOnSource(0));
  EXPECT_TRUE(H.Connected());  // notices the close, but "left" is still to be read
  EXPECT_TRUE(H.ClosedGracefully());
  EXPECT_NO_THROW(H.CheckForDisconnect(true, false));
  EXPECT_THROW(H.CheckForDisconnect(true, true), ENetConnClosedGracefully);
  std::string Out;
  H.ReadBytes(Out, 4);
  EXPECT_FALSE(H.Connected());
  EXPECT_THROW(H.CheckForDisconnect(), ENetConnClosedGracefully);
}

TEST(TNetIOHandlerState, ReportsNoDataWhenNothingArrivesWithinTheWait) {
  ScriptedIOHandler H;
  EXPECT_FALSE(H.CheckForDataOnSource(5));
  EXPECT_TRUE(H.Connected());
}

TEST(TNetIOHandlerState, CountsAResetConnectionAsDisconnectedWithoutRaising) {
  ScriptedIOHandler H;
  H.PeerResets();
  bool Live = true;
  EXPECT_NO_THROW(Live = H.Connected());
  EXPECT_FALSE(Live);
}

TEST(TNetIOHandlerState, ReadingAfterCloseFailsAsClosed) {
  ScriptedIOHandler H;
  H.Data("x");
  H.Close();
  EXPECT_FALSE(H.Opened());
  EXPECT_EQ(H.InputBuffer().Size(), 0);
  EXPECT_THROW(H.ReadLn(), ENetConnClosedGracefully);
}

// --- writing ------------------------------------------------------------------------------

TEST(TNetIOHandlerWrite, SendsABufferedHeadInOnePiece) {
  ScriptedIOHandler H;
  EventLog Log;
  Log.Attach(H);
  H.WriteBufferOpen();
  H.WriteLn(u"GET / HTTP/1.1");
  H.WriteLn(u"Host: example");
  H.WriteLn();
  EXPECT_EQ(H.Written, "");
  H.WriteBufferClose();
  EXPECT_EQ(H.Written, "GET / HTTP/1.1\r\nHost: example\r\n\r\n");
  EXPECT_EQ(H.SendSizes.size(), 1u);
  EXPECT_FALSE(H.WriteBufferingActive());
  EXPECT_TRUE(Log.Lines.empty());  // no write work is open
}

TEST(TNetIOHandlerWrite, FlushesAtAPositiveThreshold) {
  ScriptedIOHandler H;
  H.WriteBufferOpen(4);
  H.Write(std::string_view("ab"));
  EXPECT_EQ(H.Written, "");
  H.Write(std::string_view("cde"));
  EXPECT_EQ(H.Written, "abcde");
  H.WriteBufferClose();
  EXPECT_EQ(H.SendSizes.size(), 1u);
}

TEST(TNetIOHandlerWrite, CancelDropsTheBufferedBytes) {
  ScriptedIOHandler H;
  H.WriteBufferOpen();
  H.WriteLn(u"dropped");
  H.WriteBufferCancel();
  H.WriteLn(u"direct");
  EXPECT_EQ(H.Written, "direct\r\n");
}

TEST(TNetIOHandlerWrite, CountsSentBytesAsWriteWork) {
  ScriptedIOHandler H;
  EventLog Log;
  Log.Attach(H);
  H.BeginWork(TWorkMode::wmWrite, 6);
  H.Write(std::string_view("abc"));
  H.Write(std::string_view("def"));
  H.EndWork(TWorkMode::wmWrite);
  EXPECT_EQ(Log.Lines, (Lines{"begin write 6", "work write 3", "work write 6", "end write"}));
}

TEST(TNetIOHandlerWrite, FailsWhenThePeerHasGoneAndDropsTheBuffer) {
  ScriptedIOHandler H;
  H.PeerGoneOnSend = true;
  H.WriteBufferOpen();
  H.WriteLn(u"x");
  EXPECT_THROW(H.WriteBufferClose(), ENetConnClosedGracefully);
  EXPECT_FALSE(H.WriteBufferingActive());
  EXPECT_TRUE(H.ClosedGracefully());
}

TEST(TNetIOHandlerWrite, EncodesTextAs7BitAscii) {
  ScriptedIOHandler H;
  H.WriteLn(u"caf\u00e9 \u4e2d");
  EXPECT_EQ(H.Written, "caf? ?\r\n");
}

}  // namespace
}  // namespace vlm
