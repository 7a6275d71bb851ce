// zip/zf_dir_hash_list.h -- TZFDirHashList: the archive's index from decoded entry names to
// entries. Names compare without regard to case (both sides upper-cased unit by unit); an entry
// whose name is already present is not added, so a lookup finds the first of duplicates.
#pragma once

#include <cstdint>
#include <vector>

#include "runtime/string.h"

namespace vlm {

class TZFIRec;

class TZFDirHashList {
public:
  // The chain table size for Count entries: the smallest of the fixed sizes not below Count
  // for fewer than 12000 entries, otherwise the largest size below Count; always 61..65537.
  static uint32_t TableSizeFor(uint64_t Count);

  // Empties the index; the first Add then sizes it for an unknown count (1283 chains).
  void Clear() { FChains.clear(); }
  // Empties the index and sizes it for Count entries.
  void Reserve(uint64_t Count);
  // Adds Entry unless an entry of the same name is present; returns the entry that stays
  // indexed under the name (Entry itself, or the earlier duplicate). Entries are not owned.
  const TZFIRec* Add(const TZFIRec* Entry);
  // The first entry whose decoded name equals Name without regard to case, or nullptr.
  const TZFIRec* Find(StringView Name) const;
  uint32_t TableSize() const { return static_cast<uint32_t>(FChains.size()); }

private:
  std::vector<std::vector<const TZFIRec*>> FChains;  // entries not owned
};

}  // namespace vlm
