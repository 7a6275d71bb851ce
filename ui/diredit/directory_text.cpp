// ui/diredit/directory_text.cpp -- text rules of the directory edit.
#include "ui/diredit/directory_text.h"

#include "runtime/file_system.h"
#include "runtime/win32/win32_api.h"

namespace vlm {

String CutAtLineBreak(const String& Text) {
  const size_t Break = Text.find_first_of(u"\r\n");
  return Break == String::npos ? Text : Text.substr(0, Break);
}

String WithoutTrailingBackslash(const String& Path) {
  if (!Path.empty() && Path.back() == u'\\') return Path.substr(0, Path.size() - 1);
  return Path;
}

String DroppedDirectory(const String& DroppedPath) {
  if (FileExists(DroppedPath)) return WithoutTrailingBackslash(ExtractFilePath(DroppedPath));
  return WithoutTrailingBackslash(DroppedPath);
}

bool IsExistingFolder(const String& Path) {
  const DWORD Attributes = GetFileAttributesW(WidePtr(Path));
  return Attributes != INVALID_FILE_ATTRIBUTES && (Attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

String BrowseStartDirectory(const String& Text, const String& InitialDir) {
  String Start = Text;
  if (Start.empty()) Start = InitialDir.empty() ? String(u"\\") : InitialDir;
  if (!IsExistingFolder(Start)) Start = u"\\";
  return Start;
}

}  // namespace vlm
