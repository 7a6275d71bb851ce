// app/win32/shell_folders.h -- reading a special folder's path from the per-user registry.
#pragma once

#include "runtime/exception.h"
#include "runtime/string.h"

namespace vlm {

VLM_DECLARE_EXCEPTION(ERegistryException, Exception);

// Opens HKEY_CURRENT_USER\KeyPath with full access, creating it when missing, then reads Value of
// its sub-key SubKey (opened, never created). Missing sub-key or value: "". Null SubKey: the key
// is opened (and created) but nothing is read.
String SpecialFolder(const wchar_t* KeyPath, const wchar_t* SubKey, const wchar_t* Value);

}  // namespace vlm
