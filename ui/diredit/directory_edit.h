// ui/diredit/directory_edit.h -- TDirectoryEdit: a one-line edit child window holding a folder
// path (its window text is the path), with the browse button TEditButton inside its border at
// the right end. The folder can be typed (the shell suggests existing folders), dropped from the
// shell, or chosen in the shell's folder browser (the button, or Alt+Down in the field). Any text
// that arrives with a line break is cut before the first one.
#pragma once

#include <functional>
#include <memory>

#include "runtime/string.h"
#include "runtime/win32/win32_api.h"
#include "ui/access/accessible_tree.h"
#include "ui/diredit/edit_button.h"

#include <shellapi.h>

namespace vlm {

// Which picker the field opens.
enum class TDirDialogKind {
  Framework,    // the framework's own folder dialog (not built: the shell browser is used)
  ShellBrowser  // the shell's folder browser
};

class TDirectoryEdit {
public:
  // Creates the field as a child of Parent. Left, Top, Width, Height are pixels at 96 dpi;
  // Scale is the screen's dpi / 96 and scales them, the font (Tahoma 19 px) and the button.
  TDirectoryEdit(HWND Parent, int Left, int Top, int Width, int Height, double Scale);
  ~TDirectoryEdit();
  TDirectoryEdit(const TDirectoryEdit&) = delete;
  TDirectoryEdit& operator=(const TDirectoryEdit&) = delete;

  // The edit window: its window text is the field's text.
  HWND Handle() const { return FEdit; }
  TEditButton& Button() { return *FButton; }

  String Text() const;
  // Replaces the text (cut at its first line break); the physical directory follows.
  void SetText(const String& Text);
  // Sets the directory: the text and the physical directory become Path.
  void SetDirectory(const String& Path);
  // The path the text stands for; equal to the text, as localized names are not displayed.
  const String& Directory() const { return FDirectory; }

  // Read-only locks the field and its button.
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool ReadOnly);

  // Opens the folder browser (as the button and Alt+Down do) and, after a choice, puts the
  // chosen path into the field. Does nothing while read-only. Raises EBrowseForFolder on a shell
  // too old for the browser; the text is then unchanged.
  void Browse();

  // The field's name for screen readers (the label beside it says it to the eye).
  String AccessibleName;
  // What screen readers see of the field: an editable text whose value is the field's text.
  TAccessibleTree& Accessible() { return *FAccessible; }

  // Where the browser starts when the text is empty; becomes the last folder chosen that exists.
  String InitialDir;
  // Status text handed to the browser.
  String DialogText;
  TDirDialogKind DialogKind = TDirDialogKind::ShellBrowser;

  // Raised after every change of the text (typed, pasted, dropped, browsed or set).
  std::function<void()> OnChange;
  // Test hook: passed to the folder browser, called with its window once it is initialised.
  std::function<void(HWND Browser)> OnBrowserShownForTesting;

private:
  static LRESULT CALLBACK EditProc(HWND Handle, UINT Msg, WPARAM WParam, LPARAM LParam);
  LRESULT HandleMessage(UINT Msg, WPARAM WParam, LPARAM LParam);
  void BrowseReportingErrors();
  void TextMayHaveChanged();
  void FilesDropped(HDROP Drop);
  void PlaceButton();

  HWND FEdit = nullptr;
  WNDPROC FEditProc = nullptr;  // the edit class's own window procedure
  HFONT FFont = nullptr;
  std::unique_ptr<TEditButton> FButton;
  std::unique_ptr<TAccessibleTree> FAccessible;
  int FButtonWidth = 21;
  String FDirectory;
  String FLastText;  // the text as last seen, to notice changes
  bool FReadOnly = false;
  bool FUpdating = false;  // the text is being replaced by us
};

}  // namespace vlm
