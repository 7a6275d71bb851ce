// runtime/posix/upper_case_posix.cpp -- UpperCaseUnit on Linux, from the generated table of the
// BMP's upper-case mappings (the same mappings Windows applies to a single code unit).
#include "runtime/upper_case.h"

#include <algorithm>
#include <iterator>

#include "runtime/posix/text_tables.inc"

namespace vlm {

char16_t UpperCaseUnit(char16_t C) {
  // ASCII is by far the most common input and needs no lookup.
  if (C < 0x80) return C >= u'a' && C <= u'z' ? static_cast<char16_t>(C - 0x20) : C;

  using text_tables::kUpperCaseRuns;
  using text_tables::UpperCaseRun;
  // The last run that starts at or before C is the only one that can hold it: runs never overlap.
  const auto* After =
      std::upper_bound(std::begin(kUpperCaseRuns), std::end(kUpperCaseRuns), C,
                       [](char16_t U, const UpperCaseRun& Run) { return U < Run.First; });
  if (After == std::begin(kUpperCaseRuns)) return C;
  const UpperCaseRun& Run = *(After - 1);
  if (C > Run.Last || (C - Run.First) % Run.Stride != 0) return C;
  return static_cast<char16_t>(C + Run.Delta);
}

}  // namespace vlm
