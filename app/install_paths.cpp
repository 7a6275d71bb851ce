// app/install_paths.cpp -- the executable's folder.
#include "app/install_paths.h"

#include "runtime/file_system.h"

namespace vlm {

String ExecutableFolder() {
  String Folder = ExtractFilePath(ExecutablePath());
  if (Folder.empty() || Folder.back() != PathDelimiter()) Folder += PathDelimiter();
  return Folder;
}

}  // namespace vlm
