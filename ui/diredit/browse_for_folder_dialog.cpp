// ui/diredit/browse_for_folder_dialog.cpp -- the shell folder browser run and its callback.
#include "ui/diredit/browse_for_folder_dialog.h"

#include <memory>

#include <objbase.h>
#include <shlobj.h>
#include <shlwapi.h>

#include "ui/dialog/task_windows.h"

namespace vlm {

namespace {

// COM for the calling thread while the browser runs (its new dialog style needs it). Every
// successful CoInitialize, the "already initialised" one included, is paired with CoUninitialize.
class ComScope {
public:
  ComScope() : FInitialised(SUCCEEDED(CoInitialize(nullptr))) {}
  ~ComScope() {
    if (FInitialised) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

private:
  bool FInitialised;
};

struct ItemListFree {
  void operator()(ITEMIDLIST* List) const { CoTaskMemFree(List); }
};

// The text of a shell STRRET, whatever form the folder chose; frees what it owns.
String StrRetText(STRRET& Ret, const ITEMIDLIST* Item) {
  switch (Ret.uType) {
    case STRRET_WSTR: {
      String Text = Ret.pOleStr ? FromWide(Ret.pOleStr) : String();
      CoTaskMemFree(Ret.pOleStr);
      return Text;
    }
    case STRRET_OFFSET: {
      const char* Ansi = reinterpret_cast<const char*>(Item) + Ret.uOffset;
      const int Length = MultiByteToWideChar(CP_ACP, 0, Ansi, -1, nullptr, 0);
      std::wstring Wide(Length > 0 ? Length : 0, L'\0');
      if (Length > 0) MultiByteToWideChar(CP_ACP, 0, Ansi, -1, Wide.data(), Length);
      return FromWide(Wide.c_str());
    }
    case STRRET_CSTR: {
      wchar_t Wide[MAX_PATH] = {};
      MultiByteToWideChar(CP_ACP, 0, Ret.cStr, -1, Wide, MAX_PATH);
      Wide[MAX_PATH - 1] = 0;
      return FromWide(Wide);
    }
  }
  return String();
}

// The item's for-parsing name as the desktop folder gives it.
String ParsingName(const ITEMIDLIST* Item) {
  IShellFolder* Desktop = nullptr;
  if (FAILED(SHGetDesktopFolder(&Desktop)) || !Desktop) return String();
  STRRET Ret{};
  String Name;
  if (SUCCEEDED(Desktop->GetDisplayNameOf(Item, SHGDN_FORPARSING, &Ret)))
    Name = StrRetText(Ret, Item);
  Desktop->Release();
  return Name;
}

void CentreInWorkArea(HWND Window) {
  RECT Area, Rect;
  if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &Area, 0) || !GetWindowRect(Window, &Rect)) return;
  const int W = Rect.right - Rect.left, H = Rect.bottom - Rect.top;
  SetWindowPos(Window, nullptr, Area.left + (Area.right - Area.left - W) / 2,
               Area.top + (Area.bottom - Area.top - H) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

int ShellMajorVersion() {
  HMODULE Shell = GetModuleHandleW(L"shell32.dll");
  if (!Shell) Shell = LoadLibraryW(L"shell32.dll");
  if (!Shell) return 0;
  const auto GetVersion = reinterpret_cast<DLLGETVERSIONPROC>(
      reinterpret_cast<void*>(GetProcAddress(Shell, "DllGetVersion")));
  if (!GetVersion) return 4;
  DLLVERSIONINFO Info{};
  Info.cbSize = sizeof(Info);
  if (FAILED(GetVersion(&Info))) return 4;
  return static_cast<int>(Info.dwMajorVersion);
}

bool TBrowseForFolderDialog::Execute() {
  if (ShellMajorVersion() < 4) throw EBrowseForFolder(kShellNotCompatible);

  ComScope Com;
  wchar_t DisplayName[MAX_PATH] = {};
  BROWSEINFOW Info{};
  Info.hwndOwner = FOwner;
  Info.pidlRoot = nullptr;  // the whole namespace, from the desktop down
  Info.pszDisplayName = DisplayName;
  Info.lpszTitle = WidePtr(StatusText);
  Info.ulFlags = Options;
  Info.lpfn = &TBrowseForFolderDialog::Callback;
  Info.lParam = reinterpret_cast<LPARAM>(this);

  std::unique_ptr<ITEMIDLIST, ItemListFree> Chosen;
  {
    DisabledTaskWindows Disabled;
    Chosen.reset(SHBrowseForFolderW(&Info));
  }
  if (!Chosen) return false;
  Directory = ParsingName(Chosen.get());
  return true;
}

int CALLBACK TBrowseForFolderDialog::Callback(HWND Browser, UINT Msg, LPARAM LParam, LPARAM Data) {
  auto* Self = reinterpret_cast<TBrowseForFolderDialog*>(Data);
  if (Msg == BFFM_INITIALIZED && Self) Self->Initialized(Browser);
  // Selection changes and failed validations need nothing here.
  return 0;
}

void TBrowseForFolderDialog::Initialized(HWND Browser) {
  if (!Directory.empty())
    SendMessageW(Browser, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(WidePtr(Directory)));
  CentreInWorkArea(Browser);
  if (OnShownForTesting) OnShownForTesting(Browser);
}

}  // namespace vlm
