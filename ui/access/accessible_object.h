// ui/access/accessible_object.h -- TAccessibleObject: the IAccessible a screen reader talks to,
// answering from a TAccessibleTree. The tree owns one reference and cuts the object off when it
// goes; a reader that still holds the object then gets CO_E_OBJNOTCONNECTED.
#pragma once

#include "ui/access/accessible_tree.h"

namespace vlm {

class TAccessibleObject final : public IAccessible {
public:
  explicit TAccessibleObject(TAccessibleTree& Tree) : FTree(&Tree) {}
  void Disconnect() { FTree = nullptr; }

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID Iid, void** Object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // IDispatch: not offered (screen readers call IAccessible directly)
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* Count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override;
  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** Parent) override;
  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* Count) override;
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT Child, IDispatch** Object) override;
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT Child, BSTR* Name) override;
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT Child, BSTR* Value) override;
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT Child, BSTR* Text) override;
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT Child, VARIANT* Role) override;
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT Child, VARIANT* State) override;
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT Child, BSTR* Text) override;
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* File, VARIANT Child, long* Topic) override;
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT Child, BSTR* Keys) override;
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* Child) override;
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* Children) override;
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT Child, BSTR* Action) override;
  HRESULT STDMETHODCALLTYPE accSelect(long Flags, VARIANT Child) override;
  HRESULT STDMETHODCALLTYPE accLocation(long* Left, long* Top, long* Width, long* Height,
                                        VARIANT Child) override;
  HRESULT STDMETHODCALLTYPE accNavigate(long Direction, VARIANT Start, VARIANT* End) override;
  HRESULT STDMETHODCALLTYPE accHitTest(long X, long Y, VARIANT* Child) override;
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT Child) override;
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT Child, BSTR Name) override;
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT Child, BSTR Value) override;

private:
  ~TAccessibleObject() = default;
  // The element VARIANT Child names, with the HRESULT that says why there is none.
  HRESULT Find(const VARIANT& Child, const TAccessibleElement*& Element) const;

  LONG FReferences = 1;
  TAccessibleTree* FTree;
};

}  // namespace vlm
