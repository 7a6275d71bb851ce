// zip/engine/name_case.cpp -- case-insensitive matching of target paths against the disk.
#include "zip/engine/name_case.h"

#include <filesystem>
#include <system_error>

#include "runtime/file_system.h"
#include "runtime/upper_case.h"
#include "zip/engine/engine_files.h"

namespace vlm::zipengine {

std::map<String, String>& TNameCase::Listing(const String& Folder) {
  const auto Found = FFolders.find(Folder);
  if (Found != FFolders.end()) return Found->second;
  std::map<String, String>& Names = FFolders[Folder];
  std::error_code Error;
  for (std::filesystem::directory_iterator It(std::filesystem::path(Folder), Error), End;
       !Error && It != End; It.increment(Error)) {
    // u8string: the bytes as they are on POSIX (no validation), converted from UTF-16 on Windows.
    const std::u8string Raw = It->path().filename().u8string();
    const String Name =
        Utf8ToString(std::string_view(reinterpret_cast<const char*>(Raw.data()), Raw.size()));
    Names.emplace(UpperCase(Name), Name);  // the first spelling wins, as a lookup would find it
  }
  return Names;
}

String TNameCase::Existing(const String& Folder, const String& Name, TPathKind& Kind) {
  const String Exact = Folder + PathDelimiter() + Name;
  Kind = KindOfPath(Exact);
  if (Kind != TPathKind::None) return Name;
  const auto& Names = Listing(Folder);
  const auto Found = Names.find(UpperCase(Name));
  if (Found == Names.end()) return Name;
  Kind = KindOfPath(Folder + PathDelimiter() + Found->second);
  return Found->second;
}

void TNameCase::MatchExisting(TTargetPath& Target, std::vector<TPathKind>& Kinds) {
  String Path = Target.Base;
  Path.reserve(Target.Path.size());
  Target.FolderEnds.clear();
  Kinds.clear();
  // Below a component that is not a folder nothing can exist: no need to look.
  bool ParentIsFolder = true;
  for (size_t I = 0; I < Target.Components.size(); ++I) {
    TPathKind Kind = TPathKind::None;
    Path += PathDelimiter();
    if (ParentIsFolder) {
      Path += Existing(Path.substr(0, Path.size() - 1), Target.Components[I], Kind);
    } else {
      Path += Target.Components[I];
    }
    ParentIsFolder = Kind == TPathKind::Folder;
    Kinds.push_back(Kind);
    if (I + 1 < Target.Components.size()) Target.FolderEnds.push_back(Path.size());
  }
  Target.Path = Path;
}

void TNameCase::Added(const String& FullPath) {
  const size_t Last = FullPath.rfind(PathDelimiter());
  if (Last == String::npos) return;
  const auto Found = FFolders.find(FullPath.substr(0, Last));
  if (Found == FFolders.end()) return;  // not loaded yet: the next listing will see it
  const String Name = FullPath.substr(Last + 1);
  Found->second.emplace(UpperCase(Name), Name);
}

void TNameCase::AddedFolder(const String& FullPath) {
  Added(FullPath);
  FFolders.try_emplace(FullPath);
}

}  // namespace vlm::zipengine
