// tests/zip/archive_files.cpp -- locating the test archives on disk.
#include "archive_files.h"

#include <cstdlib>

#include "runtime/file_system.h"
#include "runtime/memory_stream.h"

namespace vlm::ziptest {
namespace {

String FromEnvironment(const char* Name, const char* Fallback) {
  const char* Value = std::getenv(Name);
  std::string Text = (Value != nullptr && *Value != '\0') ? Value : Fallback;
  if (Text.empty()) return String();
  if (Text.back() != '/' && Text.back() != '\\') Text += '/';
  return Utf8ToString(Text);
}

}  // namespace

String DirectoryArchivesFolder() {
  const String Folder = FromEnvironment("VLM_ZIP_DIRECTORY_ARCHIVES", VLM_ZIP_ARCHIVES_DEFAULT);
#ifdef VLM_ZIP_ARCHIVES_SCRIPT
  // A native run started without CTest: make the archives the fixture would have made.
  if (!FileExists(Folder + u"stored.zip")) {
    const std::string Command = std::string("\"") + VLM_ZIP_ARCHIVES_PYTHON + "\" \"" +
                                VLM_ZIP_ARCHIVES_SCRIPT + "\" \"" + StringToUtf8(Folder) + "\"";
    if (std::system(Command.c_str()) != 0) return String();
  }
#endif
  return FileExists(Folder + u"stored.zip") ? Folder : String();
}

String CorpusExpectedFolder() {
  return FromEnvironment("VLM_ZIP_CORPUS", VLM_ZIP_CORPUS_DEFAULT);
}

String CorpusFolder() {
  const String Folder = CorpusExpectedFolder();
  return FileExists(Folder + u"SOURCES.tsv") ? Folder : String();
}

std::string ReadTextFile(const String& Path) {
  if (!FileExists(Path)) return std::string();
  TMemoryStream Stream;
  Stream.LoadFromFile(Path);
  return std::string(Stream.View());
}

}  // namespace vlm::ziptest
