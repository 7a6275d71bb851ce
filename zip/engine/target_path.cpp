// zip/engine/target_path.cpp -- entry names to target paths, refusing unsafe names.
#include "zip/engine/target_path.h"

#include <algorithm>
#include <climits>

#include "runtime/file_system.h"
#include "runtime/upper_case.h"

namespace vlm::zipengine {
namespace {

// Longest component NTFS and the usual Linux file systems accept.
constexpr size_t kMaxComponentLength = 255;

bool IsForbiddenChar(char16_t C) {
  if (C < 0x20 || C == 0x7F) return true;
  switch (C) {
    case u'<':
    case u'>':
    case u':':
    case u'"':
    case u'|':
    case u'?':
    case u'*':
    case u'/':
    case u'\\': return true;
    default: return false;
  }
}

bool IsDeviceDigit(char16_t C) {
  return (C >= u'0' && C <= u'9') || C == u'\u00B9' || C == u'\u00B2' || C == u'\u00B3';
}

// Windows opens the device for "con", "Con.txt", "CON .log", "com1.tar.gz" alike: what counts is
// the text before the first dot, trailing blanks removed, in any letter case.
bool IsReservedDeviceName(StringView Name) {
  StringView Stem = Name.substr(0, Name.find(u'.'));
  while (!Stem.empty() && Stem.back() == u' ') Stem.remove_suffix(1);
  const String Upper = UpperCase(Stem);
  if (Upper == u"CON" || Upper == u"PRN" || Upper == u"AUX" || Upper == u"NUL" ||
      Upper == u"CONIN$" || Upper == u"CONOUT$") {
    return true;
  }
  if (Upper.size() == 4 && (Upper.compare(0, 3, u"COM") == 0 || Upper.compare(0, 3, u"LPT") == 0)) {
    return IsDeviceDigit(Upper[3]);
  }
  return false;
}

}  // namespace

bool IsSafeNameComponent(StringView Name) {
  if (Name.empty() || Name == u"." || Name == u"..") return false;
  if (Name.size() > kMaxComponentLength) return false;
  for (char16_t C : Name) {
    if (IsForbiddenChar(C)) return false;
  }
  if (Name.back() == u'.' || Name.back() == u' ') return false;
  return !IsReservedDeviceName(Name);
}

String NormalizeEntryName(StringView StoredName) {
  String Name(StoredName);
  for (char16_t& C : Name) {
    if (C == u'/') C = u'\\';
  }
  size_t Start = 0;
  while (Start < Name.size() && Name[Start] == u'\\') ++Start;
  return Name.substr(Start);
}

bool IsFolderEntryName(StringView Name) {
  return !Name.empty() && (Name.back() == u'\\' || Name.back() == u'/');
}

String ExtractionName(StringView Name, bool KeepDirNames) {
  if (KeepDirNames) return String(Name);
  const size_t Last = Name.rfind(u'\\');
  return String(Last == StringView::npos ? Name : Name.substr(Last + 1));
}

size_t MaxPathLength() {
#if defined(_WIN32)
  return 32767;
#else
  return PATH_MAX;
#endif
}

size_t PlatformPathLength(StringView Path) {
#if defined(_WIN32)
  return Path.size();
#else
  size_t Bytes = 0;
  for (size_t I = 0; I < Path.size(); ++I) {
    const char16_t C = Path[I];
    if (C < 0x80) {
      Bytes += 1;
    } else if (C < 0x800) {
      Bytes += 2;
    } else if (C >= 0xD800 && C <= 0xDBFF && I + 1 < Path.size() && Path[I + 1] >= 0xDC00 &&
               Path[I + 1] <= 0xDFFF) {
      Bytes += 4;  // a surrogate pair: one 4-byte sequence
      ++I;
    } else {
      Bytes += 3;
    }
  }
  return Bytes;
#endif
}

std::optional<TTargetPath> TargetPathFor(const String& BaseDir, StringView ExtractionName,
                                         TPathRefusal* Refusal) {
  TPathRefusal Ignored;
  TPathRefusal& Why = Refusal ? *Refusal : Ignored;
  Why = TPathRefusal::None;
  String Base = BaseDir;
  while (!Base.empty() && (Base.back() == u'\\' || Base.back() == u'/')) Base.pop_back();
  if (Base.empty() && !BaseDir.empty()) Base = BaseDir.substr(0, 1);  // the root folder itself
  const char16_t Delimiter = PathDelimiter();

  TTargetPath Result;
  String Path = Base.empty() ? String(u".") : Base;
  if (Path.back() == u'/' || Path.back() == u'\\') Path.pop_back();  // root "/": joined below
  Result.Base = Path;
  // The joined path is the base, one delimiter, and the name with its separators replaced: its
  // length is known before anything is built. The terminating NUL counts against the limit.
  if (PlatformPathLength(Path) + 1 + PlatformPathLength(ExtractionName) + 1 > MaxPathLength()) {
    Why = TPathRefusal::TooLong;
    return std::nullopt;
  }
  if (static_cast<size_t>(std::count(ExtractionName.begin(), ExtractionName.end(), u'\\')) >
      kMaxFolderDepth) {
    Why = TPathRefusal::TooDeep;
    return std::nullopt;
  }
  Path.reserve(Path.size() + 1 + ExtractionName.size());
  size_t Start = 0;
  for (;;) {
    const size_t End = ExtractionName.find(u'\\', Start);
    const StringView Component =
        ExtractionName.substr(Start, End == StringView::npos ? StringView::npos : End - Start);
    if (!IsSafeNameComponent(Component)) {
      Why = TPathRefusal::BadComponent;
      return std::nullopt;
    }
    Result.Components.emplace_back(Component);
    Path += Delimiter;
    Path += Component;
    if (End == StringView::npos) break;
    Result.FolderEnds.push_back(Path.size());
    Start = End + 1;
  }
  Result.Path = std::move(Path);
  return Result;
}

}  // namespace vlm::zipengine
