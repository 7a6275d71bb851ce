// runtime/win32/win32_api.h -- the one door through which <windows.h> enters the code base.
// Only files under runtime/win32/, app/ and ui/ include it; portable code never does.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#include <windows.h>

#include "runtime/string.h"

namespace vlm {

// String and the platform's wide strings share the UTF-16 representation on Windows.
inline const wchar_t* WidePtr(const String& Text) { return reinterpret_cast<const wchar_t*>(Text.c_str()); }
inline String FromWide(const wchar_t* Text, size_t Length) {
  return String(reinterpret_cast<const char16_t*>(Text), Length);
}
inline String FromWide(const wchar_t* Text) { return FromWide(Text, wcslen(Text)); }

}  // namespace vlm
