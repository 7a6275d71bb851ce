// http/net_io_handler.h -- the buffered I/O handler under the HTTP client: the input buffer with
// line, counted and until-close reading, discarding, write buffering, and peer-close detection.
// TNetIOHandler holds every rule that does not touch a socket; it reaches its byte source through
// a few protected operations (is there a source, wait until readable, receive, send, close), which
// TNetIOHandlerSocket implements over a socket and test doubles implement in memory. Every byte
// taken out of the input buffer is reported as DoWork(wmRead, n), and every byte sent as
// DoWork(wmWrite, n); with a work target (the client) the events come from the target.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "http/net_buffer.h"
#include "http/net_component.h"
#include "http/net_socket_handle.h"
#include "http/net_stack.h"
#include "runtime/stream.h"
#include "runtime/string.h"

namespace vlm {

class TMemoryStream;

enum class TNetMaxLineAction { maException, maSplit };

// How text becomes bytes and back for lines and strings. ne7Bit (the default) keeps code units
// below 0x80 and turns everything else into "?", in both directions, on every build.
enum class TNetTextEncoding { ne7Bit, neAnsi, neUtf8 };

std::string EncodeNetText(StringView AText, TNetTextEncoding AEncoding);
String DecodeNetText(std::string_view ABytes, TNetTextEncoding AEncoding);

// A wait without a limit, for the time-out arguments.
inline constexpr int kNetTimeoutInfinite = -2;
// The most a counted stream read sizes its target in advance: an announced length is a claim by
// the peer, so a larger one is not allocated before the bytes actually arrive.
inline constexpr int64_t kNetMaxStreamPresize = 64 * 1024 * 1024;
// The stream size limit of reads without LargeStream: no stream read makes a stream longer.
inline constexpr int64_t kNetStreamLimit = 2147483647;

class TNetIOHandler : public TNetComponent {
public:
  TNetIOHandler();
  ~TNetIOHandler() override = default;

  // Settings (see the class comment of the client for where they come from).
  int RecvBufferSize = 32768;  // bytes asked of one receive; block size of stream reads
  int SendBufferSize = 32768;  // block size of sends
  int MaxLineLength = 16384;   // longest line ReadLn accepts
  TNetMaxLineAction MaxLineAction = TNetMaxLineAction::maException;
  int ReadTimeout = -1;      // ms; -1 and 0 select no time-out
  int ConnectTimeout = 0;    // ms; 0 selects a blocking connect
  bool LargeStream = false;  // false limits counted stream reads to 2 GB
  TNetTextEncoding DefStringEncoding = TNetTextEncoding::ne7Bit;
  String Host;
  int Port = 0;
  TNetIPVersion IPVersion = TNetIPVersion::Net_IPv4;
  String BoundIP;
  int BoundPort = 0;
  int BoundPortMin = 0;
  int BoundPortMax = 0;
  TNetReuseSocket ReuseSocket = TNetReuseSocket::rsOSDependent;
  bool UseNagle = true;
  // The stall rule, judged while a stall watch runs: a transfer that has run for StallWindow ms
  // and received fewer than StallMinBytes bytes in the last StallWindow ms fails with
  // ENetTransferStalled "The server <Host> stopped sending data.". It is judged on every receive
  // and, while waiting for data, at least every StallWindow / 16 ms; the read time-out still
  // bounds each single wait. A StallWindow of 0 or less turns the rule off.
  int StallWindow = 0;
  int64_t StallMinBytes = 0;

  // Starts judging the stall rule from now, with nothing received yet; EndStallWatch stops it.
  void BeginStallWatch();
  void EndStallWatch() { FStallWatch = false; }

  // Empties both buffers, forgets a peer close and marks the handler open.
  virtual void Open();
  // Closes the source, marks the handler not open and drops unsent buffered bytes. The input
  // buffer stays until the next Open.
  virtual void Close();
  bool Opened() const { return FOpened; }

  // Polls the source without waiting (noticing a peer close), then: connected while the source
  // exists, the handler is open and no close with an empty buffer has been seen, or while
  // buffered bytes remain.
  bool Connected();
  // Notices a recorded peer close (closing the source). Raises ENetConnClosedGracefully
  // "Connection Closed Gracefully." when disconnected, ARaiseIfDisconnected is set and the input
  // buffer is empty (or AIgnoreBuffer is set), so buffered bytes stay readable after a close.
  void CheckForDisconnect(bool ARaiseIfDisconnected = true, bool AIgnoreBuffer = false);
  bool ClosedGracefully() const { return FClosedGracefully; }

  TNetBuffer& InputBuffer() { return FInputBuffer; }
  bool InputBufferIsEmpty() const { return FInputBuffer.IsEmpty(); }
  // Whether the source has data within AMs (without reading it).
  bool Readable(int AMs);
  // When a source exists, waits up to AMs for data (-1: ReadTimeout) and buffers it; true when
  // the buffer grew.
  bool CheckForDataOnSource(int AMs);

  // One line: the bytes up to ATerminator (LF by default), without it and, for LF, without a CR
  // just before it. ATimeout -1 is ReadTimeout (raising ENetReadTimeout when it passes); a
  // timeout >= 0 instead returns an empty line with ReadLnTimedout set. AMaxLineLength -1 is
  // MaxLineLength; a longer line raises ENetReadLnMaxLineLengthExceeded "Max line length
  // exceeded." (maException) or returns its first AMaxLineLength bytes with ReadLnSplit set
  // (maSplit). The length is judged as soon as it is certain, so a peer that never sends the
  // terminator cannot make the buffer grow past the limit. A close with no line left raises
  // ENetConnClosedGracefully.
  String ReadLn(const String& ATerminator = u"\n", int ATimeout = -1, int AMaxLineLength = -1);
  String ReadLn(const String& ATerminator, int ATimeout, int AMaxLineLength,
                TNetTextEncoding AEncoding);
  bool ReadLnSplit() const { return FReadLnSplit; }
  bool ReadLnTimedout() const { return FReadLnTimedout; }

  // Exactly ACount bytes, appended to ABuffer (or replacing it). A peer close before ACount
  // bytes raises ENetConnClosedGracefully; the bytes that did arrive stay buffered.
  void ReadBytes(std::string& ABuffer, int ACount, bool AAppend = true);
  // Reads ACount bytes (a negative count or AReadUntilDisconnect: until the peer closes) into
  // AStream at its position, buffered bytes first, then in blocks of RecvBufferSize, inside
  // BeginWork(wmRead, ACount or 0)/EndWork. The stream is sized in advance to at most
  // kNetMaxStreamPresize bytes more and cut back to what was written, also on failure. A memory
  // stream is not sized but given capacity, for at most the larger of kNetMaxStreamPresize and
  // the bytes already read ahead of its position, and receives whole blocks in place.
  // A counted read ending early raises ENetConnClosedGracefully after writing what arrived;
  // ENetIOHandlerStreamDataTooLarge when position + ACount passes the stream limit. A read until
  // the peer closes raises ENetIOHandlerStreamDataTooLarge as soon as more bytes arrive than the
  // stream limit (without LargeStream) or AMaxCount (when not negative) allow; the stream then
  // holds the bytes allowed.
  void ReadStream(TStream& AStream, int64_t ACount = -1, bool AReadUntilDisconnect = false,
                  int64_t AMaxCount = -1);
  // Drops ACount bytes as they arrive, inside BeginWork(wmRead, ACount)/EndWork;
  // ENetConnClosedGracefully when the peer closes first.
  void Discard(int64_t ACount);
  // Drops everything until the peer closes, inside BeginWork(wmRead, 0)/EndWork, without OnWork.
  // With AMaxCount not negative, more bytes than that raise ENetIOHandlerStreamDataTooLarge.
  void DiscardAll(int64_t AMaxCount = -1);

  // Writes, buffered while a write buffer is open.
  void Write(std::string_view ABytes);
  void Write(const String& AText) { Write(EncodeNetText(AText, DefStringEncoding)); }
  void WriteLn(const String& AText = String());
  // Starts (or empties) the write buffer; a positive AThreshold flushes whenever that many bytes
  // are waiting, -1 never before WriteBufferClose.
  void WriteBufferOpen(int AThreshold = -1);
  // Sends the buffered bytes and ends buffering; when the send fails the bytes are dropped.
  void WriteBufferClose();
  void WriteBufferCancel();
  void WriteBufferFlush();
  bool WriteBufferingActive() const { return FWriteBuffer != nullptr; }
  // Sends at once: ENetConnClosedGracefully when the peer has closed; every send reports
  // DoWork(wmWrite, n).
  void WriteDirect(std::string_view ABytes);

protected:
  // Fills the input buffer: the bytes added, 0, or -1 when ATimeout (ms; -1 for ReadTimeout)
  // passed without data and ARaiseOnTimeout is false.
  int FillInputBuffer(bool ARaiseIfDisconnected, int ATimeout, bool ARaiseOnTimeout);

  // The byte source. SourceIsAvailable: a socket is allocated. WaitReadable: true when data or
  // an end of stream can be read within ATimeoutMs (kNetTimeoutInfinite: no limit).
  // ReceiveFromSource: bytes received, 0 at the peer's close; failures raise. SendToSource: bytes
  // sent, 0 when the peer has gone. CloseSource: releases the source.
  virtual bool SourceIsAvailable() const = 0;
  virtual bool WaitReadable(int ATimeoutMs) = 0;
  virtual int64_t ReceiveFromSource(void* ABuffer, size_t ALength) = 0;
  virtual int64_t SendToSource(const void* ABuffer, size_t ALength) = 0;
  virtual void CloseSource() = 0;

  bool FOpened = false;
  bool FClosedGracefully = false;

private:
  // One receive of at most AMax bytes into ADest (appended to the input buffer as well when
  // AToInputBuffer), with FillInputBuffer's waiting, close and time-out rules and result.
  int ReceiveInto(void* ADest, size_t AMax, bool ARaiseIfDisconnected, int ATimeout,
                  bool ARaiseOnTimeout, bool AToInputBuffer);
  // WaitReadable with the stall rule: waits in steps, judging the rule between them.
  bool WaitForSource(int ATimeoutMs);
  // Counts received bytes for the stall rule and judges it.
  void NoteReceived(int64_t ACount);
  // Raises ENetTransferStalled when the stall rule is broken now.
  void CheckStall();
  bool StallWatchActive() const { return FStallWatch && StallWindow > 0; }
  // Receives until the input buffer holds ACount bytes (see ReadBytes).
  void FillUntil(int ACount);
  // As FillUntil followed by taking the ACount bytes into AStream, for an empty input buffer:
  // the bytes are received in place into the stream's memory, never more than ACount, and
  // reported as one work step (the arrived part of them when the receive fails).
  void ReceiveBlockDirect(TMemoryStream& AStream, int ACount);

  TNetBuffer FInputBuffer;
  std::vector<char> FRecvBlock;  // one receive's bytes, kept between receives
  std::unique_ptr<TNetBuffer> FWriteBuffer;
  int FWriteBufferThreshold = -1;
  bool FReadLnSplit = false;
  bool FReadLnTimedout = false;
  // The stall watch: its start, and the bytes received in slots of StallWindow / 16 ms, oldest
  // first (only slots that still reach into the last window are kept).
  struct TStallSlot {
    std::chrono::steady_clock::time_point At;
    int64_t Bytes;
  };
  bool FStallWatch = false;
  std::chrono::steady_clock::time_point FStallStart;
  std::deque<TStallSlot> FStallSlots;
};

}  // namespace vlm
