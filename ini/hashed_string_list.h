// ini/hashed_string_list.h -- an ordered string list that finds strings and names through hashes.
// IndexOf and IndexOfName go through two string hashes (whole string -> index, name -> index),
// built on the first lookup after a change and thrown away by every change. Among equal keys a
// lookup returns the highest index: the last occurrence in the list. The INI classes keep their
// section list and every section's lines in such lists.
#pragma once

#include <memory>

#include "ini/string_hash.h"
#include "runtime/string_list.h"

namespace vlm {

class THashedStringList : public TStringList {
public:
  THashedStringList() = default;
  // Releases both hashes; the attached objects stay with their owners.
  ~THashedStringList() override;

  // Index of the last entry equal to S (after upper-case folding of both sides unless
  // CaseSensitive), or -1.
  int IndexOf(const String& S) const override;
  // Index of the last entry whose name (the text before its first "=") is Name, folded likewise,
  // or -1. Entries without "=" have no name and are never found.
  int IndexOfName(const String& Name) const override;

  // Marks both hashes stale, so that the next lookup rebuilds them. Changing CaseSensitive does
  // not change the content; whoever changes the flag calls this (a hash built under the other
  // rule is also detected and rebuilt on its own, so a forgotten call costs no wrong answer).
  void MarkHashesStale();

protected:
  // Runs after every change of content: both hashes become stale; nothing is rebuilt until the
  // next lookup.
  void Changed() override;

private:
  // The key under which entry text is hashed and looked up: unchanged when CaseSensitive, else
  // folded to upper case (one code unit at a time, so the length never changes).
  String HashKey(StringView Text) const;
  void RefreshValueHash() const;
  void RefreshNameHash() const;

  static constexpr int kHashBuckets = 256;  // fixed; the lists of an INI file are short

  // Lookups are const, but rebuild these caches on demand.
  mutable std::unique_ptr<TStringHash> FValueHash;  // whole string -> index; created on first use
  mutable std::unique_ptr<TStringHash> FNameHash;   // name -> index; created on first use
  mutable bool FValueHashValid = false;
  mutable bool FNameHashValid = false;
  // The CaseSensitive rule each hash was built under: a hash of the other rule counts as stale.
  mutable bool FValueHashCaseSensitive = false;
  mutable bool FNameHashCaseSensitive = false;
};

}  // namespace vlm
