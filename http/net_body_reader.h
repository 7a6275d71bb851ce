// http/net_body_reader.h -- reads a reply body from the I/O handler with the framing its head
// announces: chunked (RFC 9112, 7.1, with extensions and trailers), a Content-Length, or until
// the peer closes.
// The body lands in a target stream, or is dropped when there is none. Progress is reported
// through the handler's work calls (so, with the client as work target, through the client's
// events): one BeginWork/EndWork pair around the body, OnWork with running totals.
#pragma once

#include <cstdint>

#include "http/net_component.h"
#include "http/net_io_handler.h"
#include "http/net_socket_exceptions.h"
#include "runtime/stream.h"
#include "runtime/string.h"
#include "runtime/string_list.h"

namespace vlm {

// The fields of a reply head that choose the framing.
struct TNetBodyFraming {
  String TransferEncoding;
  int64_t ContentLength = -1;  // -1 when absent or not a number
  bool HasContentLength() const { return ContentLength >= 0; }
};

// The body is read without a first-data wait.
inline constexpr int kNetBodyWaitUnbounded = -1;
// The most trailer lines a chunked body may carry: a peer that streams lines without end must not
// fill memory. As many as the header lines a head may carry.
inline constexpr int kNetMaxTrailerLines = 255;

// A body longer than the limit of its read (see ReadResponseBody's AMaxSize).
VLM_DECLARE_EXCEPTION(ENetBodyTooLarge, ENetIOHandlerStreamDataTooLarge);

// Reads one body. Framing, first match:
// - "chunked" in the lower-cased TransferEncoding: status text "Chunk Started" (on
//   AStatusTarget when given), one BeginWork(wmRead, 0) for the whole body, chunks until the one
//   of size 0, then trailer lines up to an empty line appended to ATrailers (when given). A
//   chunk-size line that is not a hexadecimal number raises ENetChunkedBodyError "Invalid chunk
//   size."; more than kNetMaxTrailerLines trailers "Too many trailer lines."; a close inside the
//   body ENetConnClosedGracefully. AFirstDataWaitMs does not apply.
// - ContentLength > 0: exactly that many bytes (ReadStream or Discard). A peer close before the
//   end raises ENetConnClosedGracefully "Connection Closed Gracefully."; the target keeps the
//   bytes that arrived.
// - no ContentLength: until the peer closes (ReadStream until close, or DiscardAll).
// - ContentLength 0: nothing.
// With AFirstDataWaitMs >= 0 the last three first wait that long for data when the input buffer
// is empty, and read nothing when none arrived.
// Every framing is limited to AMaxSize bytes of body (when not negative), and always to the
// stream limit kNetStreamLimit unless the handler has LargeStream: a longer body raises
// ENetBodyTooLarge "The reply body is larger than the limit of <n> bytes." -- a ContentLength
// above the limit before anything is read, a chunk before it is read, a body until close as soon
// as the bytes pass the limit. Discarded bodies count the same.
void ReadResponseBody(TNetIOHandler& AIOHandler, const TNetBodyFraming& AFraming, TStream* ATarget,
                      int AFirstDataWaitMs = kNetBodyWaitUnbounded,
                      TStringList* ATrailers = nullptr, TNetComponent* AStatusTarget = nullptr,
                      int64_t AMaxSize = -1);

// The limit ReadResponseBody applies with AMaxSize: the smaller of AMaxSize (when not negative)
// and the handler's stream limit.
int64_t BodySizeLimit(const TNetIOHandler& AIOHandler, int64_t AMaxSize);

// The size of the next chunk: one line cut at its first ";" (the chunk extensions), trimmed,
// read as a hexadecimal number. ENetChunkedBodyError for a line that is not one, or for a size
// beyond 2^63 - 1.
int64_t ReadChunkSize(TNetIOHandler& AIOHandler);

}  // namespace vlm
