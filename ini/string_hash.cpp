// ini/string_hash.cpp -- the chained string-to-integer hash table.
#include "ini/string_hash.h"

#include "runtime/exception.h"

namespace vlm {

TStringHash::TStringHash(int Size) {
  // The bucket index is a remainder by the bucket count; zero buckets would divide by zero.
  if (Size < 1) throw Exception(u"Hash table size must be at least 1");
  Buckets.resize(static_cast<size_t>(Size));
}

TStringHash::~TStringHash() {
  Clear();
}

uint32_t TStringHash::KeyHash(StringView Key) const {
  uint32_t Hash = 0;
  for (const char16_t Unit : Key) Hash = ((Hash << 2) | (Hash >> 30)) ^ Unit;
  return Hash;
}

void TStringHash::Add(StringView Key, int32_t Value) {
  PHashItem& Head = Buckets[BucketOf(Key)];
  auto Item = std::make_unique<THashItem>();
  Item->Key = String(Key);
  Item->Value = Value;
  Item->Next = std::move(Head);
  Head = std::move(Item);
}

void TStringHash::Clear() {
  // Unlink node by node: letting a head's destructor free its successor in turn would recurse
  // once per node, and a long chain would overflow the stack.
  for (PHashItem& Head : Buckets) {
    while (Head) Head = std::move(Head->Next);
  }
}

PHashItem* TStringHash::FindLink(StringView Key) {
  PHashItem* Link = &Buckets[BucketOf(Key)];
  while (*Link && (*Link)->Key != Key) Link = &(*Link)->Next;
  return Link;
}

const PHashItem* TStringHash::FindLink(StringView Key) const {
  const PHashItem* Link = &Buckets[BucketOf(Key)];
  while (*Link && (*Link)->Key != Key) Link = &(*Link)->Next;
  return Link;
}

void TStringHash::Remove(StringView Key) {
  PHashItem* Link = FindLink(Key);
  if (!*Link) return;
  // Redirect the link to the successor; the detached node is freed on its own (its Next is empty
  // by then, so nothing else goes with it).
  PHashItem Removed = std::move(*Link);
  *Link = std::move(Removed->Next);
}

bool TStringHash::Modify(StringView Key, int32_t Value) {
  PHashItem* Link = FindLink(Key);
  if (!*Link) return false;
  (*Link)->Value = Value;
  return true;
}

int32_t TStringHash::ValueOf(StringView Key) const {
  const PHashItem* Link = FindLink(Key);
  return *Link ? (*Link)->Value : -1;
}

}  // namespace vlm
