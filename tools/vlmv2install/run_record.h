// tools/vlmv2install/run_record.h -- the per-user registry record that the runtime-engine
// stand-in leaves of every run, so that tests can see that (and how) the installer started it.
#pragma once

#include "runtime/string.h"

namespace vlm::standin {

// The record's key below HKEY_CURRENT_USER and its two values.
inline constexpr const wchar_t* kRecordKey = L"Software\\Velmora\\RuntimeEngine";
inline constexpr const wchar_t* kCommandLineValue = L"CommandLine";  // REG_SZ: the arguments
inline constexpr const wchar_t* kRunsValue = L"Runs";  // REG_DWORD: runs so far, stops at 2^32-1

// Creates the key when missing, stores Arguments as CommandLine and adds one to Runs (a missing
// or malformed Runs counts as 0). Returns false when the key or a value cannot be written.
bool RecordRun(const String& Arguments);

}  // namespace vlm::standin
