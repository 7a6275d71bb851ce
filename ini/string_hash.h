// ini/string_hash.h -- a chained hash table from strings to 32-bit integers.
// The bucket count is fixed when the table is created. Keys compare exactly (code unit by code
// unit); a table never merges equal keys: Add always inserts a new node at the head of its
// bucket's chain, so among equal keys the most recently added one is found first.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "runtime/string.h"

namespace vlm {

struct THashItem;

// A link in a chain: a bucket slot or a node's Next field. The link owns the node it points to,
// so a table owns all of its nodes through its bucket slots.
using PHashItem = std::unique_ptr<THashItem>;

struct THashItem {
  PHashItem Next;  // next node in the same bucket's chain, or none
  String Key;      // stored unchanged
  int32_t Value;
};

class TStringHash {
public:
  // A table with Size empty buckets. Size must be at least 1 (a table without buckets could not
  // place any key); a smaller Size raises Exception.
  explicit TStringHash(int Size = 256);
  // Clears the table; chains of any length are freed without recursion.
  virtual ~TStringHash();
  TStringHash(const TStringHash&) = delete;
  TStringHash& operator=(const TStringHash&) = delete;

  // Always adds a node, also for a key already present; the new node is found first afterwards.
  void Add(StringView Key, int32_t Value);
  // Frees all nodes; the bucket count stays.
  void Clear();
  // Removes the first node found for Key (the most recently added of equal keys), if any.
  void Remove(StringView Key);
  // Replaces the value of the first node found for Key and returns true; false when absent.
  bool Modify(StringView Key, int32_t Value);
  // The value of the first node found for Key, or -1 when absent.
  int32_t ValueOf(StringView Key) const;

  // The hash of Key: starting from 0, for each UTF-16 code unit rotate left by 2 bits, then xor
  // the unit. The bucket is this value modulo the bucket count, computed unsigned.
  virtual uint32_t KeyHash(StringView Key) const;

  int BucketCount() const { return static_cast<int>(Buckets.size()); }

protected:
  // The link that points to the first node whose key equals Key exactly: the bucket slot or the
  // Next field of the previous node. When no node matches, the empty link at the chain's end.
  PHashItem* FindLink(StringView Key);
  const PHashItem* FindLink(StringView Key) const;

  std::vector<PHashItem> Buckets;  // one chain head per bucket; the length never changes

private:
  size_t BucketOf(StringView Key) const { return KeyHash(Key) % Buckets.size(); }
};

}  // namespace vlm
