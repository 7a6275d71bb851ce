// app/posix/shell_integration_posix.cpp -- folder clearing and the deletion rule natively, so the
// rules are tested on both builds. A symbolic link to a folder plays the folder link's part; a
// file whose folder denies writing, or that carries no write permission for its owner, plays the
// read-only file's.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "app/shell_integration.h"
#include "runtime/file_system.h"

namespace vlm {

bool DeleteFileOrLink(const String& Path) {
  const std::string Name = StringToUtf8(Path);
  struct stat Info {};
  if (::lstat(Name.c_str(), &Info) != 0) return false;
  if (S_ISDIR(Info.st_mode)) {  // a real folder is no file
    errno = EISDIR;
    return false;
  }
  // The read-only attribute: a file without its owner's write permission is not deleted, as
  // Windows refuses to delete read-only files.
  if (S_ISREG(Info.st_mode) && !(Info.st_mode & S_IWUSR)) {
    errno = EACCES;
    return false;
  }
  return ::unlink(Name.c_str()) == 0;  // a link goes itself, its target stays
}

void ClearFolder(const String& Folder) {
  String Base = Folder;
  if (Base.empty() || Base.back() != u'/') Base += u'/';
  DIR* Dir = ::opendir(StringToUtf8(Base).c_str());
  if (!Dir) return;
  while (const dirent* Entry = ::readdir(Dir)) {
    const std::string Name = Entry->d_name;
    if (Name == "." || Name == "..") continue;
    DeleteFileOrLink(Base + Utf8ToString(Name));
  }
  ::closedir(Dir);
}

}  // namespace vlm
