// tests/support/temp_folder.h -- a fresh folder per test, removed with everything in it afterwards.
#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "runtime/string.h"

namespace vlm::test {

inline std::string PathToUtf8(const std::filesystem::path& Path) {
  const std::u8string Text = Path.u8string();
  return std::string(Text.begin(), Text.end());
}

// The whole content of a file as bytes ("" when it cannot be read).
inline std::string ReadBytes(const std::filesystem::path& Path) {
  std::ifstream In(Path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(In), {});
}

inline void WriteBytes(const std::filesystem::path& Path, std::string_view Bytes) {
  std::ofstream Out(Path, std::ios::binary | std::ios::trunc);
  Out.write(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
}

class TempFolder {
public:
  TempFolder() {
    static std::atomic<int> Counter{0};
    const auto Base = std::filesystem::temp_directory_path();
    const auto Ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    for (;;) {
      FPath = Base / ("vlm-test-" + std::to_string(Ticks) + "-" + std::to_string(Counter++));
      if (std::filesystem::create_directory(FPath)) break;
    }
  }
  ~TempFolder() {
    std::error_code Ignored;
    std::filesystem::remove_all(FPath, Ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& Path() const { return FPath; }
  // The full name of Name inside the folder, as the system's string.
  String File(const std::string& Name) const { return Utf8ToString(PathToUtf8(FPath / Name)); }

private:
  std::filesystem::path FPath;
};

}  // namespace vlm::test
