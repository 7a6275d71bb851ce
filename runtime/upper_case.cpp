// runtime/upper_case.cpp -- string-level upper-case folding and case-insensitive equality.
// Both are portable and built on UpperCaseUnit, so they fold as the platform's mapping does.
#include "runtime/upper_case.h"

#include <algorithm>

namespace vlm {

String UpperCase(StringView Text) {
  String Out(Text);
  std::transform(Out.begin(), Out.end(), Out.begin(), UpperCaseUnit);
  return Out;
}

bool SameText(StringView A, StringView B) {
  // Folding maps one unit to one unit, so strings of different lengths can never be equal.
  if (A.size() != B.size()) return false;
  for (size_t I = 0; I < A.size(); ++I) {
    if (A[I] != B[I] && UpperCaseUnit(A[I]) != UpperCaseUnit(B[I])) return false;
  }
  return true;
}

}  // namespace vlm
