// http/net_buffer.h -- a byte queue with cheap removal from the front: the I/O handler's input
// and write buffers.
// Bytes are appended at the back and taken from the front. Taking only advances a head index;
// the content is moved to the front (and the array shrunk) once that head passes the growth
// factor, so a long body read block by block is not copied on every block.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "runtime/stream.h"

namespace vlm {

class TNetBuffer {
public:
  // Called with the byte count after every removal (Remove and the Extract forms; not Clear).
  using TRemovedEvent = std::function<void(int64_t Count)>;

  // The largest content: an append beyond it raises ENetTooMuchDataInBuffer.
  static constexpr int64_t kMaxSize = 2147483647;

  explicit TNetBuffer(TRemovedEvent OnBytesRemoved = {}, int AGrowthFactor = 2048);
  TNetBuffer(const TNetBuffer&) = delete;
  TNetBuffer& operator=(const TNetBuffer&) = delete;

  int Size() const { return FSize; }
  bool IsEmpty() const { return FSize == 0; }
  // The content, valid until the next change.
  std::string_view View() const {
    return {reinterpret_cast<const char*>(FBytes.get()) + FHeadIndex, static_cast<size_t>(FSize)};
  }

  // Appends Bytes. Into an empty buffer they are taken as they are; otherwise the content moves
  // to the front first, and the array grows to size + appended + growth factor when the free
  // room is too small. ENetTooMuchDataInBuffer when the size would pass kMaxSize.
  void Write(std::string_view Bytes);

  // Takes Count bytes from the front (all of them for Count < 0) and returns them.
  // ENetNotEnoughDataInBuffer "Not enough data in buffer. (<wanted>/<held>)" when Count > Size.
  std::string ExtractToBytes(int Count = -1);
  // As ExtractToBytes, writing the bytes to AStream at its position.
  void ExtractToStream(TStream& AStream, int Count = -1);
  // Drops Count bytes from the front (ENetNotEnoughDataInBuffer when Count > Size).
  void Remove(int Count);
  // Empties the buffer without a removal notification.
  void Clear();

  // Position of the first occurrence of Bytes at or after StartPos, or -1.
  int IndexOf(std::string_view Bytes, int StartPos = 0) const;

  // The array's length and the head index, for tests of the growth and compaction rules.
  int CapacityForTesting() const { return FLength; }
  int HeadIndexForTesting() const { return FHeadIndex; }

private:
  void CheckAvailable(int Count) const;
  // Advances the head past Count taken bytes, compacts, and notifies.
  void Consume(int Count);
  // Moves the content to the front of the array.
  void MoveToFront();
  void Reallocate(int NewLength);

  std::unique_ptr<uint8_t[]> FBytes;
  int FLength = 0;     // bytes in FBytes
  int FHeadIndex = 0;  // first unconsumed byte
  int FSize = 0;       // unconsumed bytes
  int FGrowthFactor;
  TRemovedEvent FOnBytesRemoved;
};

}  // namespace vlm
