// zip/zf_cen_dir.cpp -- the directory view over the current archive object.
#include "zip/zf_cen_dir.h"

#include "runtime/upper_case.h"

namespace vlm {
namespace {

// Wildcard match of Name against Pattern, both already upper-cased: "*" any run, "?" one unit.
// Iterative with one back-track point, so hostile patterns cost at most |Pattern| x |Name|.
bool WildMatch(StringView Pattern, StringView Name) {
  size_t S = 0, N = 0, StarS = StringView::npos, StarN = 0;
  while (N < Name.size()) {
    if (S < Pattern.size() && (Pattern[S] == u'?' || Pattern[S] == Name[N])) {
      ++S, ++N;
    } else if (S < Pattern.size() && Pattern[S] == u'*') {
      StarS = S++, StarN = N;
    } else if (StarS != StringView::npos) {
      S = StarS + 1, N = ++StarN;
    } else {
      return false;
    }
  }
  while (S < Pattern.size() && Pattern[S] == u'*') ++S;
  return S == Pattern.size();
}

}  // namespace

TZFCenDir::~TZFCenDir() {
  if (FCurrent) FCurrent->OnChange = nullptr;
}

void TZFCenDir::SetCurrent(std::shared_ptr<TZFZipFile> Archive) {
  if (FCurrent) FCurrent->OnChange = nullptr;
  FCurrent = std::move(Archive);
  if (FCurrent) {
    FCurrent->FIgnoreDirOnly = fIgnoreDirOnly;
    FCurrent->OnChange = [this](TZFDirChange Change, int64_t) { Changed(Change); };
  }
  Rebuild();
}

void TZFCenDir::Changed(TZFDirChange Change) {
  switch (Change) {
    case TZFDirChange::Begin:
      // The entries are about to be replaced: nothing of the old load stays visible.
      FItems.clear();
      fCount = 0;
      fDirOnlyCount = 0;
      break;
    case TZFDirChange::End: Rebuild(); break;
    case TZFDirChange::Count:
    case TZFDirChange::Add: break;  // the view is built once the load has ended
  }
}

void TZFCenDir::Rebuild() {
  ++FLoadNumber;
  FItems.clear();
  fCount = 0;
  fDirOnlyCount = 0;
  if (FCurrent) {
    const uint32_t CheckNo = FCurrent->CheckNo();
    const std::weak_ptr<const TZFZipFile> Weak = FCurrent;
    for (int Index = 0; Index < FCurrent->Count(); ++Index) {
      if (FCurrent->Entry(Index).IsDirOnly()) {
        ++fDirOnlyCount;
        if (fIgnoreDirOnly) continue;
      }
      FItems.push_back(std::make_shared<TZFCentralEntry>(Weak, CheckNo, Index));
      fCount = static_cast<int>(FItems.size());
      if (OnNewName) OnNewName(Sender, fCount - 1);
    }
  }
  if (OnDirUpdate) OnDirUpdate(Sender);
}

std::shared_ptr<TZFDirEntry> TZFCenDir::Items(int Index) const {
  if (Index < 0 || Index >= fCount) return nullptr;
  return FItems[static_cast<size_t>(Index)];
}

int TZFCenDir::IndexOf(StringView Name) const {
  if (!FCurrent) return -1;
  const TZFIRec* Found = FCurrent->FindName(Name);
  if (Found == nullptr) return -1;
  for (int Index = 0; Index < fCount; ++Index) {
    if (&FCurrent->Entry(FItems[static_cast<size_t>(Index)]->EntryIndex()) == Found) return Index;
  }
  // The first entry of that name is hidden (directory-only by its raw name, while its decoded
  // name, from a Unicode path field say, has no "/"): the first visible entry of the name.
  const String Wanted = UpperCase(Name);
  for (int Index = 0; Index < fCount; ++Index) {
    if (UpperCase(FItems[static_cast<size_t>(Index)]->FileName()) == Wanted) return Index;
  }
  return -1;
}

bool TZFCenDir::Find(StringView Pattern, int& Index) const {
  const String Wanted = UpperCase(Pattern);
  for (int I = Index < 0 ? 0 : Index + 1; I < fCount; ++I) {
    if (WildMatch(Wanted, UpperCase(FItems[static_cast<size_t>(I)]->FileName()))) {
      Index = I;
      return true;
    }
  }
  return false;
}

void TZFCenDir::SetIgnoreDirOnly(bool Value) {
  if (Value == fIgnoreDirOnly) return;
  fIgnoreDirOnly = Value;
  if (FCurrent) FCurrent->FIgnoreDirOnly = Value;
  Rebuild();
}

}  // namespace vlm
