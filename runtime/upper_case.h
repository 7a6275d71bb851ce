// runtime/upper_case.h -- upper-case folding of UTF-16 code units, one unit at a time.
// Every unit maps on its own through the platform's Unicode upper-case mapping, so the length of a
// string never changes (U+00DF stays U+00DF; surrogates stay as they are). Windows asks the
// platform; Linux uses a table generated from the Unicode simple upper-case mappings of the BMP,
// keeping, as the platform does, only those that lower-case back (U+00B5 MICRO SIGN, U+0131 dotless
// i and U+03C2 final sigma stay as they are, so folding never merges two small letters).
#pragma once

#include "runtime/string.h"

namespace vlm {

char16_t UpperCaseUnit(char16_t C);

// The string with every code unit folded by UpperCaseUnit.
String UpperCase(StringView Text);

// Equality after folding both sides (the case-insensitive comparison of names).
bool SameText(StringView A, StringView B);

}  // namespace vlm
