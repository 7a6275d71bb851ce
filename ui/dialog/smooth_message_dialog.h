// ui/dialog/smooth_message_dialog.h -- TSmoothMessageDialog: a non-visual component that, when
// executed, shows a borderless, translucent (per-pixel alpha) window with a caption band and a
// row of buttons, runs its own modal message loop until a button is chosen, and returns that
// button's result. Each execution builds a fresh window; between executions only the settings
// are kept, DefaultButton included, which follows the keyboard focus inside the dialog.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "runtime/string.h"
#include "runtime/win32/win32_api.h"
#include "ui/access/accessible_tree.h"
#include "ui/controls/smooth_fill.h"
#include "ui/controls/smooth_label.h"
#include "ui/dialog/dialog_image.h"
#include "ui/dialog/dialog_layout.h"
#include "ui/forms/font.h"

namespace vlm {

// Placement of the caption text in its band: the label's nine cells of a 3 x 3 grid, or
// CaptionLeft and CaptionTop inside the band.
using TCaptionLocation = TLabelLocation;

// Where an execution places the dialog window.
enum class TDialogPosition {
  Default,       // the window system's default position for new windows
  OwnerCenter,   // centred on the owning window
  ScreenCenter,  // centred in the screen's work area
  Explicit       // at DialogLeft, DialogTop (screen pixels)
};

// One button of the dialog; choosing it ends the dialog with ButtonResult.
struct TSmoothMessageDialogButton {
  String Caption;  // "&x" makes Alt+x choose the button
  int ButtonResult = 1;
  TColor Color = 0x808080;
  TColor ColorDown = 0x808080;
  TColor ColorFocused = 0xC0C0C0;
  TColor HoverColor = 0xC0C0C0;
  TColor ColorDisabled = 0x797979;
  TColor BorderColor = 0x000000;
  int BorderWidth = 1;
  int BorderOpacity = 255;
  int Opacity = 255;
  bool Enabled = true;
  int Spacing = 0;
};

// Run-time marks of one button while the dialog is shown.
struct DialogButtonState {
  bool Pressed = false;
  bool Hover = false;
};

class TSmoothMessageDialog {
public:
  // Owner: the window the dialog belongs to; when it is not a window, the application's main
  // window (Application().Handle()) is used at execution time.
  explicit TSmoothMessageDialog(HWND Owner);
  ~TSmoothMessageDialog();
  TSmoothMessageDialog(const TSmoothMessageDialog&) = delete;
  TSmoothMessageDialog& operator=(const TSmoothMessageDialog&) = delete;

  void SetCaption(const String& Caption) { FCaption = Caption; }
  const String& Caption() const { return FCaption; }
  // Appends a button; buttons keep the order in which they were added. The reference stays valid
  // until the next AddButton.
  TSmoothMessageDialogButton& AddButton(const String& Caption, int Result);

  // Shows the dialog. Modal: waits for a choice and returns the chosen button's result (2 when
  // the application is asked to quit while the dialog runs; the quit request is passed on).
  // Not modal: shows the dialog and returns 1 at once.
  int ExecuteDialog();
  // Whether ExecuteDialog returned 1 or 6.
  bool Execute();

  // The dialog's size and the places of its parts for the current settings, with the texts
  // measured in the dialog's fonts.
  DialogLayout ComputeLayout() const;
  // The dialog's complete look for the given layout and marks: premultiplied 32-bit pixels.
  DialogImage Render(const DialogLayout& Layout, int Focused,
                     const std::vector<DialogButtonState>& Marks) const;

  // The dialog window while an execution shows it, else null.
  HWND DialogHandle() const { return FWindow; }

  // Settings, with the values a new component starts with.
  std::vector<TSmoothMessageDialogButton> Buttons;
  TFont CaptionFont;
  int CaptionHeight = 30;
  TCaptionLocation CaptionLocation = TCaptionLocation::CenterCenter;
  int CaptionLeft = 0;
  int CaptionTop = 0;
  TFont ButtonFont;
  TButtonLayout ButtonLayout = TButtonLayout::Horizontal;
  int ButtonSpacing = 5;
  int Margin = 0;
  TSmoothFill Fill;
  TSmoothFill CaptionFill;
  TSmoothFill ButtonAreaFill;
  TDialogPosition Position = TDialogPosition::Default;
  int DialogLeft = 0;
  int DialogTop = 0;
  bool Modal = true;
  bool EnableKeyEvents = true;
  // Index of the button that has the focus when the dialog opens; moving the focus in the
  // dialog changes it.
  int DefaultButton = 0;

  // Raised after the dialog window was closed.
  std::function<void()> OnClose;
  // May refuse a choice: returning false keeps the dialog open.
  std::function<bool(int Result)> OnCanClose;

  // Test hook: called once per execution right after the dialog window is shown, before the
  // modal loop starts; tests post their key and mouse messages from here.
  std::function<void(HWND Dialog)> OnShownForTesting;
  // The look handed to the window system last (kept after the execution ends).
  const DialogImage& LastImageForTesting() const { return FImage; }
  const DialogLayout& LastLayoutForTesting() const { return FLayout; }

private:
  static LRESULT CALLBACK WndProc(HWND Handle, UINT Msg, WPARAM WParam, LPARAM LParam);
  LRESULT HandleMessage(UINT Msg, WPARAM WParam, LPARAM LParam);
  void MouseDown(POINT P);
  void MouseMove(POINT P);
  void MouseUp(POINT P);
  void MouseLeave();
  void KeyDown(WPARAM Key);
  void KeyUp(WPARAM Key);
  void AcceleratorTyped(wchar_t Char);
  void MoveFocus(int Delta);
  void ClearMarks();

  HWND OwningWindow() const;
  POINT InitialPosition(HWND Owner) const;
  HWND CreateDialogWindow(HWND Owner);
  void RunModalLoop();
  void Repaint();
  void Choose(int Index);
  void CloseWindow();
  // What screen readers see while the window is shown: a dialog named by the caption with its
  // buttons as push buttons, the focused one marked as the default (the one Enter chooses).
  void DescribeWindow();

  HWND FOwner;
  String FCaption;
  HWND FWindow = nullptr;
  std::unique_ptr<TAccessibleTree> FAccessible;  // while the window is shown
  DialogLayout FLayout;
  DialogImage FImage;
  int FFocused = -1;
  std::vector<DialogButtonState> FMarks;
  bool FDone = false;
  int FResult = 1;
  int FPressedIndex = -1;          // the button a mouse press began on
  bool FKeyPressedInside = false;  // Space or Enter went down while the dialog was shown
  bool FDragging = false;
  bool FTrackingLeave = false;
  POINT FDragStartCursor{};  // screen position of the press that began a drag
  POINT FDragStartWindow{};  // the window's position at that press
};

}  // namespace vlm
