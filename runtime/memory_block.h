// runtime/memory_block.h -- raw, uninitialised storage that keeps its bytes when it is resized,
// for buffers that grow to hundreds of megabytes (a downloaded body held in memory).
// On POSIX systems a large block is its own mapping: growing it remaps the pages instead of
// copying them, so growth needs no second copy of the content, and it asks for huge pages, so
// filling it takes a fraction of the page faults. On Windows a large block reserves address
// space well beyond its length and commits pages as it grows, so it grows in place. Small blocks
// live on the heap.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vlm {

class TMemoryBlock {
public:
  TMemoryBlock() = default;
  TMemoryBlock(const TMemoryBlock&) = delete;
  TMemoryBlock& operator=(const TMemoryBlock&) = delete;
  ~TMemoryBlock() { Release(); }

  uint8_t* Data() const { return FData; }
  size_t Capacity() const { return FCapacity; }

  // Makes the block NewCapacity bytes long, keeping the first min(old, new) bytes; bytes beyond
  // the old capacity are undetermined. NewCapacity 0 releases the block. Returns false, leaving
  // the block as it was, when the memory cannot be had.
  [[nodiscard]] bool Resize(size_t NewCapacity);
  void Release();
  // Gives the memory of the whole pages inside [Offset, Offset + Length) back to the system
  // while the block keeps its capacity; the bytes there become undetermined. Where the block
  // cannot do that (a heap block) nothing happens.
  void Discard(size_t Offset, size_t Length);

private:
  uint8_t* FData = nullptr;
  size_t FCapacity = 0;
  size_t FMapped = 0;  // length of the block's own mapping (reservation); 0 for a heap block
};

}  // namespace vlm
