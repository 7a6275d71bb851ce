// zip/zf_zip_file.cpp -- opening an archive and loading its central directory.
#include "zip/zf_zip_file.h"

#include <algorithm>
#include <atomic>
#include <limits>

#include "zip/zf_core.h"
#include "zip/zf_exception.h"
#include "zip/zip_bytes.h"
#include "zip/zip_messages.h"

namespace vlm {
namespace {

constexpr uint32_t kCentralSignature = 0x02014B50;
constexpr int64_t kEndRecordSize = 22;
constexpr uint64_t kCentralHeaderSize = 46;

// Check numbers are unique in the process, so that a view's handle never matches a later
// archive object or a later load of the same one.
uint32_t NextCheckNo() {
  static std::atomic<uint32_t> Counter{0};
  uint32_t Value = ++Counter;
  if (Value == 0) Value = ++Counter;  // 0 stays "never loaded"
  return Value;
}

}  // namespace

TZFZipFile::TZFZipFile(TZFCore& Worker) : FWorker(Worker) {}

int TZFZipFile::Open(bool Load) {
  const int Opened = OpenForReading();
  if (Opened == -kZipMsgInputNotExist) return fOpenRet = Opened;
  // A single-file archive that exists but cannot be opened or holds no valid end record is not
  // an archive for this program (the multi-part search does not apply to it).
  if (Opened < 0) return fOpenRet = -kZipMsgInvalidArchive;
  const int Found = FindEOC();
  if (Found < 0) return fOpenRet = -kZipMsgInvalidArchive;
  fOpenRet = Found;
  if ((Found & kEOCTrailingData) != 0) FWorker.ShowZipMessage(kZipMsgReadComment);
  if ((Found & kEOCOffsetMismatch) != 0) FWorker.ShowZipMessage(kZipMsgStructureWarning);
  if (Load) LoadCentral();
  return Found;
}

void TZFZipFile::LoadCentral() {
  if (FLoaded) return;
  fEntries.clear();
  fHashList.Clear();
  fCheckNo = NextCheckNo();
  Notify(TZFDirChange::Begin, 0);
  try {
    // Where the directory should be: just before the end record and comment, unless the archive
    // is Zip64 or the directory starts on another part (then only the stored offset can say).
    const bool OnThisPart = fCentralDiskNo == fDiskNr;
    int64_t Computed = -1;  // -1: no position
    if (!fZ64 && OnThisPart) {
      // fCentralSize has 32 bits here, so the sum cannot overflow.
      Computed = fFile_Size - (static_cast<int64_t>(FZipComment.size()) +
                               static_cast<int64_t>(fCentralSize) + kEndRecordSize);
    } else if (fCentralOffset <= static_cast<uint64_t>(std::numeric_limits<int64_t>::max())) {
      Computed = static_cast<int64_t>(fCentralOffset);
    }
    fSFXOfs = (Computed >= 0 && Computed <= 0xFFFFFFFF) ? static_cast<uint64_t>(Computed) : 0;
    if (fRealFileSize == kEndRecordSize) fSFXOfs = 0;

    int64_t Used = Computed;
    if (Computed < 0 || static_cast<uint64_t>(Computed) != fCentralOffset) {
      FWorker.ShowZipMessage(kZipMsgStructureWarning);
      if (!SeekTo(fCentralOffset)) throw EZipFront::CreateResDisp(kZipMsgSeekError, true);
      uint8_t Signature[4];
      if (ReadUpTo(Signature, 4) != 4) throw EZipFront::CreateResDisp(kZipMsgReadCentral, true);
      if (GetU32LE(Signature) == kCentralSignature) Used = static_cast<int64_t>(fCentralOffset);
    }
    // A directory cannot start beyond the end of the file, even an empty one: a position there
    // would make every figure derived from it (fSFXOfs, ZipSOC) larger than the archive.
    if (Used < 0 || Used > fRealFileSize || !SeekTo(static_cast<uint64_t>(Used))) {
      throw EZipFront::CreateResDisp(kZipMsgSeekError, true);
    }
    ReadEntries(Used);

    FLoaded = true;
    // Used is where the entries were found: it corrects the start of the archive data when the
    // stored offset won over the computed one. Never below 0: data in front cannot be negative.
    if (Computed >= 0 && Used != Computed) {
      // fSFXOfs is at most 2^32 here and both positions lie inside the file.
      fSFXOfs = static_cast<uint64_t>(
          std::max<int64_t>(0, static_cast<int64_t>(fSFXOfs) + (Used - Computed)));
    }
    fCentralOffset = static_cast<uint64_t>(Used);
  } catch (...) {
    SetFileName(String());
    fSFXOfs = 0;
    fEntries.clear();
    fHashList.Clear();
    Close();
    Notify(TZFDirChange::End, 0);
    throw;
  }
  Notify(TZFDirChange::End, Count());
}

void TZFZipFile::ReadEntries(int64_t Position) {
  // The declared count is untrusted: reserve no more than the rest of the file could hold.
  const int64_t Size = std::max<int64_t>(fRealFileSize, Position);
  const uint64_t Fitting = static_cast<uint64_t>(Size - Position) / kCentralHeaderSize;
  const uint64_t Expected = std::min(fTotalEntries, Fitting);
  fEntries.reserve(static_cast<size_t>(Expected));
  Notify(TZFDirChange::Count, static_cast<int64_t>(Expected));
  fHashList.Reserve(fTotalEntries);

  // Each pass reads at least 46 bytes or fails, so a hostile count ends at the end of the file.
  for (uint64_t Index = 0; Index < fTotalEntries; ++Index) {
    auto Entry = std::make_unique<TZFIRec>(&FEncoding);
    const int Result = Entry->Read(*this);
    if (Result < 0) throw EZipFront::CreateResDisp(-Result, true);
    if (Result > 0) fZ64 = true;
    fSFXOfs = std::min(fSFXOfs, Entry->RelOffLocalHdr());
    fEntries.push_back(std::move(Entry));
    fHashList.Add(fEntries.back().get());
    Notify(TZFDirChange::Add, static_cast<int64_t>(fEntries.size() - 1));
    FWorker.KeepAlive();
    if (FWorker.CancelCode() != 0) throw EZipFront::CreateResDisp(FWorker.CancelCode(), true);
  }
}

}  // namespace vlm
