// zip/engine/wildcard.cpp -- wildcard matching of entry names.
#include "zip/engine/wildcard.h"

#include "runtime/upper_case.h"

namespace vlm::zipengine {
namespace {

// Iterative matcher with one backtrack point (the last "*"): linear in practice, never
// exponential, whatever the pattern.
bool Match(StringView Pattern, StringView Text) {
  size_t P = 0, T = 0;
  size_t StarP = StringView::npos, StarT = 0;
  while (T < Text.size()) {
    if (P < Pattern.size() && Pattern[P] == u'*') {
      StarP = P++;
      StarT = T;
    } else if (P < Pattern.size() && (Pattern[P] == u'?' || Pattern[P] == Text[T])) {
      ++P;
      ++T;
    } else if (StarP != StringView::npos) {
      P = StarP + 1;
      T = ++StarT;
    } else {
      return false;
    }
  }
  while (P < Pattern.size() && Pattern[P] == u'*') ++P;
  return P == Pattern.size();
}

}  // namespace

bool MatchesSpec(StringView FileSpec, StringView Name) {
  String Pattern = UpperCase(FileSpec);
  for (char16_t& C : Pattern) {
    if (C == u'/') C = u'\\';
  }
  while (!Pattern.empty() && Pattern.front() == u'\\') Pattern.erase(0, 1);
  if (Pattern.empty()) return false;
  StringView Subject = Name;
  if (Pattern.find(u'\\') == String::npos) {
    const size_t Last = Name.rfind(u'\\');
    if (Last != StringView::npos) Subject = Name.substr(Last + 1);
  }
  // "*.*" (also "dir\*.*") stands for every name, dot or not.
  if (Pattern.size() >= 3 && Pattern.compare(Pattern.size() - 3, 3, u"*.*") == 0) {
    Pattern.resize(Pattern.size() - 2);
  }
  return Match(Pattern, UpperCase(Subject));
}

bool IsSelected(const std::vector<String>& Include, const std::vector<String>& Exclude,
                StringView Name) {
  bool Included = Include.empty();
  for (const String& Pattern : Include) {
    if (MatchesSpec(Pattern, Name)) {
      Included = true;
      break;
    }
  }
  if (!Included) return false;
  for (const String& Pattern : Exclude) {
    if (MatchesSpec(Pattern, Name)) return false;
  }
  return true;
}

}  // namespace vlm::zipengine
