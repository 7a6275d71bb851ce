// runtime/win32/upper_case_win32.cpp -- UpperCaseUnit on Windows, through the platform's mapping.
#include "runtime/upper_case.h"

#include "runtime/win32/win32_api.h"

namespace vlm {

char16_t UpperCaseUnit(char16_t C) {
  // A surrogate is half a character; on its own it has no case. (Given a whole pair, the platform
  // may upper-case the character, which would break the one-unit-at-a-time contract.)
  if (C >= 0xD800 && C <= 0xDFFF) return C;
  // ASCII is by far the most common input and needs no lookup.
  if (C < 0x80) return C >= u'a' && C <= u'z' ? static_cast<char16_t>(C - 0x20) : C;
  wchar_t Unit = static_cast<wchar_t>(C);
  ::CharUpperBuffW(&Unit, 1);
  return static_cast<char16_t>(Unit);
}

}  // namespace vlm
