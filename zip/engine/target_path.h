// zip/engine/target_path.h -- the only way an entry name becomes a path on disk.
//
// Entry names come from the archive and are untrusted. The rules are the Windows file-name rules,
// applied identically on every build, so that the native and the Windows engines write exactly
// the same files: a name component is refused when it is empty, "." or "..", longer than 255
// UTF-16 units, holds a control character (below U+0020, or U+007F) or one of < > : " | ? *, ends
// in a dot or a blank, or is a reserved device name (CON, PRN, AUX, NUL, CONIN$, CONOUT$, COM0-9,
// LPT0-9 and the superscript-digit forms COM¹²³ / LPT¹²³; any letter case; with or without an
// extension; blanks before the extension ignored). Whatever passes lies inside the base folder.
#pragma once

#include <optional>
#include <vector>

#include "runtime/string.h"

namespace vlm::zipengine {

// Whether one path component may be created as a file or folder (the rules above).
bool IsSafeNameComponent(StringView Name);

// An entry name as the engine sees it: "/" read as "\", leading "\" removed.
String NormalizeEntryName(StringView StoredName);

// Whether an entry name (stored or normalized) is a folder entry: it ends in "/" or "\". An
// empty name is not: it is an invalid file name.
bool IsFolderEntryName(StringView Name);

// The part of a normalized entry name that is extracted: the text after the last "\" when
// KeepDirNames is false, the whole name otherwise.
String ExtractionName(StringView Name, bool KeepDirNames);

struct TTargetPath {
  String Path;                  // full path of the file: BaseDir, delimiter, components
  std::vector<String> Folders;  // folders to create first, outermost first (KeepDirNames only)
  String Base;                  // BaseDir as joined ("." for an empty one, no trailing delimiter)
  std::vector<String> Components;  // the checked components, folders first, file name last
};

// Turns an extraction name ("file.txt", or "dir\sub\file.txt" with folder names) into the full
// target path below BaseDir, or nothing when any component breaks the rules. BaseDir may end in
// "\" or "/" (removed); an empty BaseDir means the current folder. Components are joined with the
// platform's delimiter.
std::optional<TTargetPath> TargetPathFor(const String& BaseDir, StringView ExtractionName);

}  // namespace vlm::zipengine
