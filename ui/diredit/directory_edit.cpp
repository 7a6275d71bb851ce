// ui/diredit/directory_edit.cpp -- the directory edit: the edit window and its subclass, the
// browse button's place, the font, auto-suggest, dropped items and the browse itself.
#include "ui/diredit/directory_edit.h"

#include <cmath>
#include <vector>

#include <shellapi.h>
#include <shlwapi.h>

#include "runtime/application.h"
#include "ui/diredit/browse_for_folder_dialog.h"
#include "ui/diredit/directory_text.h"

namespace vlm {

namespace {

constexpr wchar_t kSelfProperty[] = L"TDirectoryEdit";

int Scaled(int Pixels, double Scale) {
  return static_cast<int>(std::lround(Pixels * Scale));
}

// The shell's auto-suggest of existing folders while typing. Looked up at run time so that a
// system without it only loses the suggestions.
void SuggestFolders(HWND Edit) {
  using SHAutoCompleteFn = HRESULT(WINAPI*)(HWND, DWORD);
  static const SHAutoCompleteFn AutoComplete = [] {
    HMODULE Library = LoadLibraryW(L"shlwapi.dll");
    return Library ? reinterpret_cast<SHAutoCompleteFn>(
                         reinterpret_cast<void*>(GetProcAddress(Library, "SHAutoComplete")))
                   : nullptr;
  }();
  if (AutoComplete)
    AutoComplete(Edit,
                 SHACF_FILESYS_DIRS | SHACF_AUTOSUGGEST_FORCE_ON | SHACF_AUTOAPPEND_FORCE_OFF);
}

// Messages after which the edit's text may differ.
bool MayChangeText(UINT Msg) {
  switch (Msg) {
    case WM_SETTEXT:
    case WM_CHAR:
    case WM_PASTE:
    case WM_CUT:
    case WM_CLEAR:
    case WM_UNDO:
    case EM_UNDO:
    case EM_REPLACESEL:
    case WM_KEYDOWN:
    case WM_IME_CHAR:
    case WM_IME_COMPOSITION: return true;
  }
  return false;
}

bool IsAltDown(UINT Msg, WPARAM WParam, LPARAM LParam) {
  if (WParam != VK_DOWN) return false;
  // Bit 29 of a key message is the Alt state when the key went down.
  if (Msg == WM_SYSKEYDOWN) return (LParam & (1 << 29)) != 0;
  return Msg == WM_KEYDOWN && GetKeyState(VK_MENU) < 0;
}

}  // namespace

TDirectoryEdit::TDirectoryEdit(HWND Parent, int Left, int Top, int Width, int Height,
                               double Scale) {
  if (Scale <= 0) Scale = 1;
  FButtonWidth = Scaled(21, Scale);
  FEdit =
      CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                      WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPCHILDREN | ES_AUTOHSCROLL,
                      Scaled(Left, Scale), Scaled(Top, Scale), Scaled(Width, Scale),
                      Scaled(Height, Scale), Parent, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!FEdit) return;
  FFont = CreateFontW(-Scaled(19, Scale), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                      OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                      DEFAULT_PITCH | FF_SWISS, L"Tahoma");
  SendMessageW(FEdit, WM_SETFONT, reinterpret_cast<WPARAM>(FFont), FALSE);

  SetPropW(FEdit, kSelfProperty, this);
  FEditProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
      FEdit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TDirectoryEdit::EditProc)));

  RECT Client;
  GetClientRect(FEdit, &Client);
  FButton = std::make_unique<TEditButton>(
      FEdit, RECT{Client.right - FButtonWidth, 0, Client.right, Client.bottom});
  FButton->OnClick = [this] { BrowseReportingErrors(); };
  PlaceButton();

  DragAcceptFiles(FEdit, TRUE);
  SuggestFolders(FEdit);

  FAccessible = std::make_unique<TAccessibleTree>(FEdit);
  TAccessibleElement& Self = FAccessible->Self;
  Self.Role = ROLE_SYSTEM_TEXT;
  Self.Name = [this] { return AccessibleName; };
  Self.Value = [this] { return Text(); };
  Self.State = [this] {
    return VisibilityState(IsWindowVisible(FEdit), IsWindowEnabled(FEdit)) |
           STATE_SYSTEM_FOCUSABLE | (GetFocus() == FEdit ? STATE_SYSTEM_FOCUSED : 0) |
           (FReadOnly ? STATE_SYSTEM_READONLY : 0);
  };
  Self.KeyboardShortcut = u"Alt+Down";  // opens the folder browser
}

TDirectoryEdit::~TDirectoryEdit() {
  FAccessible.reset();
  FButton.reset();
  if (FEdit && IsWindow(FEdit)) {
    SetWindowLongPtrW(FEdit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FEditProc));
    RemovePropW(FEdit, kSelfProperty);
    DestroyWindow(FEdit);
  }
  if (FFont) DeleteObject(FFont);
}

String TDirectoryEdit::Text() const {
  if (!FEdit) return String();
  const int Length = GetWindowTextLengthW(FEdit);
  std::vector<wchar_t> Buffer(static_cast<size_t>(Length) + 1, L'\0');
  const int Got = GetWindowTextW(FEdit, Buffer.data(), Length + 1);
  return FromWide(Buffer.data(), static_cast<size_t>(Got > 0 ? Got : 0));
}

void TDirectoryEdit::SetText(const String& Text) {
  if (!FEdit) return;
  // WM_SETTEXT comes back through the subclass, which applies the line-break cut and raises
  // OnChange.
  SetWindowTextW(FEdit, WidePtr(Text));
}

void TDirectoryEdit::SetDirectory(const String& Path) {
  SetText(Path);
  FDirectory = Text();
}

void TDirectoryEdit::SetReadOnly(bool ReadOnly) {
  FReadOnly = ReadOnly;
  if (FEdit) SendMessageW(FEdit, EM_SETREADONLY, ReadOnly ? TRUE : FALSE, 0);
  if (FButton) FButton->SetEnabled(!ReadOnly);
}

void TDirectoryEdit::PlaceButton() {
  if (!FEdit || !FButton) return;
  RECT Client;
  GetClientRect(FEdit, &Client);
  FButton->SetBounds(RECT{Client.right - FButtonWidth, 0, Client.right, Client.bottom});
  // The text area ends where the button begins.
  SendMessageW(FEdit, EM_SETMARGINS, EC_RIGHTMARGIN, MAKELPARAM(0, FButtonWidth));
}

void TDirectoryEdit::Browse() {
  if (FReadOnly || !FEdit) return;
  const String Start = BrowseStartDirectory(Text(), InitialDir);
  TBrowseForFolderDialog Dialog(GetAncestor(FEdit, GA_ROOT));
  Dialog.Directory = Start;
  Dialog.StatusText = DialogText;
  Dialog.OnShownForTesting = OnBrowserShownForTesting;
  const bool Chosen = Dialog.Execute();
  if (IsWindowVisible(FEdit) && IsWindowEnabled(FEdit)) SetFocus(FEdit);
  if (!Chosen) return;
  SetDirectory(Dialog.Directory);
  if (IsExistingFolder(Dialog.Directory)) InitialDir = Dialog.Directory;
}

void TDirectoryEdit::BrowseReportingErrors() {
  // Called from window messages: an error must not unwind through the window system.
  try {
    Browse();
  } catch (...) {
    Application().HandleException(std::current_exception());
  }
}

void TDirectoryEdit::TextMayHaveChanged() {
  if (FUpdating) return;
  String Now = Text();
  if (Now == FLastText) return;
  const String Cut = CutAtLineBreak(Now);
  if (Cut != Now) {
    FUpdating = true;
    CallWindowProcW(FEditProc, FEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(WidePtr(Cut)));
    FUpdating = false;
    Now = Text();
  }
  FLastText = Now;
  FDirectory = Now;
  if (FAccessible) FAccessible->Announce();
  if (OnChange) OnChange();
}

void TDirectoryEdit::FilesDropped(HDROP Drop) {
  // Only the first item counts.
  if (DragQueryFileW(Drop, 0xFFFFFFFF, nullptr, 0) > 0) {
    const UINT Length = DragQueryFileW(Drop, 0, nullptr, 0);
    std::vector<wchar_t> Buffer(Length + 1, L'\0');
    DragQueryFileW(Drop, 0, Buffer.data(), Length + 1);
    SetDirectory(DroppedDirectory(FromWide(Buffer.data())));
  }
  DragFinish(Drop);
}

LRESULT CALLBACK TDirectoryEdit::EditProc(HWND Handle, UINT Msg, WPARAM WParam, LPARAM LParam) {
  auto* Self = static_cast<TDirectoryEdit*>(GetPropW(Handle, kSelfProperty));
  if (!Self) return DefWindowProcW(Handle, Msg, WParam, LParam);
  // An error in OnChange must not unwind through the window system.
  try {
    return Self->HandleMessage(Msg, WParam, LParam);
  } catch (...) {
    Application().HandleException(std::current_exception());
    return 0;
  }
}

LRESULT TDirectoryEdit::HandleMessage(UINT Msg, WPARAM WParam, LPARAM LParam) {
  if (LRESULT Answer = 0;
      HandleAccessibilityMessage(FAccessible.get(), Msg, WParam, LParam, Answer))
    return Answer;
  switch (Msg) {
    case WM_SYSKEYDOWN:
    case WM_KEYDOWN:
      if (IsAltDown(Msg, WParam, LParam)) {
        BrowseReportingErrors();
        return 0;
      }
      break;
    case WM_DROPFILES: FilesDropped(reinterpret_cast<HDROP>(WParam)); return 0;
    case WM_SIZE: {
      const LRESULT Result = CallWindowProcW(FEditProc, FEdit, Msg, WParam, LParam);
      PlaceButton();
      return Result;
    }
    case WM_NCDESTROY: {
      // The parent took the field down first: let go of the window.
      const WNDPROC Original = FEditProc;
      const HWND Edit = FEdit;
      RemovePropW(Edit, kSelfProperty);
      SetWindowLongPtrW(Edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Original));
      FEdit = nullptr;
      return CallWindowProcW(Original, Edit, Msg, WParam, LParam);
    }
  }
  const LRESULT Result = CallWindowProcW(FEditProc, FEdit, Msg, WParam, LParam);
  if (MayChangeText(Msg)) TextMayHaveChanged();
  return Result;
}

}  // namespace vlm
