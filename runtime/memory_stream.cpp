// runtime/memory_stream.cpp -- the in-memory stream.
#include "runtime/memory_stream.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "runtime/exception.h"
#include "runtime/file_stream.h"

namespace vlm {

namespace {

// The smallest block a write allocates, so that many tiny writes do not reallocate each time.
constexpr int64_t kMinCapacity = 256;
// The part SaveToFileAndClear writes before it gives the part's memory back.
constexpr int64_t kSavePart = 4 * 1024 * 1024;

// Empties a stream on every way out of SaveToFileAndClear.
class ClearOnExit {
public:
  explicit ClearOnExit(TMemoryStream& AStream) : FStream(AStream) {}
  ~ClearOnExit() { FStream.Clear(); }

private:
  TMemoryStream& FStream;
};

}  // namespace

int64_t TMemoryStream::Read(void* Buffer, int64_t Count) {
  const int64_t Available = FSize - FPosition;
  if (Count <= 0 || Available <= 0) return 0;
  const int64_t Done = Count < Available ? Count : Available;
  std::memcpy(Buffer, FBlock.Data() + FPosition, static_cast<size_t>(Done));
  FPosition += Done;
  return Done;
}

int64_t TMemoryStream::Write(const void* Buffer, int64_t Count) {
  if (Count <= 0) return 0;
  std::memcpy(BeginWrite(Count), Buffer, static_cast<size_t>(Count));
  CommitWrite(Count);
  return Count;
}

uint8_t* TMemoryStream::BeginWrite(int64_t Count) {
  if (Count < 0) Count = 0;
  if (Count > std::numeric_limits<int64_t>::max() - FPosition)
    throw EOutOfMemory(u"Out of memory while expanding memory stream");
  Reserve(FPosition + Count);
  FillGapBeforePosition();
  return FBlock.Data() + FPosition;
}

void TMemoryStream::CommitWrite(int64_t Done) {
  if (Done <= 0) return;
  FPosition += Done;
  if (FPosition > FSize) FSize = FPosition;
}

int64_t TMemoryStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  int64_t Base = 0;
  if (Origin == TSeekOrigin::soCurrent) Base = FPosition;
  if (Origin == TSeekOrigin::soEnd) Base = FSize;
  const int64_t Target = Base + Offset;
  if (Target >= 0) FPosition = Target;  // a position before the start is refused; the old one stays
  return FPosition;
}

void TMemoryStream::SetSize(int64_t NewSize) {
  if (NewSize < 0) NewSize = 0;
  Reserve(NewSize);
  if (NewSize > FSize) std::memset(FBlock.Data() + FSize, 0, static_cast<size_t>(NewSize - FSize));
  FSize = NewSize;
  if (FPosition > NewSize) FPosition = NewSize;
}

void TMemoryStream::SetCapacity(int64_t NewCapacity) {
  NewCapacity = std::max(NewCapacity, FSize);
  if (static_cast<uint64_t>(NewCapacity) > std::numeric_limits<size_t>::max() ||
      !FBlock.Resize(static_cast<size_t>(NewCapacity)))
    throw EOutOfMemory(u"Out of memory while expanding memory stream");
}

void TMemoryStream::Reserve(int64_t End) {
  if (End > Capacity()) SetCapacity(GrownCapacity(Capacity(), End));
}

int64_t TMemoryStream::GrownCapacity(int64_t Current, int64_t End) {
  if (End <= Current) return Current;
  const int64_t Step = std::min(std::max(Current, kMinCapacity), kMaxGrowthStep);
  const int64_t Grown =
      Current <= std::numeric_limits<int64_t>::max() - Step ? Current + Step : End;
  return std::max(End, Grown);
}

void TMemoryStream::FillGapBeforePosition() {
  if (FPosition <= FSize) return;
  std::memset(FBlock.Data() + FSize, 0, static_cast<size_t>(FPosition - FSize));
}

void TMemoryStream::Clear() {
  FBlock.Release();
  FSize = 0;
  FPosition = 0;
}

void TMemoryStream::LoadFromStream(TStream& Source) {
  Source.SetPosition(0);
  const int64_t Count = Source.Size();
  FSize = 0;
  FPosition = 0;
  SetCapacity(Count);
  // Read straight into the block; the bytes become content only once all of them arrived.
  if (Count != 0) Source.ReadBuffer(FBlock.Data(), Count);
  FSize = Count;
}

void TMemoryStream::SaveToStream(TStream& Target) const {
  if (FSize != 0) Target.WriteBuffer(FBlock.Data(), FSize);
}

void TMemoryStream::LoadFromFile(const String& FileName) {
  TFileStream File(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(File);
}

void TMemoryStream::SaveToFile(const String& FileName,
                               const std::function<void()>& AfterPart) const {
  TFileStream File(FileName, fmCreate);
  if (!AfterPart) return SaveToStream(File);
  for (int64_t Done = 0; Done < FSize;) {
    const int64_t Part = std::min(kLiveSavePart, FSize - Done);
    File.WriteBuffer(FBlock.Data() + Done, Part);
    Done += Part;
    AfterPart();
  }
}

void TMemoryStream::SaveToFileAndClear(const String& FileName) {
  ClearOnExit Clear(*this);
  TFileStream File(FileName, fmCreate);
  for (int64_t Done = 0; Done < FSize;) {
    const int64_t Part = std::min(kSavePart, FSize - Done);
    File.WriteBuffer(FBlock.Data() + Done, Part);
    FBlock.Discard(static_cast<size_t>(Done), static_cast<size_t>(Part));
    Done += Part;
  }
}

}  // namespace vlm
