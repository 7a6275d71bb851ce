// ui/access/accessible_object.cpp -- the IAccessible methods over a TAccessibleTree.
#include "ui/access/accessible_object.h"

#include <optional>

namespace vlm {

namespace {

// A text for the caller to free, or S_FALSE with null when there is none.
HRESULT ReturnText(const String& Text, BSTR* Out) {
  *Out = nullptr;
  if (Text.empty()) return S_FALSE;
  *Out = SysAllocStringLen(WidePtr(Text), static_cast<UINT>(Text.size()));
  return *Out ? S_OK : E_OUTOFMEMORY;
}

void SetChildId(VARIANT* Out, long Id) {
  VariantInit(Out);
  Out->vt = VT_I4;
  Out->lVal = Id;
}

// The object of a child window, as its parent hands it out.
HRESULT WindowObject(HWND Window, IDispatch** Out) {
  return AccessibleObjectFromWindow(Window, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IDispatch),
                                    reinterpret_cast<void**>(Out));
}

RECT ClientOnScreen(HWND Window) {
  RECT R = {};
  GetClientRect(Window, &R);
  MapWindowPoints(Window, HWND_DESKTOP, reinterpret_cast<POINT*>(&R), 2);
  return R;
}

RECT BoundsOf(const TAccessibleElement& E, HWND Window) {
  if (E.Window) return ClientOnScreen(E.Window);
  return E.Bounds ? E.Bounds() : ClientOnScreen(Window);
}

long StateOf(const TAccessibleElement& E) {
  return E.State ? E.State() : 0;
}

}  // namespace

HRESULT TAccessibleObject::QueryInterface(REFIID Iid, void** Object) {
  if (!Object) return E_POINTER;
  if (Iid == __uuidof(IUnknown) || Iid == __uuidof(IDispatch) || Iid == __uuidof(IAccessible)) {
    *Object = static_cast<IAccessible*>(this);
    AddRef();
    return S_OK;
  }
  *Object = nullptr;
  return E_NOINTERFACE;
}

ULONG TAccessibleObject::AddRef() {
  return static_cast<ULONG>(InterlockedIncrement(&FReferences));
}

ULONG TAccessibleObject::Release() {
  const LONG Left = InterlockedDecrement(&FReferences);
  if (Left == 0) delete this;
  return static_cast<ULONG>(Left);
}

HRESULT TAccessibleObject::GetTypeInfoCount(UINT* Count) {
  if (!Count) return E_POINTER;
  *Count = 0;
  return S_OK;
}
HRESULT TAccessibleObject::GetTypeInfo(UINT, LCID, ITypeInfo**) {
  return E_NOTIMPL;
}
HRESULT TAccessibleObject::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
  return E_NOTIMPL;
}
HRESULT TAccessibleObject::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                  UINT*) {
  return E_NOTIMPL;
}

HRESULT TAccessibleObject::Find(const VARIANT& Child, const TAccessibleElement*& Element) const {
  Element = nullptr;
  if (!FTree) return CO_E_OBJNOTCONNECTED;
  if (Child.vt != VT_I4) return E_INVALIDARG;
  Element = FTree->Element(Child.lVal);
  return Element ? S_OK : E_INVALIDARG;
}

HRESULT TAccessibleObject::get_accParent(IDispatch** Parent) {
  if (!Parent) return E_POINTER;
  *Parent = nullptr;
  if (!FTree) return CO_E_OBJNOTCONNECTED;
  // The client area's parent is its window's own object, as for every window.
  return AccessibleObjectFromWindow(FTree->Window(), static_cast<DWORD>(OBJID_WINDOW),
                                    __uuidof(IDispatch), reinterpret_cast<void**>(Parent));
}

HRESULT TAccessibleObject::get_accChildCount(LONG* Count) {
  if (!Count) return E_POINTER;
  if (!FTree) return CO_E_OBJNOTCONNECTED;
  *Count = static_cast<LONG>(FTree->Children.size());
  return S_OK;
}

HRESULT TAccessibleObject::get_accChild(VARIANT Child, IDispatch** Object) {
  if (!Object) return E_POINTER;
  *Object = nullptr;
  const TAccessibleElement* E = nullptr;
  if (HRESULT Hr = Find(Child, E); FAILED(Hr)) return Hr;
  if (Child.lVal == 0 || !E->Window) return S_FALSE;  // a simple element: no object of its own
  return WindowObject(E->Window, Object);
}

HRESULT TAccessibleObject::get_accName(VARIANT Child, BSTR* Name) {
  if (!Name) return E_POINTER;
  *Name = nullptr;
  const TAccessibleElement* E = nullptr;
  if (HRESULT Hr = Find(Child, E); FAILED(Hr)) return Hr;
  return ReturnText(E->Name ? E->Name() : String(), Name);
}

HRESULT TAccessibleObject::get_accValue(VARIANT Child, BSTR* Value) {
  if (!Value) return E_POINTER;
  *Value = nullptr;
  const TAccessibleElement* E = nullptr;
  if (HRESULT Hr = Find(Child, E); FAILED(Hr)) return Hr;
  return ReturnText(E->Value ? E->Value() : String(), Value);
}

HRESULT TAccessibleObject::get_accDescription(VARIANT Child, BSTR* Text) {
  if (!Text) return E_POINTER;
  *Text = nullptr;
  const TAccessibleElement* E = nullptr;
  if (HRESULT Hr = Find(Child, E); FAILED(Hr)) return Hr;
  return S_FALSE;
}

HRESULT TAccessibleObject::get_accRole(VARIANT Child, VARIANT* Role) {
  if (!Role) return E_POINTER;
  VariantInit(Role);
  const TAccessibleElement* E = nullptr;
  if (HRESULT Hr = Find(Child, E); FAILED(Hr)) return Hr;
  SetChildId(Role, E->Role);
  return S_OK;
}

HRESULT TAccessibleObject::get_accState(VARIANT Child, VARIANT* State) {
  if (!State) return E_POINTER;
  VariantInit(State);
  const TAccessibleElement* E = nullptr;
  if (HRESULT Hr = Find(Child, E); FAILED(Hr)) return Hr;
  SetChildId(State, StateOf(*E));
  return S_OK;
}

HRESULT TAccessibleObject::get_accHelp(VARIANT Child, BSTR* Text) {
  return get_accDescription(Child, Text);
}

HRESULT TAccessibleObject::get_accHelpTopic(BSTR* File, VARIANT, long* Topic) {
  if (File) *File = nullptr;
  if (Topic) *Topic = 0;
  return FTree ? S_FALSE : CO_E_OBJNOTCONNECTED;
}

HRESULT TAccessibleObject::get_accKeyboardShortcut(VARIANT Child, BSTR* Keys) {
  if (!Keys) return E_POINTER;
  *Keys = nullptr;
  const TAccessibleElement* E = nullptr;
  if (HRESULT Hr = Find(Child, E); FAILED(Hr)) return Hr;
  return ReturnText(E->KeyboardShortcut, Keys);
}

HRESULT TAccessibleObject::get_accFocus(VARIANT* Child) {
  if (!Child) return E_POINTER;
  VariantInit(Child);
  if (!FTree) return CO_E_OBJNOTCONNECTED;
  const HWND Focus = GetFocus();
  for (size_t I = 0; I < FTree->Children.size(); ++I) {
    const TAccessibleElement& E = FTree->Children[I];
    const bool Has = E.Window ? Focus == E.Window || IsChild(E.Window, Focus)
                              : (StateOf(E) & STATE_SYSTEM_FOCUSED) != 0;
    if (!Has) continue;
    IDispatch* Object = nullptr;
    if (E.Window && SUCCEEDED(WindowObject(E.Window, &Object)) && Object) {
      Child->vt = VT_DISPATCH;
      Child->pdispVal = Object;
    } else {
      SetChildId(Child, static_cast<long>(I + 1));
    }
    return S_OK;
  }
  if (Focus == FTree->Window()) {
    SetChildId(Child, CHILDID_SELF);
    return S_OK;
  }
  return S_FALSE;
}

HRESULT TAccessibleObject::get_accSelection(VARIANT* Children) {
  if (!Children) return E_POINTER;
  VariantInit(Children);
  return FTree ? S_FALSE : CO_E_OBJNOTCONNECTED;
}

HRESULT TAccessibleObject::get_accDefaultAction(VARIANT Child, BSTR* Action) {
  if (!Action) return E_POINTER;
  *Action = nullptr;
  const TAccessibleElement* E = nullptr;
  if (HRESULT Hr = Find(Child, E); FAILED(Hr)) return Hr;
  return ReturnText(E->DoDefaultAction ? E->DefaultAction : String(), Action);
}

HRESULT TAccessibleObject::accSelect(long, VARIANT Child) {
  const TAccessibleElement* E = nullptr;
  if (HRESULT Hr = Find(Child, E); FAILED(Hr)) return Hr;
  return DISP_E_MEMBERNOTFOUND;
}

HRESULT TAccessibleObject::accLocation(long* Left, long* Top, long* Width, long* Height,
                                       VARIANT Child) {
  if (!Left || !Top || !Width || !Height) return E_POINTER;
  const TAccessibleElement* E = nullptr;
  if (HRESULT Hr = Find(Child, E); FAILED(Hr)) return Hr;
  const RECT R = BoundsOf(*E, FTree->Window());
  *Left = R.left;
  *Top = R.top;
  *Width = R.right - R.left;
  *Height = R.bottom - R.top;
  return S_OK;
}

HRESULT TAccessibleObject::accNavigate(long Direction, VARIANT Start, VARIANT* End) {
  if (!End) return E_POINTER;
  VariantInit(End);
  const TAccessibleElement* E = nullptr;
  if (HRESULT Hr = Find(Start, E); FAILED(Hr)) return Hr;
  const long Count = static_cast<long>(FTree->Children.size());
  std::optional<long> Target;
  switch (Direction) {
    case NAVDIR_FIRSTCHILD:
      if (Start.lVal == 0 && Count > 0) Target = 1;
      break;
    case NAVDIR_LASTCHILD:
      if (Start.lVal == 0 && Count > 0) Target = Count;
      break;
    case NAVDIR_NEXT:
    case NAVDIR_DOWN:
    case NAVDIR_RIGHT:
      if (Start.lVal > 0 && Start.lVal < Count) Target = Start.lVal + 1;
      break;
    case NAVDIR_PREVIOUS:
    case NAVDIR_UP:
    case NAVDIR_LEFT:
      if (Start.lVal > 1) Target = Start.lVal - 1;
      break;
    default: return E_INVALIDARG;
  }
  if (!Target) return S_FALSE;
  const TAccessibleElement& Found = FTree->Children[static_cast<size_t>(*Target - 1)];
  IDispatch* Object = nullptr;
  if (Found.Window && SUCCEEDED(WindowObject(Found.Window, &Object)) && Object) {
    End->vt = VT_DISPATCH;
    End->pdispVal = Object;
  } else {
    SetChildId(End, *Target);
  }
  return S_OK;
}

HRESULT TAccessibleObject::accHitTest(long X, long Y, VARIANT* Child) {
  if (!Child) return E_POINTER;
  VariantInit(Child);
  if (!FTree) return CO_E_OBJNOTCONNECTED;
  const POINT P = {X, Y};
  const RECT Own = ClientOnScreen(FTree->Window());
  if (!PtInRect(&Own, P)) return S_FALSE;
  // The last child drawn there wins, as windowed controls lie above windowless ones.
  for (size_t I = FTree->Children.size(); I-- > 0;) {
    const TAccessibleElement& E = FTree->Children[I];
    if (StateOf(E) & STATE_SYSTEM_INVISIBLE) continue;
    const RECT R = BoundsOf(E, FTree->Window());
    if (!PtInRect(&R, P)) continue;
    IDispatch* Object = nullptr;
    if (E.Window && SUCCEEDED(WindowObject(E.Window, &Object)) && Object) {
      Child->vt = VT_DISPATCH;
      Child->pdispVal = Object;
    } else {
      SetChildId(Child, static_cast<long>(I + 1));
    }
    return S_OK;
  }
  SetChildId(Child, CHILDID_SELF);
  return S_OK;
}

HRESULT TAccessibleObject::accDoDefaultAction(VARIANT Child) {
  const TAccessibleElement* E = nullptr;
  if (HRESULT Hr = Find(Child, E); FAILED(Hr)) return Hr;
  if (!E->DoDefaultAction) return DISP_E_MEMBERNOTFOUND;
  const long State = StateOf(*E);
  if (State & (STATE_SYSTEM_UNAVAILABLE | STATE_SYSTEM_INVISIBLE)) return E_FAIL;
  // The action runs after this call has returned, as a click would from the message queue: a
  // screen reader is never held while the action runs (it may open a modal dialog).
  const std::function<void()> Action = E->DoDefaultAction;
  const HWND Window = FTree->Window();
  auto* Pending = new std::function<void()>(Action);
  if (!PostMessageW(Window, AccessibleActionMessage(), 0, reinterpret_cast<LPARAM>(Pending))) {
    delete Pending;
    return E_FAIL;
  }
  return S_OK;
}

HRESULT TAccessibleObject::put_accName(VARIANT, BSTR) {
  return E_NOTIMPL;
}
HRESULT TAccessibleObject::put_accValue(VARIANT, BSTR) {
  return E_NOTIMPL;
}

}  // namespace vlm
