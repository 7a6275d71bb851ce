// ui/access/accessible_tree.h -- one window's Active Accessibility: the element that is the
// window itself and its children in reading order, answered through WM_GETOBJECT with our own
// IAccessible object, and WinEvents that tell screen readers what changed without their polling.
// A child with a window of its own is answered by that window's object.
#pragma once

#include <vector>

#include "ui/access/accessible_element.h"

namespace vlm {

class TAccessibleObject;

class TAccessibleTree {
public:
  explicit TAccessibleTree(HWND Window);
  // Cuts the object off: a screen reader that still holds it gets "disconnected" answers.
  ~TAccessibleTree();
  TAccessibleTree(const TAccessibleTree&) = delete;
  TAccessibleTree& operator=(const TAccessibleTree&) = delete;

  HWND Window() const { return FWindow; }

  TAccessibleElement Self;
  std::vector<TAccessibleElement> Children;  // child id I + 1 is Children[I]

  // The element of a child id (0: Self), or null for an id out of range.
  const TAccessibleElement* Element(long ChildId) const;

  // The answer to WM_GETOBJECT: the tree's object for OBJID_CLIENT, 0 for any other object id
  // (the window's default handling then answers).
  LRESULT Answer(WPARAM W, LPARAM L);

  // Compares every element with what was last announced and raises the WinEvents for what
  // changed: name, value and state changes, and show or hide of windowless children (windows
  // are announced by the system). The first call only takes the state in.
  void Announce();
  // Tells screen readers that ChildId (0: the window) has the focus.
  void AnnounceFocus(long ChildId);

private:
  struct TSeen {
    String Name, Value;
    long State = 0;
  };

  HWND FWindow;
  TAccessibleObject* FObject = nullptr;  // made on the first request, one reference held
  std::vector<TSeen> FSeen;              // 0: Self, then the children; empty: nothing announced
};

// The message that carries a default action, posted by the object to its window so that the
// action runs from the window's queue, as a click would, after the screen reader's call returned.
UINT AccessibleActionMessage();

// The accessibility messages of a window whose tree is Tree (may be null): WM_GETOBJECT and the
// posted default actions. True when the message was one of them; Result is then the answer.
bool HandleAccessibilityMessage(TAccessibleTree* Tree, UINT Msg, WPARAM W, LPARAM L,
                                LRESULT& Result);

}  // namespace vlm
