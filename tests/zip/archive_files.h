// tests/zip/archive_files.h -- where the file-based zip tests find their archives: the folder
// made by make_directory_archives.py (VLM_ZIP_DIRECTORY_ARCHIVES, set by CTest) and the public
// corpus (VLM_ZIP_CORPUS). A native run started by hand falls back to the build folder's copy and
// builds it on first use.
#pragma once

#include <string>

#include "runtime/string.h"

namespace vlm::ziptest {

// The archives folder, ending in "/", built when missing and the build can make it; empty when
// it cannot be found.
String DirectoryArchivesFolder();
// The public corpus folder, ending in "/"; empty when it is not there.
String CorpusFolder();
// Where the public corpus is expected, for the line a test prints when it skips.
String CorpusExpectedFolder();
// Reads a whole text file (UTF-8 path); empty when it cannot be read.
std::string ReadTextFile(const String& Path);

}  // namespace vlm::ziptest
