// runtime/posix/memory_block_posix.cpp -- heap blocks below a megabyte, mappings above.
#include "runtime/memory_block.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace vlm {

namespace {

// From this size on a block gets its own mapping: the heap's realloc would copy it.
constexpr size_t kMappedFrom = size_t{1} << 20;

size_t PageRounded(size_t Size) {
  const size_t Page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  return (Size + Page - 1) / Page * Page;
}

// Huge pages cut the page faults of filling a large block about 500-fold. Only a hint: where
// the system has none, or refuses, the block keeps ordinary pages.
void AdviseHugePages(void* Start, size_t Length) {
#ifdef MADV_HUGEPAGE
  madvise(Start, Length, MADV_HUGEPAGE);
#else
  (void)Start;
  (void)Length;
#endif
}

uint8_t* MapBlock(size_t Length) {
  void* Start = mmap(nullptr, Length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (Start == MAP_FAILED) return nullptr;
  AdviseHugePages(Start, Length);
  return static_cast<uint8_t*>(Start);
}

}  // namespace

bool TMemoryBlock::Resize(size_t NewCapacity) {
  if (NewCapacity == FCapacity) return true;
  if (NewCapacity == 0) {
    Release();
    return true;
  }
  if (NewCapacity > SIZE_MAX - (size_t{1} << 21)) return false;  // page rounding would wrap
  if (FMapped != 0) {
    // A mapping stays a mapping, also when it shrinks: it is given back page by page.
    const size_t Length = PageRounded(NewCapacity);
    if (Length != FMapped) {
#ifdef MREMAP_MAYMOVE
      void* Moved = mremap(FData, FMapped, Length, MREMAP_MAYMOVE);
      if (Moved == MAP_FAILED) return false;
      if (Length > FMapped) AdviseHugePages(Moved, Length);
      FData = static_cast<uint8_t*>(Moved);
#else
      uint8_t* Fresh = MapBlock(Length);
      if (Fresh == nullptr) return false;
      std::memcpy(Fresh, FData, FCapacity < NewCapacity ? FCapacity : NewCapacity);
      munmap(FData, FMapped);
      FData = Fresh;
#endif
      FMapped = Length;
    }
    FCapacity = NewCapacity;
    return true;
  }
  if (NewCapacity >= kMappedFrom) {
    const size_t Length = PageRounded(NewCapacity);
    uint8_t* Fresh = MapBlock(Length);
    if (Fresh == nullptr) return false;
    if (FCapacity != 0) std::memcpy(Fresh, FData, FCapacity);
    std::free(FData);
    FData = Fresh;
    FMapped = Length;
    FCapacity = NewCapacity;
    return true;
  }
  void* Grown = std::realloc(FData, NewCapacity);
  if (Grown == nullptr) return false;
  FData = static_cast<uint8_t*>(Grown);
  FCapacity = NewCapacity;
  return true;
}

void TMemoryBlock::Discard(size_t Offset, size_t Length) {
  if (FMapped == 0 || Offset >= FCapacity) return;
  const size_t Page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  const size_t End = Length < FCapacity - Offset ? Offset + Length : FCapacity;
  const size_t First = (Offset + Page - 1) / Page * Page;
  const size_t Last = End / Page * Page;
  if (First < Last) madvise(FData + First, Last - First, MADV_DONTNEED);
}

void TMemoryBlock::Release() {
  if (FMapped != 0)
    munmap(FData, FMapped);
  else
    std::free(FData);
  FData = nullptr;
  FCapacity = 0;
  FMapped = 0;
}

}  // namespace vlm
