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

// How deep below the base folder a target may lie: at most this many folder levels (a file's
// parent folders, or a folder entry's own components). Deeper names are hostile, not packages.
inline constexpr size_t kMaxFolderDepth = 256;

struct TTargetPath {
  String Path;  // full path of the file: BaseDir, delimiter, components
  // The folders to create first, outermost first (KeepDirNames only), as lengths of the prefixes
  // of Path that name them: each folder's path is not stored again, so a target takes memory
  // linear in its length whatever its depth.
  std::vector<size_t> FolderEnds;
  String Base;  // BaseDir as joined ("." for an empty one, no trailing delimiter)
  std::vector<String> Components;  // the checked components, folders first, file name last

  size_t FolderCount() const { return FolderEnds.size(); }
  String Folder(size_t I) const { return Path.substr(0, FolderEnds[I]); }
};

// Why TargetPathFor refused a name.
enum class TPathRefusal {
  None,
  BadComponent,  // a component breaks the rules above
  TooLong,       // the full path exceeds the platform's path limit (kMaxPathLength)
  TooDeep        // more than kMaxFolderDepth folder levels
};

// The platform's path limit, terminating NUL included: 32767 UTF-16 units on Windows, PATH_MAX
// bytes of UTF-8 elsewhere. A longer path cannot be created, so a name that gives one is refused
// before any of its folders is made.
size_t MaxPathLength();
// A path's length in the platform's units (UTF-16 units on Windows, UTF-8 bytes elsewhere).
size_t PlatformPathLength(StringView Path);

// Turns an extraction name ("file.txt", or "dir\sub\file.txt" with folder names) into the full
// target path below BaseDir, or nothing when any component breaks the rules, the path would not
// fit the platform's limit, or it lies more than kMaxFolderDepth folders deep (Refusal, when
// given, says which). BaseDir may end in "\" or "/" (removed); an empty BaseDir means the current
// folder. Components are joined with the platform's delimiter.
std::optional<TTargetPath> TargetPathFor(const String& BaseDir, StringView ExtractionName,
                                         TPathRefusal* Refusal = nullptr);

}  // namespace vlm::zipengine
