// zip/engine/posix/engine_files_posix.cpp -- the engine's file operations on POSIX systems.
#include "zip/engine/engine_files.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sched.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>

namespace vlm::zipengine {
namespace {

std::string Native(const String& Path) {
  return StringToUtf8(Path);
}

// DOS date-time fields: time bits 0-4 seconds / 2, 5-10 minutes, 11-15 hours; date bits 0-4 day,
// 5-8 month, 9-15 years since 1980.
uint32_t ToDos(const std::tm& T) {
  if (T.tm_year < 80) return (0u << 25) | (1u << 21) | (1u << 16);  // before 1980: 1980-01-01
  const uint32_t Date =
      static_cast<uint32_t>((T.tm_year - 80) << 9 | (T.tm_mon + 1) << 5 | T.tm_mday);
  const uint32_t Time = static_cast<uint32_t>(T.tm_hour << 11 | T.tm_min << 5 | T.tm_sec / 2);
  return Date << 16 | Time;
}

// A local DOS date-time as a time_t; nothing for a time IsValidDosDateTime refuses.
std::optional<time_t> DosToTime(uint32_t DosDateTime) {
  std::tm T{};
  T.tm_year = static_cast<int>((DosDateTime >> 25) & 0x7Fu) + 80;
  T.tm_mon = static_cast<int>((DosDateTime >> 21) & 0x0Fu) - 1;
  T.tm_mday = static_cast<int>((DosDateTime >> 16) & 0x1Fu);
  T.tm_hour = static_cast<int>((DosDateTime >> 11) & 0x1Fu);
  T.tm_min = static_cast<int>((DosDateTime >> 5) & 0x3Fu);
  T.tm_sec = static_cast<int>(DosDateTime & 0x1Fu) * 2;
  if (!IsValidDosDateTime(DosDateTime)) return std::nullopt;
  T.tm_isdst = -1;  // let the C library decide whether summer time applied then
  const time_t When = std::mktime(&T);
  if (When == static_cast<time_t>(-1)) return std::nullopt;
  return When;
}

}  // namespace

std::unique_ptr<TNewFile> TNewFile::CreateNew(const String& Path) {
  const int Fd = ::open(Native(Path).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (Fd < 0) return nullptr;
  return std::unique_ptr<TNewFile>(new TNewFile(Fd));
}

TNewFile::~TNewFile() {
  Close();
}

bool TNewFile::Write(const void* Data, size_t Size) {
  const auto* P = static_cast<const char*>(Data);
  while (Size > 0) {
    const ssize_t N = ::write(static_cast<int>(FHandle), P, Size);
    if (N < 0 && errno == EINTR) continue;
    if (N <= 0) return false;
    P += N;
    Size -= static_cast<size_t>(N);
  }
  return true;
}

std::optional<int64_t> TDosTimeCache::FileTime(uint32_t DosDateTime) {
  if (!FKnown || FDosDateTime != DosDateTime) {
    const std::optional<time_t> When = DosToTime(DosDateTime);
    FFileTime = When ? std::optional<int64_t>(static_cast<int64_t>(*When)) : std::nullopt;
    FDosDateTime = DosDateTime;
    FKnown = true;
  }
  return FFileTime;
}

bool TNewFile::SetDosDateTime(uint32_t DosDateTime) {
  TDosTimeCache Times;
  return SetDosDateTime(DosDateTime, Times);
}

bool TNewFile::SetDosDateTime(uint32_t DosDateTime, TDosTimeCache& Cache) {
  if (FHandle < 0) return false;
  const std::optional<int64_t> When = Cache.FileTime(DosDateTime);
  if (!When) return false;
  const struct timespec Times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(*When), 0}};
  return ::futimens(static_cast<int>(FHandle), Times) == 0;
}

bool TNewFile::Close() {
  if (FHandle < 0) return true;
  const int Result = ::close(static_cast<int>(FHandle));
  FHandle = -1;
  return Result == 0;
}

TPathKind KindOfPath(const String& Path) {
  struct stat St;
  if (::lstat(Native(Path).c_str(), &St) != 0) return TPathKind::None;
  return S_ISDIR(St.st_mode) ? TPathKind::Folder : TPathKind::File;
}

std::optional<uint32_t> FileDosDateTime(const String& Path) {
  struct stat St;
  if (::stat(Native(Path).c_str(), &St) != 0) return std::nullopt;
  time_t When = St.st_mtime;
  std::tm T{};
  if (!::localtime_r(&When, &T)) return std::nullopt;
  if (T.tm_sec % 2 != 0) {
    ++When;
    if (!::localtime_r(&When, &T)) return std::nullopt;
  }
  return ToDos(T);
}

bool SetFileDosDateTime(const String& Path, uint32_t DosDateTime) {
  const std::optional<time_t> When = DosToTime(DosDateTime);
  if (!When) return false;
  const struct timespec Times[2] = {{0, UTIME_OMIT}, {*When, 0}};
  return ::utimensat(AT_FDCWD, Native(Path).c_str(), Times, 0) == 0;
}

bool RenameFile(const String& From, const String& To, bool Replace) {
  const std::string F = Native(From), T = Native(To);
  if (Replace) return std::rename(F.c_str(), T.c_str()) == 0;
  if (::renameat2(AT_FDCWD, F.c_str(), AT_FDCWD, T.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // File systems without RENAME_NOREPLACE: a hard link also refuses an existing name.
  if (::link(F.c_str(), T.c_str()) != 0) return false;
  ::unlink(F.c_str());
  return true;
}

String EngineModulePath() {
  Dl_info Info{};
  if (::dladdr(reinterpret_cast<void*>(&EngineModulePath), &Info) == 0 || !Info.dli_fname)
    return {};
  return Utf8ToString(Info.dli_fname);
}

unsigned UsableProcessors() {
  cpu_set_t Set;
  CPU_ZERO(&Set);
  if (::sched_getaffinity(0, sizeof Set, &Set) != 0) return 1;
  const int Count = CPU_COUNT(&Set);
  return Count > 1 ? static_cast<unsigned>(Count) : 1;
}

}  // namespace vlm::zipengine
