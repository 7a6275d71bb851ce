// runtime/memory_stream.h -- a stream over a growable block of memory that it owns.
// Downloads are received whole into one, and saved to a file in one write.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "runtime/stream.h"
#include "runtime/string.h"

namespace vlm {

class TMemoryStream : public TStream {
public:
  int64_t Read(void* Buffer, int64_t Count) override;
  int64_t Write(const void* Buffer, int64_t Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  void SetSize(int64_t NewSize) override;  // new bytes are zero
  int64_t Size() override { return static_cast<int64_t>(FData.size()); }

  // The stream's bytes; valid until the next change of size.
  uint8_t* Memory() { return FData.data(); }
  const uint8_t* Memory() const { return FData.data(); }
  std::string_view View() const { return {reinterpret_cast<const char*>(FData.data()), FData.size()}; }

  void Clear();
  void LoadFromStream(TStream& Source);  // replaces the content with the whole of Source
  void SaveToStream(TStream& Target) const;
  // Replaces the content with the file's bytes (EFOpenError when it cannot be opened).
  void LoadFromFile(const String& FileName);
  // Creates or truncates the file and writes the whole content (EFCreateError, EWriteError).
  void SaveToFile(const String& FileName) const;

private:
  std::vector<uint8_t> FData;
  int64_t FPosition = 0;  // may lie beyond the end; a write there zero-fills the gap
};

}  // namespace vlm
