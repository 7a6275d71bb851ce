// runtime/win32/file_system_win32.cpp -- file and folder operations on Windows.
#include "runtime/file_system.h"

#include <vector>

#include "runtime/win32/win32_api.h"

namespace vlm {

namespace {

DWORD AttributesOf(const String& Name) {
  return Name.empty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesW(WidePtr(Name));
}

bool IsDelimiter(char16_t C) { return C == u'\\' || C == u'/' || C == u':'; }

}  // namespace

bool FileExists(const String& Name) {
  const DWORD Attributes = AttributesOf(Name);
  return Attributes != INVALID_FILE_ATTRIBUTES && (Attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool DirectoryExists(const String& Name) {
  const DWORD Attributes = AttributesOf(Name);
  return Attributes != INVALID_FILE_ATTRIBUTES && (Attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

String ExpandFileName(const String& Name) {
  if (Name.empty()) return Name;
  std::vector<wchar_t> Buffer(MAX_PATH);
  for (;;) {
    wchar_t* FilePart = nullptr;
    const DWORD Length = ::GetFullPathNameW(WidePtr(Name), static_cast<DWORD>(Buffer.size()),
                                            Buffer.data(), &FilePart);
    if (Length == 0) return Name;
    if (Length < Buffer.size()) return FromWide(Buffer.data(), Length);
    Buffer.resize(Length + 1);
  }
}

bool RemoveFile(const String& Name) { return ::DeleteFileW(WidePtr(Name)) != 0; }

bool CreateDir(const String& Name) { return ::CreateDirectoryW(WidePtr(Name), nullptr) != 0; }

bool RemoveDir(const String& Name) { return ::RemoveDirectoryW(WidePtr(Name)) != 0; }

char16_t PathDelimiter() { return u'\\'; }

String ExtractFilePath(const String& Name) {
  size_t Index = Name.size();
  while (Index > 0 && !IsDelimiter(Name[Index - 1])) --Index;
  return Name.substr(0, Index);
}

String ExtractFileName(const String& Name) {
  size_t Index = Name.size();
  while (Index > 0 && !IsDelimiter(Name[Index - 1])) --Index;
  return Name.substr(Index);
}

String TempFolder() {
  wchar_t Buffer[MAX_PATH + 2];
  const DWORD Length = ::GetTempPathW(MAX_PATH + 1, Buffer);
  if (Length == 0 || Length > MAX_PATH + 1) return u"C:\\";
  return FromWide(Buffer, Length);
}

String ExecutablePath() {
  std::vector<wchar_t> Buffer(MAX_PATH);
  for (;;) {
    const DWORD Length =
        ::GetModuleFileNameW(nullptr, Buffer.data(), static_cast<DWORD>(Buffer.size()));
    if (Length == 0) return String();
    if (Length < Buffer.size()) return FromWide(Buffer.data(), Length);
    Buffer.resize(Buffer.size() * 2);
  }
}

}  // namespace vlm

namespace vlm {

bool RenameFile(const String& OldName, const String& NewName) {
  return MoveFileExW(WidePtr(OldName), WidePtr(NewName), MOVEFILE_REPLACE_EXISTING) != 0;
}

}  // namespace vlm
