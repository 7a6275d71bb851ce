// zip/engine/engine_files.h -- the few file operations the engine needs beyond the runtime's:
// exclusive creation, renaming without replacing, DOS file times and the library's own path; and
// how many processors the process may run on.
// posix/engine_files_posix.cpp and win32/engine_files_win32.cpp implement them; CMake picks one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

#include "runtime/string.h"
#include "zip/format/zip_format.h"

namespace vlm::zipengine {

// Local DOS date-times as the OS's file times (seconds since 1970 UTC on POSIX, FILETIME ticks on
// Windows), for one extraction. The conversion asks the C library for the time zone's rules at
// that date (mktime also looks at the zone file again on every call), which costs more than
// setting the time itself, and the entries of one archive mostly share a few times: the last
// answer is kept. Made per extraction, so a change of the machine's time zone is seen by the next.
class TDosTimeCache {
public:
  // Nothing for a time IsValidDosDateTime refuses or the OS cannot convert.
  std::optional<int64_t> FileTime(uint32_t DosDateTime);

private:
  bool FKnown = false;
  uint32_t FDosDateTime = 0;
  std::optional<int64_t> FFileTime;
};

// A file the engine has just created and writes sequentially. Owns the OS handle.
class TNewFile {
public:
  // Creates Path, failing (nullptr) when anything of that name exists already.
  static std::unique_ptr<TNewFile> CreateNew(const String& Path);
  ~TNewFile();
  TNewFile(const TNewFile&) = delete;
  TNewFile& operator=(const TNewFile&) = delete;

  // Writes all of Data; false on any failure (disk full, I/O error).
  bool Write(const void* Data, size_t Size);
  // Sets the file's last-write time from a local DOS date-time, as SetFileDosDateTime does, but
  // through the open handle (no second lookup of the path). Call after the last Write.
  bool SetDosDateTime(uint32_t DosDateTime);
  // The same, converting through Times.
  bool SetDosDateTime(uint32_t DosDateTime, TDosTimeCache& Times);
  // Closes the file; false when the OS reports a failure on closing (data may be lost).
  bool Close();

private:
  explicit TNewFile(intptr_t Handle) : FHandle(Handle) {}
  intptr_t FHandle;  // file descriptor or HANDLE; -1 once closed
};

enum class TPathKind { None, File, Folder };
TPathKind KindOfPath(const String& Path);

// The last-write time of an existing file as a local DOS date-time (date in the high 16 bits),
// an odd second rounded up to the next even one; nothing when it cannot be read.
std::optional<uint32_t> FileDosDateTime(const String& Path);

// Whether a DOS date-time names a real moment: month 1-12, day 1-31, hour below 24, minute below
// 60, seconds / 2 below 30. Archives hold zero and garbage here; such a time is not set at all
// (the file keeps the time of its writing) rather than normalised into some other day.
// DOS date-time fields: time bits 0-4 seconds / 2, 5-10 minutes, 11-15 hours; date bits 0-4 day,
// 5-8 month, 9-15 years since 1980.
using zipformat::IsValidDosDateTime;

// Sets the last-write time of Path from a local DOS date-time; false on failure, also for a
// time IsValidDosDateTime refuses.
bool SetFileDosDateTime(const String& Path, uint32_t DosDateTime);

// Renames From to To. Without Replace the rename fails when To exists (checked atomically by the
// OS where it can). Returns success.
bool RenameFile(const String& From, const String& To, bool Replace);

// The full path of the engine library itself (empty when the OS cannot tell).
String EngineModulePath();

// How many processors this process may run on (its affinity), at least 1.
unsigned UsableProcessors();

}  // namespace vlm::zipengine
