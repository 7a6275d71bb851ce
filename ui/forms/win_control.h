// ui/forms/win_control.h -- the windowed control: a child window of its form whose window text
// is the control's caption (so accessibility tools and tests can read it). Tab stops follow the
// creation order of the form's children. Exceptions that leave a message handler are shown in
// the application's error box and do not cross the window procedure.
#pragma once

#include <memory>

#include "runtime/object.h"
#include "runtime/string.h"
#include "runtime/win32/win32_api.h"
#include "ui/access/accessible_tree.h"

namespace vlm {

class TForm;

class TWinControl : public TObject {
public:
  // Creates the child window of class ClassName (registered on first use) at the 96 dpi bounds
  // scaled by Parent's scale, visible, enabled, after the form's earlier children.
  TWinControl(TForm& Parent, const wchar_t* ClassName, int Left, int Top, int Width, int Height,
              bool TabStop);
  ~TWinControl() override;
  TWinControl(const TWinControl&) = delete;
  TWinControl& operator=(const TWinControl&) = delete;

  HWND Handle() const { return FHandle; }
  TForm& Parent() const { return FParent; }

  int Left() const;
  int Top() const;
  int Width() const;
  int Height() const;

  bool Visible() const;
  void SetVisible(bool Value);
  bool Enabled() const;
  void SetEnabled(bool Value);
  // The window text.
  String Caption() const;
  void SetCaption(const String& Value);

  bool Focused() const { return GetFocus() == FHandle; }
  void SetFocus();
  // Repaints the control, and tells screen readers what changed of what they see of it.
  void Invalidate();

  // What screen readers see of the control: its own element (made by the control class that
  // describes itself; null for none), answered through WM_GETOBJECT.
  TAccessibleTree* Accessible() const { return FAccessible.get(); }

protected:
  // The control's message handler; unhandled messages go to DefaultHandler.
  virtual LRESULT WndProc(UINT Msg, WPARAM W, LPARAM L);
  LRESULT DefaultHandler(UINT Msg, WPARAM W, LPARAM L) {
    return DefWindowProcW(FHandle, Msg, W, L);
  }
  // Called after the window text, the enabled state or the focus changed.
  virtual void StateChanged() {}
  // Starts the control's accessible description: the tree whose Self the caller fills in.
  TAccessibleTree& MakeAccessible();

private:
  static LRESULT CALLBACK WindowProcedure(HWND Window, UINT Msg, WPARAM W, LPARAM L);

  TForm& FParent;
  HWND FHandle = nullptr;
  std::unique_ptr<TAccessibleTree> FAccessible;
};

}  // namespace vlm
