// tests/zip/engine/extract_support.h -- small helpers shared by the extraction tests: a run into a
// fresh folder, the files a folder holds, file times, expected content.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <set>
#include <string>

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

// The file's last-write time as local broken-down time.
inline std::tm LocalWriteTime(const std::filesystem::path& File) {
  const auto FileTime = std::filesystem::last_write_time(File);
  const auto System = std::chrono::file_clock::to_sys(FileTime);
  const std::time_t When = std::chrono::system_clock::to_time_t(System);
  std::tm Local{};
#if defined(_WIN32)
  localtime_s(&Local, &When);
#else
  localtime_r(&When, &Local);
#endif
  return Local;
}

inline std::string FormatTm(const std::tm& T) {
  char Buffer[32];
  std::strftime(Buffer, sizeof Buffer, "%Y-%m-%d %H:%M:%S", &T);
  return Buffer;
}

// Sets a file's last-write time to a local date and time.
inline void SetLocalWriteTime(const std::filesystem::path& File, int Year, int Month, int Day) {
  std::tm T{};
  T.tm_year = Year - 1900;
  T.tm_mon = Month - 1;
  T.tm_mday = Day;
  T.tm_hour = 12;
  T.tm_isdst = -1;
  const auto System = std::chrono::system_clock::from_time_t(std::mktime(&T));
  std::filesystem::last_write_time(File, std::chrono::file_clock::from_sys(System));
}

// Whether a folder holds temporary ".part" files the engine should have removed.
inline bool HasPartFiles(const std::filesystem::path& Root) {
  for (const auto& Name : ListTree(Root)) {
    if (Name.size() >= 5 && Name.compare(Name.size() - 5, 5, ".part") == 0) return true;
  }
  return false;
}

}  // namespace vlm::test
