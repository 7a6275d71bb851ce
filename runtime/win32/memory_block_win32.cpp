// runtime/win32/memory_block_win32.cpp -- every block lives on the C runtime's heap.
#include "runtime/memory_block.h"

#include <cstdlib>

namespace vlm {

bool TMemoryBlock::Resize(size_t NewCapacity) {
  if (NewCapacity == FCapacity) return true;
  if (NewCapacity == 0) {
    Release();
    return true;
  }
  void* Grown = std::realloc(FData, NewCapacity);
  if (Grown == nullptr) return false;
  FData = static_cast<uint8_t*>(Grown);
  FCapacity = NewCapacity;
  return true;
}

void TMemoryBlock::Discard(size_t, size_t) {
  // A heap block keeps its memory.
}

void TMemoryBlock::Release() {
  std::free(FData);
  FData = nullptr;
  FCapacity = 0;
  FMapped = 0;
}

}  // namespace vlm
