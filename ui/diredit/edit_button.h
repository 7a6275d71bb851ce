// ui/diredit/edit_button.h -- TEditButton: the small browse button inside the directory edit's
// border, drawn by us (a push-button face and the open-folder picture), raising OnClick when a
// left press is released over it.
#pragma once

#include <functional>
#include <memory>

#include "runtime/win32/win32_api.h"
#include "ui/access/accessible_tree.h"
#include "ui/diredit/folder_glyph.h"

namespace vlm {

class TEditButton {
public:
  // Creates the button as a child of Parent at the given rectangle (parent client pixels).
  TEditButton(HWND Parent, const RECT& Bounds);
  ~TEditButton();
  TEditButton(const TEditButton&) = delete;
  TEditButton& operator=(const TEditButton&) = delete;

  HWND Handle() const { return FHandle; }
  void SetBounds(const RECT& Bounds);
  void SetEnabled(bool Enabled);
  // The picture variant: the flat one while the platform's visual styles are on.
  TGlyphVariant Variant() const;
  bool Down() const { return FDown; }

  std::function<void()> OnClick;

private:
  static LRESULT CALLBACK WndProc(HWND Handle, UINT Msg, WPARAM WParam, LPARAM LParam);
  LRESULT HandleMessage(UINT Msg, WPARAM WParam, LPARAM LParam);
  void Paint(HDC DC);
  void SetDown(bool Down);

  HWND FHandle = nullptr;
  std::unique_ptr<TAccessibleTree> FAccessible;  // a push button "Browse for folder"
  bool FDown = false;                            // shown pressed: the left button is held over it
  bool FPressing = false;  // a left press began on it and has not been released
};

// Whether the platform's visual styles are on for this program.
bool VisualStylesOn();

}  // namespace vlm
