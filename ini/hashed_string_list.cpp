// ini/hashed_string_list.cpp -- lookups through lazily rebuilt string hashes.
#include "ini/hashed_string_list.h"

#include "runtime/upper_case.h"

namespace vlm {

THashedStringList::~THashedStringList() = default;

String THashedStringList::HashKey(StringView Text) const {
  return CaseSensitive() ? String(Text) : UpperCase(Text);
}

void THashedStringList::MarkHashesStale() {
  FValueHashValid = false;
  FNameHashValid = false;
}

void THashedStringList::Changed() {
  // Stale first: a change handler that looks something up must not see the old hash.
  MarkHashesStale();
  TStringList::Changed();
}

void THashedStringList::RefreshValueHash() const {
  if (FValueHashValid && FValueHashCaseSensitive == CaseSensitive()) return;
  if (FValueHash) {
    FValueHash->Clear();
  } else {
    FValueHash = std::make_unique<TStringHash>(kHashBuckets);
  }
  // Ascending order with head insertion: among equal keys the highest index is found first.
  for (int I = 0; I < Count(); ++I) FValueHash->Add(HashKey(Strings(I)), I);
  FValueHashValid = true;
  FValueHashCaseSensitive = CaseSensitive();
}

void THashedStringList::RefreshNameHash() const {
  if (FNameHashValid && FNameHashCaseSensitive == CaseSensitive()) return;
  if (FNameHash) {
    FNameHash->Clear();
  } else {
    FNameHash = std::make_unique<TStringHash>(kHashBuckets);
  }
  for (int I = 0; I < Count(); ++I) {
    const String& Line = Strings(I);
    const size_t Equals = Line.find(u'=');
    if (Equals == String::npos) continue;  // a line without "=" has no name
    FNameHash->Add(HashKey(StringView(Line).substr(0, Equals)), I);
  }
  FNameHashValid = true;
  FNameHashCaseSensitive = CaseSensitive();
}

int THashedStringList::IndexOf(const String& S) const {
  RefreshValueHash();
  return FValueHash->ValueOf(HashKey(S));
}

int THashedStringList::IndexOfName(const String& Name) const {
  RefreshNameHash();
  return FNameHash->ValueOf(HashKey(Name));
}

}  // namespace vlm
