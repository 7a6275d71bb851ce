// http/net_buffer.cpp -- the byte queue.
#include "http/net_buffer.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "http/net_socket_exceptions.h"

namespace vlm {

namespace {

String Decimal(int64_t Value) {
  const std::string Text = std::to_string(Value);
  return String(Text.begin(), Text.end());
}

}  // namespace

TNetBuffer::TNetBuffer(TRemovedEvent OnBytesRemoved, int AGrowthFactor)
    : FGrowthFactor(AGrowthFactor), FOnBytesRemoved(std::move(OnBytesRemoved)) {}

void TNetBuffer::Write(std::string_view Bytes) {
  if (Bytes.empty()) return;
  // Compare by subtraction: FSize + Bytes.size() could wrap.
  if (Bytes.size() > static_cast<uint64_t>(kMaxSize - FSize))
    throw ENetTooMuchDataInBuffer(kRSTooMuchDataInBuffer);
  const int Count = static_cast<int>(Bytes.size());
  if (FSize == 0) {
    Reallocate(Count);
    FHeadIndex = 0;
  } else {
    MoveToFront();
    if (FLength - FSize < Count) {
      const int64_t Wanted = static_cast<int64_t>(FSize) + Count + FGrowthFactor;
      Reallocate(static_cast<int>(std::min<int64_t>(Wanted, kMaxSize)));
    }
  }
  std::memcpy(FBytes.get() + FHeadIndex + FSize, Bytes.data(), Bytes.size());
  FSize += Count;
}

std::string TNetBuffer::ExtractToBytes(int Count) {
  if (Count < 0) Count = FSize;
  CheckAvailable(Count);
  std::string Result(reinterpret_cast<const char*>(FBytes.get()) + FHeadIndex,
                     static_cast<size_t>(Count));
  Consume(Count);
  return Result;
}

void TNetBuffer::ExtractToStream(TStream& AStream, int Count) {
  if (Count < 0) Count = FSize;
  CheckAvailable(Count);
  if (Count > 0) AStream.WriteBuffer(FBytes.get() + FHeadIndex, Count);
  Consume(Count);
}

void TNetBuffer::Remove(int Count) {
  CheckAvailable(Count);
  Consume(Count);
}

void TNetBuffer::Clear() {
  FBytes.reset();
  FLength = 0;
  FHeadIndex = 0;
  FSize = 0;
}

int TNetBuffer::IndexOf(std::string_view Bytes, int StartPos) const {
  if (StartPos < 0) StartPos = 0;
  if (Bytes.empty() || StartPos >= FSize) return -1;
  const size_t Found = View().find(Bytes, static_cast<size_t>(StartPos));
  return Found == std::string_view::npos ? -1 : static_cast<int>(Found);
}

void TNetBuffer::CheckAvailable(int Count) const {
  if (Count >= 0 && Count <= FSize) return;
  throw ENetNotEnoughDataInBuffer(u"Not enough data in buffer. (" + Decimal(Count) + u"/" +
                                  Decimal(FSize) + u")");
}

void TNetBuffer::Consume(int Count) {
  if (Count == 0) return;
  FHeadIndex += Count;
  FSize -= Count;
  if (FSize == 0) {
    Clear();
  } else if (FHeadIndex > FGrowthFactor) {
    MoveToFront();
    if (FLength - FSize > FGrowthFactor) Reallocate(FSize + FGrowthFactor);
  }
  if (FOnBytesRemoved) FOnBytesRemoved(Count);
}

void TNetBuffer::MoveToFront() {
  if (FHeadIndex == 0) return;
  std::memmove(FBytes.get(), FBytes.get() + FHeadIndex, static_cast<size_t>(FSize));
  FHeadIndex = 0;
}

void TNetBuffer::Reallocate(int NewLength) {
  // Only called with the content at the front (or with no content).
  auto Bytes = std::make_unique_for_overwrite<uint8_t[]>(static_cast<size_t>(NewLength));
  if (FSize > 0) std::memcpy(Bytes.get(), FBytes.get() + FHeadIndex, static_cast<size_t>(FSize));
  FBytes = std::move(Bytes);
  FLength = NewLength;
  FHeadIndex = 0;
}

}  // namespace vlm
