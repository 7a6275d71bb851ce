// runtime/posix/file_system_posix.cpp -- file and folder operations on POSIX.
#include "runtime/file_system.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace vlm {

namespace {

bool StatPath(const String& Name, struct stat& Info) {
  return !Name.empty() && ::stat(StringToUtf8(Name).c_str(), &Info) == 0;
}

String CurrentFolder() {
  std::vector<char> Buffer(4096);
  while (::getcwd(Buffer.data(), Buffer.size()) == nullptr) {
    if (Buffer.size() > (1u << 20)) return u"/";
    Buffer.resize(Buffer.size() * 2);
  }
  return Utf8ToString(Buffer.data());
}

}  // namespace

bool FileExists(const String& Name) {
  struct stat Info {};
  return StatPath(Name, Info) && !S_ISDIR(Info.st_mode);
}

bool DirectoryExists(const String& Name) {
  struct stat Info {};
  return StatPath(Name, Info) && S_ISDIR(Info.st_mode);
}

String ExpandFileName(const String& Name) {
  const String Full = (!Name.empty() && Name[0] == u'/') ? Name : CurrentFolder() + u"/" + Name;
  // Resolve "." and ".." textually, as the Windows call does; symbolic links are not followed.
  std::vector<String> Segments;
  size_t Start = 1;
  while (Start <= Full.size()) {
    size_t End = Full.find(u'/', Start);
    if (End == String::npos) End = Full.size();
    const String Segment = Full.substr(Start, End - Start);
    if (Segment == u"..") {
      if (!Segments.empty()) Segments.pop_back();
    } else if (!Segment.empty() && Segment != u".") {
      Segments.push_back(Segment);
    }
    Start = End + 1;
  }
  String Result;
  for (const String& Segment : Segments) Result += u"/" + Segment;
  if (Result.empty() || (Full.size() > 1 && Full.back() == u'/')) Result += u"/";
  return Result;
}

bool RemoveFile(const String& Name) {
  if (DirectoryExists(Name)) {
    errno = EISDIR;  // a folder is no file: refused as Windows refuses it
    return false;
  }
  return ::unlink(StringToUtf8(Name).c_str()) == 0;
}

bool CreateDir(const String& Name) { return ::mkdir(StringToUtf8(Name).c_str(), 0777) == 0; }

bool RemoveDir(const String& Name) { return ::rmdir(StringToUtf8(Name).c_str()) == 0; }

char16_t PathDelimiter() { return u'/'; }

String ExtractFilePath(const String& Name) {
  const size_t Last = Name.find_last_of(u'/');
  return Last == String::npos ? String() : Name.substr(0, Last + 1);
}

String ExtractFileName(const String& Name) {
  const size_t Last = Name.find_last_of(u'/');
  return Last == String::npos ? Name : Name.substr(Last + 1);
}

String TempFolder() {
  const char* Tmp = std::getenv("TMPDIR");
  String Folder = Utf8ToString(Tmp != nullptr && *Tmp != 0 ? Tmp : "/tmp");
  if (Folder.back() != u'/') Folder += u'/';
  return Folder;
}

String ExecutablePath() {
  std::vector<char> Buffer(4096);
  const ssize_t Length = ::readlink("/proc/self/exe", Buffer.data(), Buffer.size() - 1);
  if (Length <= 0) return String();
  return Utf8ToString(std::string_view(Buffer.data(), static_cast<size_t>(Length)));
}

}  // namespace vlm

namespace vlm {

bool RenameFile(const String& OldName, const String& NewName) {
  return ::rename(StringToUtf8(OldName).c_str(), StringToUtf8(NewName).c_str()) == 0;
}

}  // namespace vlm
