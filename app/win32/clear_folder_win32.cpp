// app/win32/clear_folder_win32.cpp -- emptying an installation folder and the deletion rule.
#include "app/shell_integration.h"
#include "runtime/win32/win32_api.h"

namespace vlm {

bool DeleteFileOrLink(const String& Path) {
  if (DeleteFileW(WidePtr(Path))) return true;
  const DWORD Error = GetLastError();
  const DWORD Attributes = GetFileAttributesW(WidePtr(Path));
  if (Attributes != INVALID_FILE_ATTRIBUTES && (Attributes & FILE_ATTRIBUTE_DIRECTORY) &&
      (Attributes & FILE_ATTRIBUTE_REPARSE_POINT))
    return RemoveDirectoryW(WidePtr(Path)) != 0;  // the link, not its target
  SetLastError(Error);
  return false;
}

void ClearFolder(const String& Folder) {
  String Base = Folder;
  if (Base.empty() || Base.back() != u'\\') Base += u'\\';
  WIN32_FIND_DATAW Found;
  const HANDLE Search = FindFirstFileW(WidePtr(Base + u"*.*"), &Found);
  if (Search == INVALID_HANDLE_VALUE) return;
  do {
    const String Name = FromWide(Found.cFileName);
    if (Name == u"." || Name == u"..") continue;
    DeleteFileOrLink(Base + Name);
  } while (FindNextFileW(Search, &Found));
  FindClose(Search);
}

}  // namespace vlm
