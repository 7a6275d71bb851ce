// zip/engine/inflater.h -- a Deflate (RFC 1951) and Deflate64 decoder, and the byte source and
// sink interfaces that the engine's decoders share.
//
// Deflate64 is Deflate with a 64 KiB window, length code 285 meaning 3 + a 16-bit extra value
// (instead of 258) and distance codes 30 and 31 (32769 and 49153 + 14 extra bits). zlib has no
// decoder for it, so the engine carries this one. Method 8 uses zlib (faster); this decoder also
// runs Deflate so that the fuzz target can compare it with zlib on the same input.
//
// The decoder pulls input from a TByteSource and pushes output in pieces to a TByteSink. It
// accepts exactly the streams zlib's raw inflate accepts (same rules for incomplete and
// over-subscribed codes, distances beyond the output, stored-block lengths).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace vlm::zipengine {

// Where compressed bytes come from. Read returns up to Capacity bytes, 0 at the end.
class TByteSource {
public:
  virtual ~TByteSource() = default;
  virtual size_t Read(uint8_t* Buffer, size_t Capacity) = 0;
};

// Where decoded bytes go. Put returns false to stop decoding (size cap, abort); the decoder then
// returns TInflateResult::Stopped and calls Put no more.
class TByteSink {
public:
  virtual ~TByteSink() = default;
  virtual bool Put(const uint8_t* Data, size_t Size) = 0;
  // A buffer of at least Size bytes that a decoder may fill and then hand to Put, so that a sink
  // that keeps its blocks (to pass them to another thread) need not copy them. The same buffer
  // is offered again until Put has taken it. Nothing (the default): the decoder uses its own.
  virtual uint8_t* OutputBuffer(size_t Size) { return nullptr; }
};

enum class TInflateResult {
  Done,        // the final block ended
  DataError,   // the stream breaks the format (bad code, distance too far back, ...)
  InputEnded,  // the source ended before the final block did
  Stopped      // the sink refused more output
};

class TInflater {
public:
  explicit TInflater(bool Deflate64);
  ~TInflater();
  TInflater(const TInflater&) = delete;
  TInflater& operator=(const TInflater&) = delete;

  // Decodes one whole stream from In into Out. Call once per stream (a new TInflater for the next).
  TInflateResult Run(TByteSource& In, TByteSink& Out);

private:
  struct TState;
  std::unique_ptr<TState> FState;
};

}  // namespace vlm::zipengine
