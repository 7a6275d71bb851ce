// runtime/file_system.h -- file and folder queries and changes by name.
// Names are the system's Strings; on POSIX they are converted to UTF-8 at the call.
#pragma once

#include "runtime/string.h"

namespace vlm {

// Whether Name is an existing file (not a folder).
bool FileExists(const String& Name);
// Whether Name is an existing folder.
bool DirectoryExists(const String& Name);
// The full path of Name (relative names are taken from the current folder; "." and ".." are
// resolved textually; nothing needs to exist).
String ExpandFileName(const String& Name);
// Deletes a file (not a folder); returns success (the reason is then LastOSError()).
// Not named DeleteFile: <windows.h> turns that name into a macro.
bool RemoveFile(const String& Name);
// Creates one folder level; returns success.
bool CreateDir(const String& Name);
// Renames (moves) a file, replacing a file of the new name; returns success.
bool RenameFile(const String& OldName, const String& NewName);

// Removes an empty folder; returns success.
bool RemoveDir(const String& Name);
// The platform's path delimiter: '\\' on Windows, '/' on POSIX.
char16_t PathDelimiter();
// Name up to and including its last path delimiter (or drive colon on Windows).
String ExtractFilePath(const String& Name);
// Name after its last path delimiter.
String ExtractFileName(const String& Name);
// The folder for temporary files, ending in a delimiter.
String TempFolder();
// The full path of the running executable.
String ExecutablePath();

}  // namespace vlm
