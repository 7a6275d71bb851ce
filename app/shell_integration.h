// app/shell_integration.h -- what the installation asks of the shell and the file system: shell
// links in special folders, the per-user Programs folder, and emptying an existing installation
// folder with the file-deletion rule that also removes folder links.
#pragma once

#include <cstdint>

#include "runtime/string.h"

namespace vlm {

// Where CreateShortcut puts a link: a special folder read from the per-user registry, or (4) the
// SubFolder argument itself. Any other value makes no link.
using ShortcutLocation = uint8_t;
inline constexpr ShortcutLocation kLinkDesktop = 0;
inline constexpr ShortcutLocation kLinkQuickLaunch = 1;
inline constexpr ShortcutLocation kLinkSendTo = 2;
inline constexpr ShortcutLocation kLinkStartMenu = 3;
inline constexpr ShortcutLocation kLinkGivenFolder = 4;

// Writes Name + ".lnk" into the folder Location selects (below it, SubFolder) as a link to Target
// with Arguments, Name as description, WorkingDir (empty: Target's folder). LinkFile receives the
// link's path; it is left unchanged when no folder is found. A link that cannot be saved is passed
// over silently. Windows only.
void CreateShortcut(const String& Target, ShortcutLocation Location, const String& SubFolder,
                    const String& WorkingDir, const String& Arguments, const String& Name,
                    String& LinkFile);

// The per-user Programs folder of the Start menu, or the empty string. Windows only.
String ProgramsFolder();

// Applies DeleteFileOrLink to every entry directly inside Folder: files and folder links go;
// sub-folders, read-only files and files in use stay. Nothing is reported.
void ClearFolder(const String& Folder);

// Deletes the file Path; when that fails and Path is a folder link, removes the link (never its
// target). Returns success; on failure the platform's last error is the file deletion's.
bool DeleteFileOrLink(const String& Path);

}  // namespace vlm
