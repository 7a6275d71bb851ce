// ui/diredit/browse_for_folder_dialog.h -- TBrowseForFolderDialog: one run of the shell's folder
// browser (SHBrowseForFolderW) over the whole shell namespace, starting at a given folder and
// centred in the screen's work area, with COM initialised around it and the program's other
// windows disabled while it is open. Made for one browse and thrown away after it.
#pragma once

#include <functional>

#include "runtime/exception.h"
#include "runtime/string.h"
#include "runtime/win32/win32_api.h"

namespace vlm {

VLM_DECLARE_EXCEPTION(EBrowseForFolder, Exception);

inline constexpr char16_t kShellNotCompatible[] = u"Shell not compatible with BrowseForFolder";

// The browser's option bits (the shell's BIF_ values).
inline constexpr UINT kBrowseStatusText = 0x4;
inline constexpr UINT kBrowseNewDialogStyle = 0x40;

class TBrowseForFolderDialog {
public:
  // Owner: the window the browser belongs to (the window holding the directory edit).
  explicit TBrowseForFolderDialog(HWND Owner) : FOwner(Owner) {}

  // Runs the browser. Directory is selected when the browser opens (when not empty); after a
  // choice it holds the chosen item's parsing name (a file-system folder's full path without a
  // trailing backslash, a drive's root with one) and Execute returns true. Cancel or closing the
  // browser returns false and leaves Directory alone. A shell older than version 4.0 raises
  // EBrowseForFolder with kShellNotCompatible and opens nothing.
  bool Execute();

  String Directory;
  String StatusText;  // handed to the browser as its title line
  UINT Options = kBrowseStatusText | kBrowseNewDialogStyle;

  // Test hook: called with the browser's window once it reports that it is initialised (after
  // the initial selection and the centring), so a test can answer it.
  std::function<void(HWND Browser)> OnShownForTesting;

private:
  static int CALLBACK Callback(HWND Browser, UINT Msg, LPARAM LParam, LPARAM Data);
  void Initialized(HWND Browser);

  HWND FOwner;
};

// The shell's major version (from shell32's DllGetVersion); 4 when the shell does not report one,
// as shells before 4.71 did not.
int ShellMajorVersion();

}  // namespace vlm
