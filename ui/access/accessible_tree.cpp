// ui/access/accessible_tree.cpp -- answering WM_GETOBJECT and announcing changes with WinEvents.
#include "ui/access/accessible_tree.h"

#include <functional>
#include <memory>

#include "ui/access/accessible_object.h"

namespace vlm {

long VisibilityState(bool Visible, bool Enabled) {
  return (Visible ? 0 : STATE_SYSTEM_INVISIBLE) | (Enabled ? 0 : STATE_SYSTEM_UNAVAILABLE);
}

UINT AccessibleActionMessage() {
  static const UINT Message = RegisterWindowMessageW(L"VelmoraAccessibleAction");
  return Message;
}

bool HandleAccessibilityMessage(TAccessibleTree* Tree, UINT Msg, WPARAM W, LPARAM L,
                                LRESULT& Result) {
  if (Msg == WM_GETOBJECT && Tree) {
    Result = Tree->Answer(W, L);
    return Result != 0;
  }
  if (Msg == AccessibleActionMessage() && L) {
    const std::unique_ptr<std::function<void()>> Action(
        reinterpret_cast<std::function<void()>*>(L));
    (*Action)();
    Result = 0;
    return true;
  }
  return false;
}

TAccessibleTree::TAccessibleTree(HWND Window) : FWindow(Window) {}

TAccessibleTree::~TAccessibleTree() {
  if (FObject) {
    FObject->Disconnect();
    FObject->Release();
  }
}

const TAccessibleElement* TAccessibleTree::Element(long ChildId) const {
  if (ChildId == CHILDID_SELF) return &Self;
  if (ChildId < 1 || static_cast<size_t>(ChildId) > Children.size()) return nullptr;
  return &Children[static_cast<size_t>(ChildId - 1)];
}

LRESULT TAccessibleTree::Answer(WPARAM W, LPARAM L) {
  if (static_cast<LONG>(L) != OBJID_CLIENT) return 0;
  if (!FObject) FObject = new TAccessibleObject(*this);
  const LRESULT Result = LresultFromObject(__uuidof(IAccessible), W, FObject);
  return Result > 0 ? Result : 0;
}

void TAccessibleTree::Announce() {
  const size_t Count = Children.size() + 1;
  std::vector<TSeen> Now(Count);
  for (size_t I = 0; I < Count; ++I) {
    const TAccessibleElement& E = *Element(static_cast<long>(I));
    if (I > 0 && E.Window) continue;  // a window announces itself, through its own tree
    TSeen& S = Now[I];
    S.Name = E.NameKey ? E.NameKey() : E.Name ? E.Name() : String();
    S.Value = E.ValueKey ? E.ValueKey() : E.Value ? E.Value() : String();
    S.State = E.State ? E.State() : 0;
  }
  if (FSeen.size() == Count) {
    for (size_t I = 0; I < Count; ++I) {
      const TSeen &Was = FSeen[I], &Is = Now[I];
      const LONG Id = static_cast<LONG>(I);
      const bool Windowless = I > 0 && !Element(Id)->Window;
      const long Invisible = STATE_SYSTEM_INVISIBLE;
      if (Windowless && (Was.State & Invisible) != (Is.State & Invisible))
        NotifyWinEvent((Is.State & Invisible) ? EVENT_OBJECT_HIDE : EVENT_OBJECT_SHOW, FWindow,
                       OBJID_CLIENT, Id);
      if (Was.Name != Is.Name) NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, FWindow, OBJID_CLIENT, Id);
      if (Was.Value != Is.Value)
        NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, FWindow, OBJID_CLIENT, Id);
      if ((Was.State & ~Invisible) != (Is.State & ~Invisible))
        NotifyWinEvent(EVENT_OBJECT_STATECHANGE, FWindow, OBJID_CLIENT, Id);
    }
  }
  FSeen = std::move(Now);
}

void TAccessibleTree::AnnounceFocus(long ChildId) {
  NotifyWinEvent(EVENT_OBJECT_FOCUS, FWindow, OBJID_CLIENT, ChildId);
}

}  // namespace vlm
