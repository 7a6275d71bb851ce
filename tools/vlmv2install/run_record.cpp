// tools/vlmv2install/run_record.cpp -- writes the run record into the per-user registry.
#include "tools/vlmv2install/run_record.h"

#include <limits>

#include "runtime/win32/win32_api.h"

namespace vlm::standin {

namespace {

// Closes the registry key it holds.
class OpenKey {
public:
  OpenKey() = default;
  OpenKey(const OpenKey&) = delete;
  OpenKey& operator=(const OpenKey&) = delete;
  ~OpenKey() {
    if (FKey != nullptr) ::RegCloseKey(FKey);
  }
  HKEY* Out() { return &FKey; }
  HKEY Get() const { return FKey; }

private:
  HKEY FKey = nullptr;
};

DWORD ReadRuns(HKEY Key) {
  DWORD Runs = 0;
  DWORD Type = 0;
  DWORD Size = sizeof(Runs);
  const LONG Result =
      ::RegQueryValueExW(Key, kRunsValue, nullptr, &Type, reinterpret_cast<BYTE*>(&Runs), &Size);
  // A value of another type or size (someone wrote it by hand) starts the count afresh.
  if (Result != ERROR_SUCCESS || Type != REG_DWORD || Size != sizeof(Runs)) return 0;
  return Runs;
}

}  // namespace

bool RecordRun(const String& Arguments) {
  OpenKey Key;
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, kRecordKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, Key.Out(),
                        nullptr) != ERROR_SUCCESS) {
    return false;
  }
  DWORD Runs = ReadRuns(Key.Get());
  if (Runs < std::numeric_limits<DWORD>::max()) ++Runs;  // saturate rather than wrap to 0

  const DWORD TextBytes = static_cast<DWORD>((Arguments.size() + 1) * sizeof(char16_t));
  const bool TextWritten = ::RegSetValueExW(Key.Get(), kCommandLineValue, 0, REG_SZ,
                                            reinterpret_cast<const BYTE*>(WidePtr(Arguments)),
                                            TextBytes) == ERROR_SUCCESS;
  const bool RunsWritten =
      ::RegSetValueExW(Key.Get(), kRunsValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&Runs),
                       sizeof(Runs)) == ERROR_SUCCESS;
  return TextWritten && RunsWritten;
}

}  // namespace vlm::standin
