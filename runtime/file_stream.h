// runtime/file_stream.h -- a stream over an operating-system file that it opens and closes.
// Opening failures raise the file layer's errors with the expanded name and the platform's reason:
// "Cannot create file "%s". %s" for fmCreate, "Cannot open file "%s". %s" otherwise.
#pragma once

#include <cstdint>

#include "runtime/stream.h"
#include "runtime/string.h"

namespace vlm {

// Open modes, combinable with one share mode by "|".
inline constexpr uint16_t fmCreate = 0xFF00;  // create, or truncate an existing file; read/write
inline constexpr uint16_t fmOpenRead = 0x0000;
inline constexpr uint16_t fmOpenWrite = 0x0001;
inline constexpr uint16_t fmOpenReadWrite = 0x0002;
inline constexpr uint16_t fmShareExclusive = 0x0010;
inline constexpr uint16_t fmShareDenyWrite = 0x0020;
inline constexpr uint16_t fmShareDenyNone = 0x0040;

class TFileStream : public TStream {
public:
  TFileStream(const String& FileName, uint16_t Mode);
  ~TFileStream() override;
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;

  int64_t Read(void* Buffer, int64_t Count) override;
  int64_t Write(const void* Buffer, int64_t Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  void SetSize(int64_t NewSize) override;

  const String& FileName() const { return FFileName; }

private:
  String FFileName;
  intptr_t FHandle;  // HANDLE on Windows, file descriptor on POSIX; owned
};

}  // namespace vlm
