// http/net_component.cpp -- work counting and status events of the HTTP components.
#include "http/net_component.h"

#include "http/net_stack.h"

namespace vlm {

TNetComponent::TNetComponent() {
  TNetStack::Acquire();
}

TNetComponent::~TNetComponent() {
  TNetStack::Release();
}

void TNetComponent::BeginWork(TWorkMode AWorkMode, int64_t ASize) {
  if (FWorkTarget != nullptr) return FWorkTarget->BeginWork(AWorkMode, ASize);
  TWorkCounter& C = Counter(AWorkMode);
  if (++C.Level != 1) return;
  C.Max = ASize;
  C.Count = 0;
  if (OnWorkBegin) OnWorkBegin(*this, AWorkMode, ASize);
}

void TNetComponent::DoWork(TWorkMode AWorkMode, int64_t ACount) {
  if (FWorkTarget != nullptr) return FWorkTarget->DoWork(AWorkMode, ACount);
  TWorkCounter& C = Counter(AWorkMode);
  if (C.Level == 0) return;
  C.Count += ACount;
  if (OnWork) OnWork(*this, AWorkMode, C.Count);
}

void TNetComponent::EndWork(TWorkMode AWorkMode) {
  if (FWorkTarget != nullptr) return FWorkTarget->EndWork(AWorkMode);
  TWorkCounter& C = Counter(AWorkMode);
  if (C.Level == 0) return;  // an unmatched end must not drive the level negative
  if (C.Level == 1 && OnWorkEnd) {
    C.Level = 0;  // lowered first, so a throwing handler cannot leave the work open
    OnWorkEnd(*this, AWorkMode);
    return;
  }
  --C.Level;
}

void TNetComponent::DoStatus(TNetStatus AStatus, const String& AText) {
  if (OnStatus) OnStatus(*this, AStatus, AText);
}

}  // namespace vlm
