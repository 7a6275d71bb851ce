// ui/dialog/smooth_message_dialog_input.cpp -- the dialog window's messages: mouse presses,
// hover and releases on the buttons, dragging by the caption band, and the keys.
#include "ui/dialog/smooth_message_dialog.h"

#include <cwctype>

#include <windowsx.h>

namespace vlm {

namespace {

POINT PointOf(LPARAM LParam) {
  return POINT{GET_X_LPARAM(LParam), GET_Y_LPARAM(LParam)};
}

// The accelerator character of a caption: the character after a single "&" ("&&" is a literal
// ampersand), or 0.
wchar_t AcceleratorOf(const String& Caption) {
  for (size_t I = 0; I + 1 < Caption.size(); ++I) {
    if (Caption[I] != u'&') continue;
    if (Caption[I + 1] == u'&') {
      ++I;
      continue;
    }
    return static_cast<wchar_t>(Caption[I + 1]);
  }
  return 0;
}

}  // namespace

LRESULT TSmoothMessageDialog::HandleMessage(UINT Msg, WPARAM WParam, LPARAM LParam) {
  const HWND Handle = FWindow;
  if (LRESULT Answer = 0;
      HandleAccessibilityMessage(FAccessible.get(), Msg, WParam, LParam, Answer))
    return Answer;
  switch (Msg) {
    case WM_MOUSEACTIVATE: return MA_ACTIVATE;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: MouseDown(PointOf(LParam)); return 0;
    case WM_MOUSEMOVE: MouseMove(PointOf(LParam)); return 0;
    case WM_LBUTTONUP: MouseUp(PointOf(LParam)); return 0;
    case WM_MOUSELEAVE: MouseLeave(); return 0;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(LParam) != Handle) {
        // The capture was taken away (another window, a system menu): drop the press.
        FDragging = false;
        if (FPressedIndex >= 0) {
          FPressedIndex = -1;
          ClearMarks();
          Repaint();
        }
      }
      return 0;
    case WM_KEYDOWN: KeyDown(WParam); return 0;
    case WM_KEYUP: KeyUp(WParam); return 0;
    case WM_SYSCHAR: AcceleratorTyped(static_cast<wchar_t>(WParam)); return 0;
    case WM_GETDLGCODE: return DLGC_WANTALLKEYS;
    case WM_CLOSE: return 0;  // only a button ends the dialog
    case WM_DESTROY:
      FAccessible.reset();
      // Destroyed from outside (its owner went away): end the modal loop.
      if (!FDone) {
        FDone = true;
        FResult = 2;
      }
      FWindow = nullptr;
      return 0;
  }
  return DefWindowProcW(Handle, Msg, WParam, LParam);
}

void TSmoothMessageDialog::ClearMarks() {
  for (auto& Mark : FMarks) Mark = DialogButtonState{};
}

void TSmoothMessageDialog::MouseDown(POINT P) {
  SetFocus(FWindow);
  if (P.y < FLayout.CaptionBand.bottom) {
    // The caption band works as a title bar: the dialog follows the pointer until the release.
    FDragging = true;
    FDragStartCursor = P;
    ClientToScreen(FWindow, &FDragStartCursor);
    RECT Rect;
    GetWindowRect(FWindow, &Rect);
    FDragStartWindow = POINT{Rect.left, Rect.top};
    SetCapture(FWindow);
    return;
  }
  const int Index = ButtonAt(FLayout, P);
  if (Index < 0 || !Buttons[Index].Enabled) return;
  FPressedIndex = Index;
  FMarks[Index].Pressed = true;
  SetCapture(FWindow);  // the release comes to us even off the dialog
  Repaint();
}

void TSmoothMessageDialog::MouseMove(POINT P) {
  if (FDragging) {
    POINT Cursor = P;
    ClientToScreen(FWindow, &Cursor);
    SetWindowPos(FWindow, nullptr, FDragStartWindow.x + Cursor.x - FDragStartCursor.x,
                 FDragStartWindow.y + Cursor.y - FDragStartCursor.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return;
  }
  if (!FTrackingLeave) {
    TRACKMOUSEEVENT Track{sizeof(Track), TME_LEAVE, FWindow, 0};
    FTrackingLeave = TrackMouseEvent(&Track) != FALSE;
  }
  int Over = ButtonAt(FLayout, P);
  if (Over >= 0 && !Buttons[Over].Enabled) Over = -1;
  bool Changed = false;
  for (size_t I = 0; I < FMarks.size(); ++I) {
    const bool Hover = static_cast<int>(I) == Over;
    if (FMarks[I].Hover == Hover) continue;
    FMarks[I].Hover = Hover;
    Changed = true;
  }
  if (Changed) Repaint();
}

void TSmoothMessageDialog::MouseUp(POINT P) {
  if (FDragging) {
    // The end of a drag by the caption band: a release like any other clears the marks.
    FDragging = false;
    if (GetCapture() == FWindow) ReleaseCapture();
    ClearMarks();
    Repaint();
    return;
  }
  const int Pressed = FPressedIndex;
  const bool Chosen = Pressed >= 0 && ButtonAt(FLayout, P) == Pressed;
  FPressedIndex = -1;
  ClearMarks();
  if (GetCapture() == FWindow) ReleaseCapture();
  Repaint();
  if (Chosen) Choose(Pressed);
}

void TSmoothMessageDialog::MouseLeave() {
  FTrackingLeave = false;
  for (auto& Mark : FMarks) Mark.Hover = false;
  Repaint();
}

void TSmoothMessageDialog::MoveFocus(int Delta) {
  const int Count = static_cast<int>(Buttons.size());
  if (Count == 0) return;
  FFocused = ((FFocused < 0 ? 0 : FFocused) + Delta + Count) % Count;
  DefaultButton = FFocused;
  Repaint();
  if (FAccessible) {
    FAccessible->Announce();  // the default mark moved
    FAccessible->AnnounceFocus(FFocused + 1);
  }
}

void TSmoothMessageDialog::KeyDown(WPARAM Key) {
  if (!EnableKeyEvents) return;
  switch (Key) {
    case VK_LEFT:
    case VK_UP: MoveFocus(-1); return;
    case VK_RIGHT:
    case VK_DOWN:
    case VK_TAB: MoveFocus(+1); return;
    case VK_SPACE:
    case VK_RETURN:
      FKeyPressedInside = true;
      if (FFocused >= 0 && Buttons[FFocused].Enabled && !FMarks[FFocused].Pressed) {
        FMarks[FFocused].Pressed = true;
        Repaint();
      }
      return;
    case VK_ESCAPE:
      for (size_t I = 0; I < Buttons.size(); ++I) {
        if (Buttons[I].ButtonResult == 2) {
          Choose(static_cast<int>(I));
          return;
        }
      }
      return;
  }
}

void TSmoothMessageDialog::KeyUp(WPARAM Key) {
  if (!EnableKeyEvents || (Key != VK_SPACE && Key != VK_RETURN)) return;
  // A release whose press happened before the dialog opened (the key that started whatever
  // executes the dialog) is not a choice.
  if (!FKeyPressedInside) return;
  FKeyPressedInside = false;
  if (FFocused < 0 || !Buttons[FFocused].Enabled) return;
  FMarks[FFocused].Pressed = false;
  Repaint();
  Choose(FFocused);
}

void TSmoothMessageDialog::AcceleratorTyped(wchar_t Char) {
  const wint_t Typed = std::towupper(Char);
  for (size_t I = 0; I < Buttons.size(); ++I) {
    const wchar_t Accelerator = AcceleratorOf(Buttons[I].Caption);
    if (Accelerator == 0 || std::towupper(Accelerator) != Typed || !Buttons[I].Enabled) continue;
    Choose(static_cast<int>(I));
    return;
  }
}

}  // namespace vlm
