// zip/engine/wildcard.h -- file specifications: which entries an operation selects.
//
// A file specification is matched without regard to letter case, "*" standing for any run of
// characters (also none) and "?" for exactly one. "*.*" matches every name, also one without a
// dot, as on Windows. A file specification without a "\" (or "/") is matched against the entry's
// name after its last folder separator; one with a separator against the whole entry name with "\"
// separators and no leading "\".
#pragma once

#include <vector>

#include "runtime/string.h"

namespace vlm::zipengine {

// Whether Name (a normalized entry name) matches one file specification.
bool MatchesSpec(StringView FileSpec, StringView Name);

// Selection: an empty include list means "*.*"; an entry is selected when it matches an include
// file specification and no exclude file specification.
bool IsSelected(const std::vector<String>& Include, const std::vector<String>& Exclude,
                StringView Name);

}  // namespace vlm::zipengine
