// app/win32/shell_link_win32.cpp -- shell links through the platform's shell-link COM class.
#include <objbase.h>
#include <shlobj.h>

#include "app/shell_integration.h"
#include "app/win32/shell_folders.h"
#include "runtime/os_error.h"
#include "runtime/win32/win32_api.h"

namespace vlm {

VLM_DECLARE_EXCEPTION(EOleSysError, Exception);
VLM_DECLARE_EXCEPTION(EIntfCastError, Exception);

namespace {

const wchar_t kExplorerKey[] = L"Software\\MicroSoft\\Windows\\CurrentVersion\\Explorer";
const wchar_t kGrpConvKey[] = L"Software\\MicroSoft\\Windows\\CurrentVersion\\GrpConv";

template <typename I>
class TComPtr {
public:
  ~TComPtr() {
    if (Ptr) Ptr->Release();
  }
  I* operator->() const { return Ptr; }
  I* Ptr = nullptr;
};

String LinkFolder(ShortcutLocation Location, const String& SubFolder) {
  switch (Location) {
    case kLinkDesktop: return SpecialFolder(kExplorerKey, L"Shell Folders", L"Desktop");
    case kLinkQuickLaunch: return SpecialFolder(kGrpConvKey, L"MapGroups", L"Quick Launch");
    case kLinkSendTo: return SpecialFolder(kExplorerKey, L"Shell Folders", L"SendTo");
    case kLinkStartMenu: return SpecialFolder(kExplorerKey, L"Shell Folders", L"Start Menu");
    case kLinkGivenFolder: SpecialFolder(kExplorerKey, nullptr, nullptr); return SubFolder;
    default: SpecialFolder(kExplorerKey, nullptr, nullptr); return String();
  }
}

// The folder part of a path: up to and including its last backslash or drive colon.
String FolderOf(const String& Path) {
  const size_t Last = Path.find_last_of(u"\\:");
  return Last == String::npos ? String() : Path.substr(0, Last + 1);
}

String ClassIdText(REFCLSID Id) {
  wchar_t Text[64] = {};
  StringFromGUID2(Id, Text, 64);
  return FromWide(Text);
}

}  // namespace

void CreateShortcut(const String& Target, ShortcutLocation Location, const String& SubFolder,
                    const String& WorkingDir, const String& Arguments, const String& Name,
                    String& LinkFile) {
  TComPtr<IShellLinkW> Link;
  const HRESULT Created = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                           IID_IShellLinkW, reinterpret_cast<void**>(&Link.Ptr));
  if (FAILED(Created))
    throw EOleSysError(SysErrorMessage(static_cast<unsigned>(Created)) + u", ClassID: " +
                       ClassIdText(CLSID_ShellLink));
  TComPtr<IPersistFile> File;
  if (FAILED(Link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&File.Ptr))))
    throw EIntfCastError(u"Interface not supported");

  Link->SetPath(WidePtr(Target));
  Link->SetArguments(WidePtr(Arguments));
  Link->SetDescription(WidePtr(Name));

  const String FileName = Name + u".lnk";
  const String Folder = LinkFolder(Location, SubFolder);
  if (Folder.empty()) return;
  const String Path = (!SubFolder.empty() && Location != kLinkGivenFolder)
                          ? Folder + u"\\" + SubFolder + u"\\" + FileName
                          : Folder + u"\\" + FileName;
  Link->SetWorkingDirectory(WidePtr(WorkingDir.empty() ? FolderOf(Target) : WorkingDir));
  File->Save(WidePtr(Path), FALSE);  // a link that cannot be written is passed over
  LinkFile = Path;
}

}  // namespace vlm
