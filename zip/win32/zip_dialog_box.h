// zip/win32/zip_dialog_box.h -- TZipDialogBox, the zip component's modal box on Windows: a window
// built at run time from a TZFDialogDescription, with the system message font, the type's icon
// (a 32x32 static named "Image"), the text in a word-wrapping static named "zmdText", the password
// edit "zmdEdit" for the password type, and one push button per kind ("ZFDlg19" + number) in a
// centred row at the bottom. Text and buttons are real child windows, so screen readers and tests
// can read them. TZFWindowDialog is the presenter that shows such boxes.
#pragma once

#include <vector>

#include "runtime/win32/win32_api.h"
#include "zip/zip_dialog.h"

namespace vlm {

class TZipDialogBox {
public:
  TZipDialogBox(const TZFDialogDescription& Box, HWND Owner);
  ~TZipDialogBox();
  TZipDialogBox(const TZipDialogBox&) = delete;
  TZipDialogBox& operator=(const TZipDialogBox&) = delete;

  // Creates the window and its children (hidden), laid out and centred on the screen.
  void Build();
  // Beeps as the type says, shows the box modally (the owner disabled meanwhile) and returns the
  // modal result: the pressed button's, the cancel button's for Escape or closing (mrCancel without
  // a cancel button). Entered receives the edit's text for the password type.
  int ShowModal(String& Entered);

  HWND Window() const { return FWindow; }
  // The child named Name ("zmdText", "zmdEdit", "Image", "ZFDlg191", ...), or null.
  HWND Child(const String& Name) const;
  // The button that Enter presses and the one Escape presses (null when none).
  HWND DefaultButtonWindow() const;
  HWND CancelButtonWindow() const;

private:
  struct TChild {
    String Name;
    HWND Window;
    int ModalResult;  // buttons only
  };
  static LRESULT CALLBACK WindowProc(HWND Window, UINT Message, WPARAM W, LPARAM L);
  LRESULT Handle(UINT Message, WPARAM W, LPARAM L);
  HWND AddChild(const String& Name, const wchar_t* Class, const String& Text, DWORD Style,
                RECT Bounds, int Id);
  void Finish(int Result);

  TZFDialogDescription FBox;
  HWND FOwner;
  HWND FWindow = nullptr;
  HFONT FFont = nullptr;
  std::vector<TChild> FChildren;
  bool FDone = false;
  int FResult = mrNone;
};

class TZFWindowDialog : public TZFDialogPresenter {
public:
  int ShowModal(const TZFDialogDescription& Box, String& Entered) override;
};

}  // namespace vlm
