// zip/engine/name_case.h -- names compared without regard to letter case on every build.
//
// Windows file systems ignore letter case: an entry "README.txt" finds an existing "Readme.TXT",
// and "Dir/a" and "DIR/b" land in one folder. So that the native engine extracts exactly the same
// files, target paths are matched against what the folders already hold, ignoring case, before
// anything is checked or created. On a case-insensitive file system this finds the exact name
// first and changes nothing.
#pragma once

#include <map>
#include <vector>

#include "runtime/string.h"
#include "zip/engine/engine_files.h"
#include "zip/engine/target_path.h"

namespace vlm::zipengine {

class TNameCase {
public:
  // Rewrites Target's folders and path so that each component a folder already holds under other
  // letter case uses that spelling. Kinds receives what each component's path (the folders, then
  // the file) was found to be, so that callers need not look at the disk again.
  void MatchExisting(TTargetPath& Target, std::vector<TPathKind>& Kinds);
  // Records a file or folder the engine has just created.
  void Added(const String& FullPath);
  // Records a folder the engine has just created: also known to be empty, so it is never listed.
  void AddedFolder(const String& FullPath);

private:
  String Existing(const String& Folder, const String& Name, TPathKind& Kind);
  std::map<String, String>& Listing(const String& Folder);

  // Per folder (as the engine spells it): upper-cased name -> name on disk. Loaded on first use.
  std::map<String, std::map<String, String>> FFolders;
};

}  // namespace vlm::zipengine
