// zip/zf_dir_hash_list.h -- TZFDirHashList: the archive's index from decoded entry names to
// entries. Names compare without regard to case (both sides upper-cased unit by unit); an entry
// whose name is already present is not added, so a lookup finds the first of duplicates.
//
// Each entry's upper-cased name is kept once, as the key of a hash map spread by a hash of the
// whole key string. The entries' own name hash (ZipNameHash) is easy to collide with printable
// names, so it does not choose the bucket: a lookup costs the key's length plus a constant,
// whatever names the archive holds.
#pragma once

#include <cstdint>
#include <unordered_map>

#include "runtime/string.h"

namespace vlm {

class TZFIRec;

class TZFDirHashList {
public:
  // The chain table size for Count entries: the smallest of the fixed sizes not below Count
  // for fewer than 12000 entries, otherwise the largest size below Count; always 61..65537.
  static uint32_t TableSizeFor(uint64_t Count);

  // Empties the index; the first Add then sizes it for an unknown count (1283 chains).
  void Clear() {
    FIndex.clear();
    FTableSize = 0;
  }
  // Empties the index and sizes it for Count entries.
  void Reserve(uint64_t Count);
  // Adds Entry unless an entry of the same name is present; returns the entry that stays
  // indexed under the name (Entry itself, or the earlier duplicate). Entries are not owned.
  const TZFIRec* Add(const TZFIRec* Entry);
  // The first entry whose decoded name equals Name without regard to case, or nullptr.
  const TZFIRec* Find(StringView Name) const;
  // The table size chosen for the count (TableSizeFor); the map starts with that many buckets
  // and grows with the entries. 0 while empty and unsized.
  uint32_t TableSize() const { return FTableSize; }

private:
  uint32_t FTableSize = 0;
  std::unordered_map<String, const TZFIRec*> FIndex;  // upper-cased name -> entry (not owned)
};

}  // namespace vlm
