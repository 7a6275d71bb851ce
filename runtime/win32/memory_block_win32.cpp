// runtime/win32/memory_block_win32.cpp -- heap blocks below a megabyte, reserved address space
// above. A large block reserves far more address space than it needs and commits pages as it
// grows, so growing it keeps the content where it is: no copy, and never the old and the new
// block at once (a body held in memory would otherwise need up to twice its size while it grows).
#include "runtime/memory_block.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

namespace vlm {

namespace {

// From this size on a block is its own reservation: the heap's realloc would copy it.
constexpr size_t kReservedFrom = size_t{1} << 20;
constexpr size_t kPage = 4096;

size_t PageRounded(size_t Size) {
  return (Size + kPage - 1) / kPage * kPage;
}

// The address space a block of Length bytes reserves: on 64-bit systems 4 GiB, beyond any body
// the client accepts, so such a block never moves; elsewhere twice the length, so that moves
// stay rare while address space is scarce.
size_t ReserveSpan(size_t Length) {
#ifdef _WIN64
  const size_t Span = size_t{4} << 30;
  return Length > Span ? Length : Span;
#else
  return Length <= SIZE_MAX / 2 ? Length * 2 : Length;
#endif
}

// A reservation of ASpan bytes with the first ALength committed, or nullptr.
uint8_t* ReserveBlock(size_t ASpan, size_t ALength) {
  void* Start = ::VirtualAlloc(nullptr, ASpan, MEM_RESERVE, PAGE_NOACCESS);
  if (Start == nullptr) return nullptr;
  if (::VirtualAlloc(Start, ALength, MEM_COMMIT, PAGE_READWRITE) == nullptr) {
    ::VirtualFree(Start, 0, MEM_RELEASE);
    return nullptr;
  }
  return static_cast<uint8_t*>(Start);
}

}  // namespace

bool TMemoryBlock::Resize(size_t NewCapacity) {
  if (NewCapacity == FCapacity) return true;
  if (NewCapacity == 0) {
    Release();
    return true;
  }
  if (NewCapacity > SIZE_MAX - kPage) return false;  // page rounding would wrap
  const size_t Length = PageRounded(NewCapacity);
  if (FMapped != 0) {
    // FMapped is the reservation; the committed pages are those of the capacity. A reservation
    // stays one, also when it shrinks: the pages beyond the new end are given back.
    const size_t Committed = PageRounded(FCapacity);
    if (Length <= FMapped) {
      if (Length > Committed && ::VirtualAlloc(FData + Committed, Length - Committed, MEM_COMMIT,
                                               PAGE_READWRITE) == nullptr)
        return false;
      if (Length < Committed) ::VirtualFree(FData + Length, Committed - Length, MEM_DECOMMIT);
      FCapacity = NewCapacity;
      return true;
    }
  } else if (NewCapacity < kReservedFrom) {
    void* Grown = std::realloc(FData, NewCapacity);
    if (Grown == nullptr) return false;
    FData = static_cast<uint8_t*>(Grown);
    FCapacity = NewCapacity;
    return true;
  }
  // A heap block that becomes large, or a reservation too small for the new length: a new
  // reservation, and the content moves once.
  const size_t Span = ReserveSpan(Length);
  uint8_t* Fresh = ReserveBlock(Span, Length);
  if (Fresh == nullptr) return false;
  if (FCapacity != 0) std::memcpy(Fresh, FData, FCapacity < NewCapacity ? FCapacity : NewCapacity);
  Release();
  FData = Fresh;
  FMapped = Span;
  FCapacity = NewCapacity;
  return true;
}

void TMemoryBlock::Discard(size_t Offset, size_t Length) {
  if (FMapped == 0 || Offset >= FCapacity) return;
  const size_t End = Length < FCapacity - Offset ? Offset + Length : FCapacity;
  const size_t First = (Offset + kPage - 1) / kPage * kPage;
  const size_t Last = End / kPage * kPage;
  if (First >= Last) return;
  // Decommitting gives the pages back at once; committed again, they cost nothing until used.
  ::VirtualFree(FData + First, Last - First, MEM_DECOMMIT);
  ::VirtualAlloc(FData + First, Last - First, MEM_COMMIT, PAGE_READWRITE);
}

void TMemoryBlock::Release() {
  if (FMapped != 0)
    ::VirtualFree(FData, 0, MEM_RELEASE);
  else
    std::free(FData);
  FData = nullptr;
  FCapacity = 0;
  FMapped = 0;
}

}  // namespace vlm
