// tests/http/net_body_reader_test.cpp -- the body framings read from a scripted peer cut at every
// position: Content-Length, chunked with extensions and trailers, until close; early closes,
// broken chunk sizes, first-data waits, and the work events of each framing.
#include "http/net_body_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "http/net_socket_exceptions.h"
#include "runtime/memory_stream.h"
#include "runtime/string_list.h"
#include "tests/support/scripted_io_handler.h"

namespace vlm {
namespace {

using test::EventLog;
using test::ScriptedIOHandler;
using Lines = std::vector<std::string>;

TNetBodyFraming Counted(int64_t Length) {
  return {u"", Length};
}
TNetBodyFraming Chunked() {
  return {u"chunked", -1};
}
TNetBodyFraming UntilClose() {
  return {u"", -1};
}
TNetBodyFraming FramedAs(const char16_t* TransferEncoding, int64_t Length) {
  TNetBodyFraming F;
  F.TransferEncoding = TransferEncoding;
  F.ContentLength = Length;
  return F;
}

struct BodyCase {
  const char* Name;
  TNetBodyFraming Framing;
  std::string Input;  // the bytes after the head, including what follows the body
  std::string Body;
  Lines Trailers;
  std::string After;  // the bytes that follow the body (the next reply); read only when counted
  bool PeerCloses;
};

std::vector<BodyCase> Cases() {
  return {
      {"counted",
       Counted(11),
       "hello world"
       "NEXT",
       "hello world",
       {},
       "NEXT",
       false},
      {"chunked with extensions and trailers",
       Chunked(),
       "5;ext=1\r\nhello\r\n6 ; name=\"v\"\r\n world\r\n0\r\nX-Trailer: a\r\nY: b\r\n\r\nNEXT",
       "hello world",
       {"X-Trailer: a", "Y: b"},
       "NEXT",
       false},
      {"chunked with LF-only lines", Chunked(), "5\nhello\n0\n\nNEXT", "hello", {}, "NEXT", false},
      {"chunked with upper-case hex",
       FramedAs(u"gzip, Chunked", 99),
       "A\r\n0123456789\r\n0\r\n\r\n",
       "0123456789",
       {},
       "",
       false},
      {"until close", UntilClose(), "all of it\r\nand more", "all of it\r\nand more", {}, "", true},
  };
}

// Runs one case with the input cut as Pieces says and checks body, trailers and what follows.
void RunCase(const BodyCase& C, const std::vector<std::string>& Pieces, const std::string& Label) {
  ScriptedIOHandler H;
  for (const std::string& P : Pieces) H.Data(P);
  if (C.PeerCloses) H.PeerCloses();
  TMemoryStream Target;
  TStringList Trailers;
  ReadResponseBody(H, C.Framing, &Target, kNetBodyWaitUnbounded, &Trailers);
  EXPECT_EQ(Target.View(), C.Body) << Label;
  Lines Got;
  for (int I = 0; I < Trailers.Count(); ++I) Got.push_back(StringToUtf8(Trailers.Strings(I)));
  EXPECT_EQ(Got, C.Trailers) << Label;
  if (!C.After.empty()) {
    std::string Rest;
    H.ReadBytes(Rest, static_cast<int>(C.After.size()));
    EXPECT_EQ(Rest, C.After) << Label;
  }
}

TEST(ReadResponseBody, ReadsEveryFramingWhole) {
  for (const BodyCase& C : Cases()) RunCase(C, {C.Input}, C.Name);
}

TEST(ReadResponseBody, ReadsEveryFramingOneByteAtATime) {
  for (const BodyCase& C : Cases()) {
    std::vector<std::string> Pieces;
    for (char B : C.Input) Pieces.emplace_back(1, B);
    RunCase(C, Pieces, C.Name);
  }
}

TEST(ReadResponseBody, ReadsEveryFramingCutAtEveryPosition) {
  for (const BodyCase& C : Cases()) {
    for (size_t Cut = 1; Cut < C.Input.size(); ++Cut)
      RunCase(C, {C.Input.substr(0, Cut), C.Input.substr(Cut)},
              std::string(C.Name) + " cut at " + std::to_string(Cut));
  }
}

TEST(ReadResponseBody, DiscardsEveryFramingWithoutATarget) {
  for (const BodyCase& C : Cases()) {
    ScriptedIOHandler H;
    H.DataInPieces(C.Input, 3);
    if (C.PeerCloses) H.PeerCloses();
    ReadResponseBody(H, C.Framing, nullptr);
    if (!C.After.empty()) {
      std::string Rest;
      H.ReadBytes(Rest, static_cast<int>(C.After.size()));
      EXPECT_EQ(Rest, C.After) << C.Name;
    } else {
      EXPECT_TRUE(H.InputBufferIsEmpty()) << C.Name;
    }
  }
}

// --- early close --------------------------------------------------------------------------

TEST(ReadResponseBody, FailsWhenThePeerClosesBeforeTheContentLength) {
  ScriptedIOHandler H;
  EventLog Log;
  Log.Attach(H);
  H.Data("abc").Data("de").PeerCloses();
  TMemoryStream Target;
  try {
    ReadResponseBody(H, Counted(20), &Target);
    FAIL() << "a short body must not pass as complete";
  } catch (const ENetConnClosedGracefully& E) {
    EXPECT_EQ(E.Message(), u"Connection Closed Gracefully.");
  }
  EXPECT_EQ(Target.View(), "abcde");  // what arrived, and no zero padding
  EXPECT_EQ(Log.Lines.front(), "begin read 20");
  EXPECT_EQ(Log.Lines.back(), "end read");
}

TEST(ReadResponseBody, FailsWhenThePeerClosesBeforeADiscardedContentLength) {
  ScriptedIOHandler H;
  H.Data("abc").PeerCloses();
  EXPECT_THROW(ReadResponseBody(H, Counted(20), nullptr), ENetConnClosedGracefully);
}

TEST(ReadResponseBody, EndsNormallyAtTheCloseWithoutContentLength) {
  ScriptedIOHandler H;
  EventLog Log;
  Log.Attach(H);
  H.Data("abc").Data("de").PeerCloses();
  TMemoryStream Target;
  ReadResponseBody(H, UntilClose(), &Target);
  EXPECT_EQ(Target.View(), "abcde");
  EXPECT_EQ(Log.Lines, (Lines{"begin read 0", "work read 5", "end read"}));
  EXPECT_FALSE(H.Connected());
}

TEST(ReadResponseBody, FailsWhenThePeerClosesInsideAChunkedBody) {
  const std::string Input = "5\r\nhello\r\n6\r\n world\r\n0\r\n\r\n";
  // Closing anywhere before the final empty line leaves the body incomplete.
  for (size_t Cut = 0; Cut < Input.size() - 1; ++Cut) {
    ScriptedIOHandler H;
    if (Cut > 0) H.Data(Input.substr(0, Cut));
    H.PeerCloses();
    TMemoryStream Target;
    EXPECT_THROW(ReadResponseBody(H, Chunked(), &Target), ENetConnClosedGracefully) << Cut;
  }
}

// --- chunk framing errors ------------------------------------------------------------------

TEST(ReadResponseBody, RefusesAChunkSizeThatIsNotHexadecimal) {
  for (const char* Line :
       {"zz\r\n", "\r\n", "5x\r\n", ";ext\r\n", "-5\r\n", "10000000000000000\r\n"}) {
    ScriptedIOHandler H;
    H.Data(std::string("3\r\nabc\r\n") + Line + "rest");
    TMemoryStream Target;
    try {
      ReadResponseBody(H, Chunked(), &Target);
      FAIL() << "accepted " << Line;
    } catch (const ENetChunkedBodyError& E) {
      EXPECT_EQ(E.Message(), u"Invalid chunk size.") << Line;
    }
    EXPECT_EQ(Target.View(), "abc");
  }
}

TEST(ReadResponseBody, AcceptsTheLargestChunkSizeAndBlanksAroundIt) {
  ScriptedIOHandler H;
  H.Data(" 7fffffffffffffff \r\n").PeerCloses();
  H.LargeStream = true;
  test::SizeRecordingStream Target;
  EXPECT_THROW(ReadResponseBody(H, Chunked(), &Target), ENetConnClosedGracefully);
  EXPECT_EQ(Target.LargestSize, kNetMaxStreamPresize);
  EXPECT_EQ(Target.Size(), 0);
}

TEST(ReadResponseBody, RefusesEndlessTrailers) {
  ScriptedIOHandler H;
  std::string Input = "0\r\n";
  for (int I = 0; I < kNetMaxTrailerLines; ++I) Input += "T: x\r\n";
  H.Data(Input + "\r\n");
  TStringList Trailers;
  EXPECT_NO_THROW(ReadResponseBody(H, Chunked(), nullptr, kNetBodyWaitUnbounded, &Trailers));
  EXPECT_EQ(Trailers.Count(), kNetMaxTrailerLines);

  ScriptedIOHandler Endless;
  Endless.Data(Input + "T: one too many\r\n\r\n");
  try {
    ReadResponseBody(Endless, Chunked(), nullptr);
    FAIL() << "no exception";
  } catch (const ENetChunkedBodyError& E) {
    EXPECT_EQ(E.Message(), u"Too many trailer lines.");
  }
}

// --- work events and waits ----------------------------------------------------------------

TEST(ReadResponseBody, CountsChunkFramingInOneWorkSpan) {
  const std::string Input = "5;x=y\r\nhello\r\n6\r\n world\r\n0\r\nT: v\r\n\r\n";
  ScriptedIOHandler H;
  TNetComponent Client;
  H.SetWorkTarget(&Client);
  EventLog Log;
  Log.Attach(Client);
  std::vector<std::string> Status;
  Client.OnStatus = [&](TNetComponent&, TNetStatus S, const String& Text) {
    if (S == TNetStatus::hsStatusText) Status.push_back(StringToUtf8(Text));
  };
  H.DataInPieces(Input, 4);
  TMemoryStream Target;
  ReadResponseBody(H, Chunked(), &Target, kNetBodyWaitUnbounded, nullptr, &Client);
  EXPECT_EQ(Target.View(), "hello world");
  EXPECT_EQ(Status, (std::vector<std::string>{"Chunk Started"}));
  ASSERT_GE(Log.Lines.size(), 3u);
  EXPECT_EQ(Log.Lines.front(), "begin read 0");
  EXPECT_EQ(Log.Lines.back(), "end read");
  EXPECT_EQ(std::count(Log.Lines.begin(), Log.Lines.end(), "begin read 0"), 1);
  // The last running total counts every byte of the body's framing.
  EXPECT_EQ(Log.Lines[Log.Lines.size() - 2], "work read " + std::to_string(Input.size()));
}

TEST(ReadResponseBody, ReadsNothingAndFiresNothingForContentLengthZero) {
  ScriptedIOHandler H;
  EventLog Log;
  Log.Attach(H);
  H.Data("NEXT");
  TMemoryStream Target;
  ReadResponseBody(H, Counted(0), &Target);
  EXPECT_EQ(Target.Size(), 0);
  EXPECT_TRUE(Log.Lines.empty());
  EXPECT_EQ(H.Receives, 0);
}

TEST(ReadResponseBody, ReadsNothingWhenNoDataArrivesWithinTheFirstDataWait) {
  for (const TNetBodyFraming& F : {Counted(10), UntilClose()}) {
    ScriptedIOHandler H;
    EventLog Log;
    Log.Attach(H);
    TMemoryStream Target;
    ReadResponseBody(H, F, &Target, /*AFirstDataWaitMs=*/5);
    EXPECT_EQ(Target.Size(), 0);
    EXPECT_TRUE(Log.Lines.empty());
  }
}

TEST(ReadResponseBody, ReadsTheBodyWhenDataArrivesWithinTheFirstDataWait) {
  ScriptedIOHandler H;
  H.Data("0123456789");
  TMemoryStream Target;
  ReadResponseBody(H, Counted(10), &Target, /*AFirstDataWaitMs=*/5);
  EXPECT_EQ(Target.View(), "0123456789");
}

TEST(ReadResponseBody, ReportsAContentLengthBodyWithItsLength) {
  ScriptedIOHandler H;
  TNetComponent Client;
  H.SetWorkTarget(&Client);
  EventLog Log;
  Log.Attach(Client);
  H.DataInPieces(std::string(70000, 'p'), 10000);
  TMemoryStream Target;
  ReadResponseBody(H, Counted(70000), &Target);
  EXPECT_EQ(Log.Lines, (Lines{"begin read 70000", "work read 32768", "work read 65536",
                              "work read 70000", "end read"}));
}

}  // namespace
}  // namespace vlm
