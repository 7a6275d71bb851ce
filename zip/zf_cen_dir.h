// zip/zf_cen_dir.h -- TZFCenDir: the worker's view of the current archive's directory. It lists
// the visible entries (directory-only entries hidden unless UseDirOnlyEntries), rebuilds itself
// whenever the archive object changes or finishes a load, and hands out TZFCentralEntry handles
// that stay safe to use after a reload: they then answer zero or empty.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "runtime/object.h"
#include "zip/zf_core.h"
#include "zip/zf_dir_entry.h"
#include "zip/zf_zip_file.h"

namespace vlm {

using TZFNewNameEvent = std::function<void(TObject* Sender, int SeqNo)>;

class TZFCenDir {
public:
  TZFCenDir() = default;
  TZFCenDir(const TZFCenDir&) = delete;
  TZFCenDir& operator=(const TZFCenDir&) = delete;
  ~TZFCenDir();

  // Makes Archive (possibly null) the current archive object and rebuilds the view.
  void SetCurrent(std::shared_ptr<TZFZipFile> Archive);
  const std::shared_ptr<TZFZipFile>& Current() const { return FCurrent; }

  int Count() const { return fCount; }
  int DirOnlyCnt() const { return fDirOnlyCount; }
  // The entry at view index Index, or null for an index outside 0..Count-1.
  std::shared_ptr<TZFDirEntry> Items(int Index) const;
  // The view index of the first visible entry named Name (without regard to case), or -1.
  int IndexOf(StringView Name) const;
  // From view index Index + 1 on, the next entry whose name matches Pattern without regard to case
  // ("*" any run, "?" any one character); its index is stored in Index. False when none is left.
  bool Find(StringView Pattern, int& Index) const;
  uint32_t LoadNumber() const { return FLoadNumber; }

  bool IgnoreDirOnly() const { return fIgnoreDirOnly; }
  void SetIgnoreDirOnly(bool Value);

  auto begin() const { return FItems.begin(); }
  auto end() const { return FItems.end(); }

  TObject* Sender = nullptr;  // passed to the events; not owned
  TZFNotifyEvent OnDirUpdate;
  TZFNewNameEvent OnNewName;

private:
  void Changed(TZFDirChange Change);
  void Rebuild();

  std::shared_ptr<TZFZipFile> FCurrent;
  std::vector<std::shared_ptr<TZFCentralEntry>> FItems;
  int fCount = 0;
  int fDirOnlyCount = 0;
  bool fIgnoreDirOnly = true;
  uint32_t FLoadNumber = 0;
};

}  // namespace vlm
