// runtime/memory_stream.cpp -- the in-memory stream.
#include "runtime/memory_stream.h"

#include <cstring>
#include <new>
#include <stdexcept>

#include "runtime/exception.h"
#include "runtime/file_stream.h"

namespace vlm {

int64_t TMemoryStream::Read(void* Buffer, int64_t Count) {
  const int64_t Available = Size() - FPosition;
  if (Count <= 0 || Available <= 0) return 0;
  const int64_t Done = Count < Available ? Count : Available;
  std::memcpy(Buffer, FData.data() + FPosition, static_cast<size_t>(Done));
  FPosition += Done;
  return Done;
}

int64_t TMemoryStream::Write(const void* Buffer, int64_t Count) {
  if (Count <= 0) return 0;
  const int64_t End = FPosition + Count;
  if (End > Size()) SetSize(End);
  std::memcpy(FData.data() + FPosition, Buffer, static_cast<size_t>(Count));
  FPosition = End;
  return Count;
}

int64_t TMemoryStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  int64_t Base = 0;
  if (Origin == TSeekOrigin::soCurrent) Base = FPosition;
  if (Origin == TSeekOrigin::soEnd) Base = Size();
  const int64_t Target = Base + Offset;
  if (Target >= 0) FPosition = Target;  // a position before the start is refused; the old one stays
  return FPosition;
}

void TMemoryStream::SetSize(int64_t NewSize) {
  if (NewSize < 0) NewSize = 0;
  try {
    FData.resize(static_cast<size_t>(NewSize), 0);
  } catch (const std::bad_alloc&) {
    throw EOutOfMemory(u"Out of memory while expanding memory stream");
  } catch (const std::length_error&) {
    throw EOutOfMemory(u"Out of memory while expanding memory stream");
  }
  if (FPosition > NewSize) FPosition = NewSize;
}

void TMemoryStream::Clear() {
  FData.clear();
  FData.shrink_to_fit();
  FPosition = 0;
}

void TMemoryStream::LoadFromStream(TStream& Source) {
  Source.SetPosition(0);
  const int64_t Count = Source.Size();
  SetSize(Count);
  FPosition = 0;
  if (Count != 0) Source.ReadBuffer(FData.data(), Count);
}

void TMemoryStream::SaveToStream(TStream& Target) const {
  if (!FData.empty()) Target.WriteBuffer(FData.data(), static_cast<int64_t>(FData.size()));
}

void TMemoryStream::LoadFromFile(const String& FileName) {
  TFileStream File(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(File);
}

void TMemoryStream::SaveToFile(const String& FileName) const {
  TFileStream File(FileName, fmCreate);
  SaveToStream(File);
}

}  // namespace vlm
