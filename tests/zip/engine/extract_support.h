// tests/zip/engine/extract_support.h -- small helpers shared by the extraction tests: a run into a
// fresh folder, the files a folder holds, file times, expected content.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <set>
#include <string>

#if defined(_WIN32)
#include <windows.h>
#endif

#include "tests/support/temp_folder.h"
#include "tests/zip/engine/engine_harness.h"

namespace vlm::test {

// An extraction of one archive into a fresh folder; Run() calls VZ_Exec.
struct Extraction {
  TempFolder Out;
  EngineRun Engine;
  explicit Extraction(const String& Archive) {
    Engine.ArchiveName = Archive;
    Engine.BaseDir = PathString(Out.Path()) + u"/";
  }
  int32_t Run() { return Engine.Run(); }
  std::filesystem::path File(const std::string& Utf8Name) const {
    return Out.Path() / std::filesystem::path(std::u8string(Utf8Name.begin(), Utf8Name.end()));
  }
};

// Every file and folder below Root, as "/"-separated UTF-8 paths relative to it.
inline std::set<std::string> ListTree(const std::filesystem::path& Root) {
  std::set<std::string> Names;
  for (const auto& Item : std::filesystem::recursive_directory_iterator(Root)) {
    std::string Name = PathToUtf8(std::filesystem::relative(Item.path(), Root));
    for (char& C : Name) {
      if (C == '\\') C = '/';
    }
    Names.insert(Item.is_directory() ? Name + "/" : Name);
  }
  return Names;
}

inline std::string Plain(const std::string& Name) {
  return ReadBytes(ArchiveFolder() / "plain" / Name);
}

// File times are read and set through the same local-time conversion the engine uses on each
// platform: the C library's on POSIX, the system's own on Windows (the C runtime there follows a
// TZ variable of its own syntax, which need not agree with the zone the system uses).

// The file's last-write time as local broken-down time.
inline std::tm LocalWriteTime(const std::filesystem::path& File) {
  std::tm Local{};
#if defined(_WIN32)
  WIN32_FILE_ATTRIBUTE_DATA Data{};
  FILETIME LocalTime{};
  SYSTEMTIME T{};
  if (!::GetFileAttributesExW(File.c_str(), GetFileExInfoStandard, &Data) ||
      !::FileTimeToLocalFileTime(&Data.ftLastWriteTime, &LocalTime) ||
      !::FileTimeToSystemTime(&LocalTime, &T))
    return Local;
  Local.tm_year = T.wYear - 1900;
  Local.tm_mon = T.wMonth - 1;
  Local.tm_mday = T.wDay;
  Local.tm_hour = T.wHour;
  Local.tm_min = T.wMinute;
  Local.tm_sec = T.wSecond;
#else
  const auto System = std::chrono::file_clock::to_sys(std::filesystem::last_write_time(File));
  const std::time_t When = std::chrono::system_clock::to_time_t(System);
  localtime_r(&When, &Local);
#endif
  return Local;
}

inline std::string FormatTm(const std::tm& T) {
  char Buffer[32];
  std::strftime(Buffer, sizeof Buffer, "%Y-%m-%d %H:%M:%S", &T);
  return Buffer;
}

// Sets a file's last-write time to noon of a local date.
inline void SetLocalWriteTime(const std::filesystem::path& File, int Year, int Month, int Day) {
#if defined(_WIN32)
  SYSTEMTIME T{};
  T.wYear = static_cast<WORD>(Year);
  T.wMonth = static_cast<WORD>(Month);
  T.wDay = static_cast<WORD>(Day);
  T.wHour = 12;
  FILETIME LocalTime{}, Utc{};
  ASSERT_TRUE(::SystemTimeToFileTime(&T, &LocalTime) &&
              ::LocalFileTimeToFileTime(&LocalTime, &Utc));
  const HANDLE H = ::CreateFileW(File.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  ASSERT_NE(H, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(::SetFileTime(H, nullptr, nullptr, &Utc));
  ::CloseHandle(H);
#else
  std::tm T{};
  T.tm_year = Year - 1900;
  T.tm_mon = Month - 1;
  T.tm_mday = Day;
  T.tm_hour = 12;
  T.tm_isdst = -1;
  const auto System = std::chrono::system_clock::from_time_t(std::mktime(&T));
  std::filesystem::last_write_time(File, std::chrono::file_clock::from_sys(System));
#endif
}

// Whether a folder holds temporary ".part" files the engine should have removed.
inline bool HasPartFiles(const std::filesystem::path& Root) {
  for (const auto& Name : ListTree(Root)) {
    if (Name.size() >= 5 && Name.compare(Name.size() - 5, 5, ".part") == 0) return true;
  }
  return false;
}

}  // namespace vlm::test
