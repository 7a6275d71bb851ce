// zip/zf_zip_file.h -- TZFZipFile: one loaded archive. Opening finds the end records (TZFEOC) and
// loads the whole central directory into TZFIRec entries, in file order, with a name index. The
// file is read through TZFWorkFile's stream only while loading. Reports and cancellation go
// through the worker (TZFCore) that owns the archive.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "zip/zf_dir_entry.h"
#include "zip/zf_dir_hash_list.h"
#include "zip/zf_eoc.h"

namespace vlm {

class TZFCore;

// What the archive tells its view while loading.
enum class TZFDirChange { Begin, Count, Add, End };
using TZFDirChangeEvent = std::function<void(TZFDirChange Change, int64_t Value)>;

class TZFZipFile : public TZFEOC {
public:
  // Worker receives the reports (ShowZipMessage) and runs KeepAlive; it must outlive the archive.
  explicit TZFZipFile(TZFCore& Worker);

  // Opens the file and, when Load is set, loads the central directory. Returns the non-negative
  // FindEOC flags, or -11001 when the file does not exist and -11036 for any other failure to
  // find a valid end record. Reports 11022 (trailing data) and 10203 (central directory not
  // where stated) without a box. Loading failures raise EZipFront (see LoadCentral).
  int Open(bool Load);

  // Reads every central entry. Only when not yet loaded. Raises EZipFront with 10201 (seek
  // failure), 11013, 11015, 11017, 11022, 11052 for a bad entry, or the cancel code's message.
  // On failure the archive forgets its name and entries, fSFXOfs becomes 0 and the file closes.
  void LoadCentral();
  bool IsLoaded() const { return FLoaded; }

  int Count() const { return static_cast<int>(fEntries.size()); }
  const TZFIRec& Entry(int Index) const { return *fEntries.at(static_cast<size_t>(Index)); }
  // The first entry named Name (without regard to case), or nullptr.
  const TZFIRec* FindName(StringView Name) const { return fHashList.Find(Name); }

  uint32_t CheckNo() const { return fCheckNo; }
  uint64_t SFXOfs() const { return fSFXOfs; }
  int OpenRet() const { return fOpenRet; }
  const TZFEncodingSettings& Encoding() const { return FEncoding; }
  void SetEncoding(const TZFEncodingSettings& Value) { FEncoding = Value; }

  TZFDirChangeEvent OnChange;  // the view's notification
  bool FIgnoreDirOnly = true;

private:
  void Notify(TZFDirChange Change, int64_t Value) {
    if (OnChange) OnChange(Change, Value);
  }
  void ReadEntries(int64_t Position);

  TZFCore& FWorker;
  std::vector<std::unique_ptr<TZFIRec>> fEntries;
  TZFDirHashList fHashList;
  uint64_t fSFXOfs = 0;  // the lowest local-header offset: data in front of the archive
  TZFEncodingSettings FEncoding;
  uint32_t fCheckNo = 0;
  int fOpenRet = 0;
  bool FLoaded = false;
};

}  // namespace vlm
