// app/win32/module_resource.h -- raw-data resources of the running executable, by name.
#pragma once

#include <cstddef>

#include "runtime/exception.h"
#include "runtime/string.h"

namespace vlm {

VLM_DECLARE_EXCEPTION(EResNotFound, Exception);

struct TRawResource {
  const void* Data;
  size_t Size;
};

// The RCDATA resource Name of the executable (names compare without regard to case). Raises
// "Resource %s not found" with Name as asked.
TRawResource FindRawResource(const String& Name);

}  // namespace vlm
