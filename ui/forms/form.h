// ui/forms/form.h -- the top-level window: fixed single border, system menu with the minimize
// and maximize buttons, empty title, a white client area of a given size at 96 dpi (scaled by
// the screen's resolution at creation), the platform's default position. It paints its
// windowless controls in creation order over white, routes left clicks to them, moves the focus
// between its windowed children with Tab, and turns the close button into a close request.
#pragma once

#include <memory>
#include <vector>

#include "runtime/object.h"
#include "runtime/win32/win32_api.h"
#include "ui/access/accessible_tree.h"
#include "ui/forms/gdiplus_api.h"

namespace vlm {

class TControl;

class TForm : public TObject {
public:
  // Creates the (hidden) window of class ClassName with the client size at 96 dpi. Scale is the
  // factor for every length of the form and its controls; 0 means the screen's (ScreenScale).
  TForm(const wchar_t* ClassName, int ClientWidth, int ClientHeight, double Scale = 0);
  ~TForm() override;
  TForm(const TForm&) = delete;
  TForm& operator=(const TForm&) = delete;

  HWND Handle() const { return FHandle; }
  double Scale() const { return FScale; }
  int ClientWidth() const;
  int ClientHeight() const;

  // Shows the window and gives the focus to the first tab stop.
  void Show();
  bool Showing() const { return IsWindowVisible(FHandle) != FALSE; }

  // The result of a modal window, stored by a button's click (its ModalResult) before the
  // button's click event runs. The main window runs modeless and reads it nowhere.
  int ModalResult = 0;

  // The close button's request. The form's rule: hide the window and ask the application to
  // terminate (the program ends once control is back in the message loop).
  virtual void CloseRequested();

  // Paints the white background and the windowless controls that meet Area (client
  // coordinates) with G's origin at the client area's top-left corner. Windowed controls use it
  // to show what lies behind their transparent parts.
  void PaintBackground(Gdiplus::Graphics& G, const RECT& Area);

  // The windowless controls, in creation (painting) order.
  const std::vector<TControl*>& Controls() const { return FControls; }
  // The topmost visible windowless control containing the client point, or null.
  TControl* ControlAt(int X, int Y) const;

  // Bookkeeping of windowless controls (their constructors and destructors call these).
  void InsertControl(TControl* Control) { FControls.push_back(Control); }
  void RemoveControl(TControl* Control);
  // A windowless control changed what it shows: screen readers are told what they see change.
  void ControlChanged();

  // What screen readers see of the window (null until a subclass describes it).
  TAccessibleTree* Accessible() const { return FAccessible.get(); }
  // A character typed with Alt: true when the form acted on it (a windowless control's key).
  virtual bool Mnemonic(char16_t Key) { return false; }
  // Whether the keyboard cues (the underlined access keys) are to be shown now.
  bool KeyboardCuesShown() const { return FCuesShown; }

protected:
  virtual LRESULT WndProc(UINT Msg, WPARAM W, LPARAM L);
  // Starts the window's accessible description: the tree whose Self and Children the caller
  // fills in. A subclass whose controls the description names drops it before they go.
  TAccessibleTree& MakeAccessible();
  void DropAccessible() { FAccessible.reset(); }

private:
  static LRESULT CALLBACK WindowProcedure(HWND Window, UINT Msg, WPARAM W, LPARAM L);
  void Paint();
  void MouseDown(int X, int Y);
  void MouseUp(int X, int Y);
  void FocusNext(bool Backwards);
  // A WM_CHANGEUISTATE: follows the request to show or hide the cues.
  void UiStateChanged(WPARAM W);

  HWND FHandle = nullptr;
  double FScale = 1;
  std::vector<TControl*> FControls;
  TControl* FPressed = nullptr;  // the control a left press started on (not owned)
  HWND FLastFocus = nullptr;     // the child that had the focus when the window deactivated
  std::unique_ptr<TAccessibleTree> FAccessible;
  bool FCuesShown = false;
};

}  // namespace vlm
