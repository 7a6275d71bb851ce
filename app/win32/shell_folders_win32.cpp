// app/win32/shell_folders_win32.cpp -- the special folders as the per-user registry names them.
#include "app/win32/shell_folders.h"

#include "runtime/exception.h"
#include "runtime/win32/win32_api.h"

namespace vlm {

namespace {

// Reads the string value Name of an open key; a missing value yields "", a value of another type
// raises, as a registry read of the wrong kind does.
String ReadStringValue(HKEY Key, const wchar_t* Name) {
  DWORD Type = 0, Size = 0;
  if (RegQueryValueExW(Key, Name, nullptr, &Type, nullptr, &Size) != ERROR_SUCCESS) return String();
  if (Type != REG_SZ && Type != REG_EXPAND_SZ)
    throw ERegistryException(u"Invalid data type for '" + FromWide(Name) + u"'");
  std::wstring Buffer(Size / sizeof(wchar_t) + 1, L'\0');
  if (RegQueryValueExW(Key, Name, nullptr, &Type, reinterpret_cast<BYTE*>(Buffer.data()), &Size) !=
      ERROR_SUCCESS)
    return String();
  Buffer.resize(Size / sizeof(wchar_t));
  while (!Buffer.empty() && Buffer.back() == L'\0') Buffer.pop_back();
  return FromWide(Buffer.c_str(), Buffer.size());
}

class TRegKey {
public:
  ~TRegKey() {
    if (Key) RegCloseKey(Key);
  }
  HKEY Key = nullptr;
};

}  // namespace

String SpecialFolder(const wchar_t* KeyPath, const wchar_t* SubKey, const wchar_t* Value) {
  TRegKey Key;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, KeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_ALL_ACCESS, nullptr, &Key.Key, nullptr) != ERROR_SUCCESS)
    return String();
  if (!SubKey || !Value) return String();
  TRegKey Sub;
  if (RegOpenKeyExW(Key.Key, SubKey, 0, KEY_ALL_ACCESS, &Sub.Key) != ERROR_SUCCESS) return String();
  return ReadStringValue(Sub.Key, Value);
}

String ProgramsFolder() {
  TRegKey Key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER,
                    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", 0,
                    KEY_ALL_ACCESS, &Key.Key) != ERROR_SUCCESS)
    return String();
  return ReadStringValue(Key.Key, L"Programs");
}

}  // namespace vlm
