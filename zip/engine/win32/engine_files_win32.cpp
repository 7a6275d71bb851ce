// zip/engine/win32/engine_files_win32.cpp -- the engine's file operations on Windows.
#include "zip/engine/engine_files.h"

#include <bit>

#include "runtime/win32/win32_api.h"

namespace vlm::zipengine {
namespace {

constexpr uint64_t kTicksPerSecond = 10000000;  // FILETIME counts 100 ns

HANDLE AsHandle(intptr_t H) {
  return reinterpret_cast<HANDLE>(H);
}

// A local DOS date-time as a UTC file time; false for a time IsValidDosDateTime refuses.
bool DosToFileTime(uint32_t DosDateTime, FILETIME& Utc) {
  if (!IsValidDosDateTime(DosDateTime)) return false;
  FILETIME Local;
  return ::DosDateTimeToFileTime(static_cast<WORD>(DosDateTime >> 16),
                                 static_cast<WORD>(DosDateTime), &Local) &&
         ::LocalFileTimeToFileTime(&Local, &Utc);
}

}  // namespace

std::unique_ptr<TNewFile> TNewFile::CreateNew(const String& Path) {
  const HANDLE H = ::CreateFileW(WidePtr(Path), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
  if (H == INVALID_HANDLE_VALUE) return nullptr;
  return std::unique_ptr<TNewFile>(new TNewFile(reinterpret_cast<intptr_t>(H)));
}

TNewFile::~TNewFile() {
  Close();
}

bool TNewFile::Write(const void* Data, size_t Size) {
  const auto* P = static_cast<const char*>(Data);
  while (Size > 0) {
    const DWORD Chunk = static_cast<DWORD>(Size > 0x40000000 ? 0x40000000 : Size);
    DWORD Done = 0;
    if (!::WriteFile(AsHandle(FHandle), P, Chunk, &Done, nullptr) || Done == 0) return false;
    P += Done;
    Size -= Done;
  }
  return true;
}

std::optional<int64_t> TDosTimeCache::FileTime(uint32_t DosDateTime) {
  if (!FKnown || FDosDateTime != DosDateTime) {
    FILETIME Utc;
    FFileTime = DosToFileTime(DosDateTime, Utc)
                    ? std::optional<int64_t>(static_cast<int64_t>(
                          uint64_t{Utc.dwHighDateTime} << 32 | Utc.dwLowDateTime))
                    : std::nullopt;
    FDosDateTime = DosDateTime;
    FKnown = true;
  }
  return FFileTime;
}

bool TNewFile::SetDosDateTime(uint32_t DosDateTime) {
  TDosTimeCache Times;
  return SetDosDateTime(DosDateTime, Times);
}

bool TNewFile::SetDosDateTime(uint32_t DosDateTime, TDosTimeCache& Times) {
  if (FHandle == -1) return false;
  const std::optional<int64_t> Ticks = Times.FileTime(DosDateTime);
  if (!Ticks) return false;
  FILETIME Utc;
  Utc.dwLowDateTime = static_cast<DWORD>(static_cast<uint64_t>(*Ticks));
  Utc.dwHighDateTime = static_cast<DWORD>(static_cast<uint64_t>(*Ticks) >> 32);
  return ::SetFileTime(AsHandle(FHandle), nullptr, nullptr, &Utc) != 0;
}

bool TNewFile::Close() {
  if (FHandle == -1) return true;
  const BOOL Ok = ::CloseHandle(AsHandle(FHandle));
  FHandle = -1;
  return Ok != 0;
}

TPathKind KindOfPath(const String& Path) {
  const DWORD Attributes = ::GetFileAttributesW(WidePtr(Path));
  if (Attributes == INVALID_FILE_ATTRIBUTES) return TPathKind::None;
  return (Attributes & FILE_ATTRIBUTE_DIRECTORY) ? TPathKind::Folder : TPathKind::File;
}

std::optional<uint32_t> FileDosDateTime(const String& Path) {
  WIN32_FILE_ATTRIBUTE_DATA Data;
  if (!::GetFileAttributesExW(WidePtr(Path), GetFileExInfoStandard, &Data)) return std::nullopt;
  FILETIME Local;
  if (!::FileTimeToLocalFileTime(&Data.ftLastWriteTime, &Local)) return std::nullopt;
  uint64_t Ticks = uint64_t{Local.dwHighDateTime} << 32 | Local.dwLowDateTime;
  uint64_t Seconds = Ticks / kTicksPerSecond;
  if (Seconds % 2 != 0) ++Seconds;  // DOS times have 2-second steps: round odd seconds up
  Ticks = Seconds * kTicksPerSecond;
  Local.dwLowDateTime = static_cast<DWORD>(Ticks);
  Local.dwHighDateTime = static_cast<DWORD>(Ticks >> 32);
  WORD Date = 0, Time = 0;
  if (!::FileTimeToDosDateTime(&Local, &Date, &Time)) return std::nullopt;
  return uint32_t{Date} << 16 | Time;
}

bool SetFileDosDateTime(const String& Path, uint32_t DosDateTime) {
  FILETIME Utc;
  if (!DosToFileTime(DosDateTime, Utc)) return false;
  const HANDLE H = ::CreateFileW(WidePtr(Path), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (H == INVALID_HANDLE_VALUE) return false;
  const BOOL Ok = ::SetFileTime(H, nullptr, nullptr, &Utc);
  ::CloseHandle(H);
  return Ok != 0;
}

bool RenameFile(const String& From, const String& To, bool Replace) {
  return ::MoveFileExW(WidePtr(From), WidePtr(To), Replace ? MOVEFILE_REPLACE_EXISTING : 0) != 0;
}

String EngineModulePath() {
  HMODULE Module = nullptr;
  if (!::GetModuleHandleExW(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          reinterpret_cast<LPCWSTR>(&EngineModulePath), &Module)) {
    return {};
  }
  wchar_t Buffer[MAX_PATH * 4];
  const DWORD N = ::GetModuleFileNameW(Module, Buffer, static_cast<DWORD>(std::size(Buffer)));
  if (N == 0 || N >= std::size(Buffer)) return {};
  return FromWide(Buffer, N);
}

unsigned UsableProcessors() {
  DWORD_PTR Process = 0, System = 0;
  if (!::GetProcessAffinityMask(::GetCurrentProcess(), &Process, &System)) return 1;
  const int Count = std::popcount(static_cast<uint64_t>(Process));
  return Count > 1 ? static_cast<unsigned>(Count) : 1;
}

}  // namespace vlm::zipengine
