// runtime/memory_stream.h -- a stream over a growable block of memory that it owns.
// Downloads are received whole into one, in place, and then saved to a file.
// The block (the capacity) can be larger than the content (the size): writes grow it
// geometrically, at most kMaxGrowthStep at a time, and only the bytes that become content are
// touched, so a large body is neither zero-filled first nor copied on every growth.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "runtime/memory_block.h"
#include "runtime/stream.h"
#include "runtime/string.h"

namespace vlm {

class TMemoryStream : public TStream {
public:
  // The most one growth of a write adds beyond what it needs.
  static constexpr int64_t kMaxGrowthStep = 64 * 1024 * 1024;

  int64_t Read(void* Buffer, int64_t Count) override;
  int64_t Write(const void* Buffer, int64_t Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  void SetSize(int64_t NewSize) override;  // new bytes are zero
  int64_t Size() override { return FSize; }

  // The bytes the block holds without growing. SetCapacity never goes below the size; growing
  // it does not change the content. EOutOfMemory when the memory cannot be had.
  int64_t Capacity() const { return static_cast<int64_t>(FBlock.Capacity()); }
  void SetCapacity(int64_t NewCapacity);
  // Makes the capacity hold at least End bytes, growing as a write does (GrownCapacity).
  void Reserve(int64_t End);
  // The capacity a growth from Current to hold End bytes chooses: End, or Current plus a step
  // when that is more; the step is Current (at least 256 bytes), at most kMaxGrowthStep.
  static int64_t GrownCapacity(int64_t Current, int64_t End);

  // Writing in place, for a producer that fills memory itself (a socket receive): BeginWrite
  // makes room for Count bytes at the position (growing as Write does, and zero-filling a gap
  // between the end and the position) and returns where they go; CommitWrite(Done), with Done
  // at most that Count, makes the first Done of them content and moves the position past them.
  uint8_t* BeginWrite(int64_t Count);
  void CommitWrite(int64_t Done);

  // The stream's bytes; valid until the next change of capacity.
  uint8_t* Memory() { return FBlock.Data(); }
  const uint8_t* Memory() const { return FBlock.Data(); }
  std::string_view View() const {
    return {reinterpret_cast<const char*>(FBlock.Data()), static_cast<size_t>(FSize)};
  }

  void Clear();                          // empties the stream and gives its memory back
  void LoadFromStream(TStream& Source);  // replaces the content with the whole of Source
  void SaveToStream(TStream& Target) const;
  // Replaces the content with the file's bytes (EFOpenError when it cannot be opened).
  void LoadFromFile(const String& FileName);
  // Creates or truncates the file and writes the whole content (EFCreateError, EWriteError).
  // With AfterPart the content goes in parts of kLiveSavePart bytes and AfterPart runs after
  // each (a caller that must keep a window answering); the file's bytes are the same.
  static constexpr int64_t kLiveSavePart = 1024 * 1024;
  void SaveToFile(const String& FileName, const std::function<void()>& AfterPart = {}) const;
  // As SaveToFile, for a stream whose content is no longer needed: the content is written in
  // parts and the memory of each written part is given back at once, so the file's cache can
  // reuse those pages and saving needs no second copy's worth of fresh memory. The stream is
  // empty afterwards, also when the save fails.
  void SaveToFileAndClear(const String& FileName);

private:
  // Zero-fills the bytes between the end and the position, which a write there makes content.
  void FillGapBeforePosition();

  TMemoryBlock FBlock;
  int64_t FSize = 0;
  int64_t FPosition = 0;  // may lie beyond the end; a write there zero-fills the gap
};

}  // namespace vlm
