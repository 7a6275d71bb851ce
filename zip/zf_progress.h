// zip/zf_progress.h -- the progress report passed to OnProgress: TZFProgressDetails (abstract,
// served by virtual getters) and TProgDetails, the worker's one concrete object, which the engine's
// progress callbacks change (ReportProgress) before each event.
#pragma once

#include <cstdint>

#include "runtime/string.h"

namespace vlm {

// What a progress event reports (the Order property), numbered 0..7.
enum TZFProgressType : uint8_t {
  NewFile,             // an entry begins: ItemName, ItemSize
  ProgressUpdate,      // Delta bytes of the entry were written
  EndOfItem,           // the entry is finished
  EndOfBatch,          // every entry is finished
  TotalFiles2Process,  // TotalCount entries are selected
  TotalSize2Process,   // TotalSize bytes will be written
  NewExtra,            // an extra phase begins (not used by extraction)
  ExtraUpdate          // progress of an extra phase
};

class TZFProgressDetails {
public:
  virtual ~TZFProgressDetails() = default;

  virtual int64_t BytesWritten() const = 0;
  virtual int64_t Delta() const = 0;
  virtual String ItemName() const = 0;
  virtual int32_t ItemNumber() const = 0;
  virtual int64_t ItemPosition() const = 0;
  virtual int64_t ItemSize() const = 0;
  virtual TZFProgressType Order() const = 0;
  virtual bool Stop() const = 0;
  virtual int64_t TotalCount() const = 0;
  virtual int64_t TotalPosition() const = 0;
  virtual int64_t TotalSize() const = 0;
  // A handler sets Stop to end the extraction after the current entry.
  virtual void SetStop(bool Value) = 0;

  // 100 * ItemPosition / ItemSize, truncated, when both are positive; else 0.
  int ItemPerCent() const { return PerCent(ItemPosition(), ItemSize()); }
  // The same for TotalPosition and TotalSize.
  int TotalPerCent() const { return PerCent(TotalPosition(), TotalSize()); }

private:
  static int PerCent(int64_t Position, int64_t Size);
};

class TProgDetails : public TZFProgressDetails {
public:
  int64_t BytesWritten() const override { return fWritten; }
  int64_t Delta() const override { return fDelta; }
  String ItemName() const override { return fItemName; }
  int32_t ItemNumber() const override { return fItemNumber; }
  int64_t ItemPosition() const override { return fItemPosition; }
  int64_t ItemSize() const override { return fItemSize; }
  TZFProgressType Order() const override { return fProgType; }
  bool Stop() const override { return fStop; }
  int64_t TotalCount() const override { return fItemCount; }
  int64_t TotalPosition() const override { return fTotalPosition; }
  int64_t TotalSize() const override { return fTotalSize; }
  void SetStop(bool Value) override { fStop = Value; }

  // Applies one engine progress action (0..7) with its size, text and phase; returns whether an
  // OnProgress event follows.
  bool Apply(int Action, int64_t Size, const String& Text, int Phase);
  void SetBytesWritten(int64_t Value) { fWritten = Value; }

private:
  int64_t fDelta = 0;
  bool fInBatch = false;
  int64_t fItemCount = 0;
  String fItemName;
  int32_t fItemNumber = 0;
  int64_t fItemPosition = 0;
  int64_t fItemSize = 0;
  TZFProgressType fProgType = NewFile;
  bool fStop = false;
  int64_t fTotalPosition = 0;
  int64_t fTotalSize = 0;
  int64_t fWritten = 0;
};

}  // namespace vlm
