// runtime/stream.cpp -- the shared parts of every stream: size, whole-buffer transfers, copying.
#include "runtime/stream.h"

#include <algorithm>
#include <vector>

#include "runtime/exception.h"

namespace vlm {

int64_t TStream::Size() {
  const int64_t Saved = Seek(0, TSeekOrigin::soCurrent);
  const int64_t End = Seek(0, TSeekOrigin::soEnd);
  Seek(Saved, TSeekOrigin::soBeginning);
  return End;
}

void TStream::ReadBuffer(void* Buffer, int64_t Count) {
  auto* Cursor = static_cast<uint8_t*>(Buffer);
  while (Count > 0) {
    const int64_t Done = Read(Cursor, Count);
    if (Done <= 0) throw EReadError(kSStreamReadError);
    Cursor += Done;
    Count -= Done;
  }
}

void TStream::WriteBuffer(const void* Buffer, int64_t Count) {
  const auto* Cursor = static_cast<const uint8_t*>(Buffer);
  while (Count > 0) {
    const int64_t Done = Write(Cursor, Count);
    if (Done <= 0) throw EWriteError(kSStreamWriteError);
    Cursor += Done;
    Count -= Done;
  }
}

int64_t TStream::CopyFrom(TStream& Source, int64_t Count) {
  if (Count == 0) {
    Source.SetPosition(0);
    Count = Source.Size();
  }
  constexpr int64_t kChunk = 64 * 1024;  // bounded buffer: copying a large file needs no large block
  std::vector<uint8_t> Buffer(static_cast<size_t>(std::min(Count, kChunk)));
  const int64_t Total = Count;
  while (Count > 0) {
    const int64_t Piece = std::min(Count, kChunk);
    Source.ReadBuffer(Buffer.data(), Piece);
    WriteBuffer(Buffer.data(), Piece);
    Count -= Piece;
  }
  return Total;
}

}  // namespace vlm
