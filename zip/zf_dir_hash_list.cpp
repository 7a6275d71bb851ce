// zip/zf_dir_hash_list.cpp -- the name index of an archive's entries.
#include "zip/zf_dir_hash_list.h"

#include "runtime/upper_case.h"
#include "zip/zf_dir_entry.h"

namespace vlm {
namespace {

constexpr uint32_t kTableSizes[] = {61,    131,   257,   389,   521,   641,   769,   1031,
                                    1283,  1543,  2053,  2579,  3593,  4099,  5147,  6151,
                                    7177,  8209,  10243, 12289, 14341, 16411, 18433, 20483,
                                    22521, 24593, 28687, 32771, 40961, 65537};
// The size used when entries are added without sizing first.
constexpr uint32_t kUnsizedTableSize = 1283;
// From this many entries on, chains are allowed to grow longer than one entry on average.
constexpr uint64_t kLargeDirectory = 12000;

}  // namespace

uint32_t ZipNameHash(StringView Name) {
  // Wrapping 32-bit arithmetic throughout; the fold keeps the value below 2^28.
  uint32_t H = 0;
  for (const char16_t Unit : Name) {
    H = (H << 4) + Unit;
    if (H >= 0x10000000u) H = (H ^ ((H >> 28) << 4)) & 0x0FFFFFFFu;
  }
  return H;
}

uint32_t TZFDirHashList::TableSizeFor(uint64_t Count) {
  if (Count < kLargeDirectory) {
    for (const uint32_t Size : kTableSizes) {
      if (Size >= Count) return Size;
    }
  }
  uint32_t Best = kTableSizes[0];
  for (const uint32_t Size : kTableSizes) {
    if (Size < Count) Best = Size;
  }
  return Best;
}

void TZFDirHashList::Reserve(uint64_t Count) {
  Clear();
  FTableSize = TableSizeFor(Count);
  FIndex.reserve(FTableSize);
}

const TZFIRec* TZFDirHashList::Add(const TZFIRec* Entry) {
  if (FTableSize == 0) {
    FTableSize = kUnsizedTableSize;
    FIndex.reserve(FTableSize);
  }
  return FIndex.try_emplace(UpperCase(Entry->FileName()), Entry).first->second;
}

const TZFIRec* TZFDirHashList::Find(StringView Name) const {
  const auto Found = FIndex.find(UpperCase(Name));
  return Found == FIndex.end() ? nullptr : Found->second;
}

}  // namespace vlm
