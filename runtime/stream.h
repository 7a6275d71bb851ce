// runtime/stream.h -- the byte stream interface shared by memory and file streams.
// Positions and sizes are 64-bit byte counts. Read and Write move as much as they can and return
// the count; ReadBuffer and WriteBuffer demand the whole count and raise the stream errors.
#pragma once

#include <cstdint>

#include "runtime/object.h"

namespace vlm {

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream : public TObject {
public:
  // Copies up to Count bytes into Buffer from the current position; returns the bytes copied
  // (0 at the end). Count must not be negative.
  virtual int64_t Read(void* Buffer, int64_t Count) = 0;
  // Writes up to Count bytes at the current position; returns the bytes written.
  virtual int64_t Write(const void* Buffer, int64_t Count) = 0;
  // Moves the position and returns the new one.
  virtual int64_t Seek(int64_t Offset, TSeekOrigin Origin) = 0;
  // Changes the size (truncating or extending); the position is clamped to the new size.
  virtual void SetSize(int64_t NewSize) = 0;

  virtual int64_t Size();
  int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
  void SetPosition(int64_t Value) { Seek(Value, TSeekOrigin::soBeginning); }

  // Reads exactly Count bytes or raises EReadError "Stream read error".
  void ReadBuffer(void* Buffer, int64_t Count);
  // Writes exactly Count bytes or raises EWriteError "Stream write error".
  void WriteBuffer(const void* Buffer, int64_t Count);
  // Copies Count bytes from Source's position into this stream; Count 0 copies the whole of
  // Source from its beginning. Returns the bytes copied; raises the stream errors when short.
  int64_t CopyFrom(TStream& Source, int64_t Count);
};

}  // namespace vlm
