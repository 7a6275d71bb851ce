// ui/access/accessible_element.h -- what a screen reader sees of one element of a window: its
// role, name, value and state, where it is, what its default action does, and the key that does
// it. Elements are described by the window that shows them, with getters read at the moment a
// screen reader asks, so the description never goes stale.
#pragma once

#include <functional>

#include "runtime/string.h"
#include "runtime/win32/win32_api.h"

#include <oleacc.h>

namespace vlm {

struct TAccessibleElement {
  long Role = ROLE_SYSTEM_CLIENT;
  std::function<String()> Name;
  std::function<String()> Value;  // none: the element has no value
  std::function<long()> State;    // STATE_SYSTEM_* bits; none: 0
  std::function<RECT()> Bounds;   // on the screen; none: the window's client area
  String DefaultAction;           // the action's name ("Press", "Check"); empty: none
  std::function<void()> DoDefaultAction;
  String KeyboardShortcut;  // "Alt+S"; empty: none
  // A window whose own object stands for this element among its parent's children.
  HWND Window = nullptr;
  // What must change for a change to be announced; none: the name (the value) itself. Lets an
  // element announce less often than it changes (a growing row of dots, a moving percentage).
  std::function<String()> NameKey;
  std::function<String()> ValueKey;
};

// The state bits every element shares: invisible when not Visible, unavailable when not Enabled.
long VisibilityState(bool Visible, bool Enabled);

}  // namespace vlm
