// zip/zf_progress.cpp -- the progress details and how the engine's actions change them.
#include "zip/zf_progress.h"

#include <cstdint>

#include "zip/zip_messages.h"

namespace vlm {
namespace {
constexpr int kPhaseBase = 11400;  // phases below 20 name the message 11400 + phase
}

int TZFProgressDetails::PerCent(int64_t Position, int64_t Size) {
  if (Size <= 0 || Position <= 0) return 0;
  // Positions beyond any real file would overflow 100 * Position; they take the slower way.
  if (Position > INT64_MAX / 100)
    return static_cast<int>(static_cast<long double>(Position) * 100 / Size);
  return static_cast<int>((100 * Position) / Size);
}

bool TProgDetails::Apply(int Action, int64_t Size, const String& Text, int Phase) {
  switch (Action) {
    case 1:
      if (Size >= 0) {
        ++fItemNumber;
        fItemName = Text;
        fItemSize = Size;
        fItemPosition = 0;
        fProgType = NewFile;
      } else {
        fProgType = EndOfItem;
      }
      return true;
    case 2:
      fDelta = Size;
      fTotalPosition += Size;
      fItemPosition += Size;
      fProgType = ProgressUpdate;
      return true;
    case 3:
      if (!fInBatch) return false;
      fItemName.clear();
      fItemSize = 0;
      fInBatch = false;
      fProgType = EndOfBatch;
      fStop = false;
      return true;
    case 4:
      fDelta = fItemCount = fItemPosition = fItemSize = fTotalPosition = fTotalSize = fWritten = 0;
      fItemName.clear();
      fItemNumber = 0;
      fStop = false;
      fItemCount = Size;
      fProgType = TotalFiles2Process;
      return true;
    case 5:
      fStop = false;
      fTotalSize = Size;
      fTotalPosition = 0;
      fItemName.clear();
      fItemSize = 0;
      fItemPosition = 0;
      fWritten = 0;
      fInBatch = true;
      fProgType = TotalSize2Process;
      return true;
    case 6:
      fItemName = LoadZipStr(Phase < 20 ? Phase + kPhaseBase : Phase);
      fItemSize = Size;
      fItemPosition = 0;
      fProgType = NewExtra;
      return true;
    case 7:
      fDelta = Size;
      fItemPosition += Size;
      fProgType = ExtraUpdate;
      return true;
    default: return false;
  }
}

}  // namespace vlm
