// tests/ui/directory_edit_test_folder.h -- a fresh folder under the temporary folder for one
// test, removed with what the test put into it.
#pragma once

#include <string>
#include <vector>

#include "runtime/file_system.h"
#include "runtime/string.h"
#include "runtime/win32/win32_api.h"

namespace vlm::ui_test {

class ScratchFolder {
public:
  ScratchFolder() {
    static int Counter = 0;
    FPath = TempFolder() + u"vlm-diredit-" + Utf8ToString(std::to_string(GetCurrentProcessId())) +
            u"-" + Utf8ToString(std::to_string(++Counter));
    CreateDir(FPath);
  }
  ~ScratchFolder() {
    for (auto It = FFiles.rbegin(); It != FFiles.rend(); ++It) RemoveFile(*It);
    RemoveDir(FPath);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // The folder's full path, without a trailing backslash.
  const String& Path() const { return FPath; }

  // Creates an empty file (removed with the folder).
  void WriteFile(const String& Name) {
    HANDLE File = CreateFileW(WidePtr(Name), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (File != INVALID_HANDLE_VALUE) CloseHandle(File);
    FFiles.push_back(Name);
  }

private:
  String FPath;
  std::vector<String> FFiles;
};

}  // namespace vlm::ui_test
