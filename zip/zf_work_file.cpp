// zip/zf_work_file.cpp -- opening and bounded reading of the archive file.
#include "zip/zf_work_file.h"

#include <limits>

#include "runtime/file_stream.h"
#include "runtime/file_system.h"
#include "zip/zip_messages.h"

namespace vlm {

std::unique_ptr<TStream> OpenZipFileForReading(const String& FileName) {
  if (!FileExists(FileName)) return nullptr;
  return std::make_unique<TFileStream>(FileName, fmOpenRead | fmShareDenyWrite);
}

int TZFWorkFile::OpenForReading() {
  Close();
  try {
    FStream = Opener ? Opener(FFileName) : OpenZipFileForReading(FFileName);
  } catch (const std::exception&) {
    return -kZipMsgCannotOpen;  // exists, but cannot be opened (locked, no permission)
  }
  if (!FStream) return -kZipMsgInputNotExist;
  fBytesRead = 0;
  return 0;
}

bool TZFWorkFile::SeekTo(uint64_t Position) {
  if (!FStream) return false;
  if (Position > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())) return false;
  const auto Target = static_cast<int64_t>(Position);
  try {
    return FStream->Seek(Target, TSeekOrigin::soBeginning) == Target;
  } catch (const std::exception&) {
    return false;
  }
}

int64_t TZFWorkFile::ReadUpTo(void* Buffer, int64_t Count) {
  if (!FStream || Count <= 0) return 0;
  auto* Out = static_cast<uint8_t*>(Buffer);
  int64_t Done = 0;
  try {
    // A stream may deliver less than asked before its end; read on until it delivers nothing.
    while (Done < Count) {
      const int64_t Got = FStream->Read(Out + Done, Count - Done);
      if (Got <= 0) break;
      Done += Got;
    }
  } catch (const std::exception&) {
    // A read error counts as the end of the data; the caller sees a short read.
  }
  fBytesRead += Done;
  return Done;
}

int64_t TZFWorkFile::StreamSize() {
  if (!FStream) return -1;
  try {
    return FStream->Size();
  } catch (const std::exception&) {
    return -1;
  }
}

}  // namespace vlm
