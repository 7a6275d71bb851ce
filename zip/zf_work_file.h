// zip/zf_work_file.h -- TZFWorkFile: the archive file as the directory reader sees it, a named
// byte source opened for reading through a narrow TStream. By default the name is a file opened
// while others are denied write access; an opener can supply any stream (an archive held in
// memory, a test's hostile bytes).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "runtime/stream.h"
#include "runtime/string.h"

namespace vlm {

// What the file starts with.
enum TZipFileSigs : uint8_t {
  zfsNone,   // anything else
  zfsLocal,  // a local header 0x04034B50
  zfsMulti,  // a spanning marker 0x08074B50 followed by a local header
  zfsDOS,    // "MZ": a program with an archive appended
};

// Opens the named source for reading. Returns nullptr when it does not exist; raises (any
// exception) when it exists but cannot be opened.
using TZFStreamOpener = std::function<std::unique_ptr<TStream>(const String& FileName)>;

// The default opener: a file opened for reading, denying others write access.
std::unique_ptr<TStream> OpenZipFileForReading(const String& FileName);

class TZFWorkFile {
public:
  TZFWorkFile() = default;
  virtual ~TZFWorkFile() = default;
  TZFWorkFile(const TZFWorkFile&) = delete;
  TZFWorkFile& operator=(const TZFWorkFile&) = delete;

  const String& FileName() const { return FFileName; }
  void SetFileName(const String& Name) { FFileName = Name; }
  // Where the bytes come from; empty: OpenZipFileForReading.
  TZFStreamOpener Opener;

  // Opens the source: 0, -11001 when it does not exist, -11002 when it cannot be opened.
  int OpenForReading();
  bool IsOpen() const { return FStream != nullptr; }
  void Close() { FStream.reset(); }

  // Moves to Position from the start; false when the source is closed, the position cannot be
  // represented or the stream refuses it.
  bool SeekTo(uint64_t Position);
  // Reads up to Count bytes at the current position, as many as the source has; returns the
  // count read (short at the end of the source).
  int64_t ReadUpTo(void* Buffer, int64_t Count);
  // The physical size of the open source (-1 when closed).
  int64_t StreamSize();

  int64_t fFile_Size = 0;     // logical size: where the archive ends (before trailing data)
  int64_t fRealFileSize = 0;  // physical size
  int64_t fBytesRead = 0;
  TZipFileSigs fSig = zfsNone;

private:
  String FFileName;
  std::unique_ptr<TStream> FStream;
};

}  // namespace vlm
