// zip/engine/entry_data.h -- one entry's data from the archive to its file: the source that reads
// (and decrypts) the compressed bytes, the decoders for methods 0, 8 and 9, and the one output
// writer, which enforces the declared size, computes the CRC-32 and reports progress.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "zip/engine/inflater.h"
#include "zip/engine/zip_crypto.h"

namespace vlm::zipengine {

class TArchiveReader;
class TCallbackChannel;
class TNewFile;

// The compressed bytes of one entry: exactly Size bytes from Start, decrypted when a decrypter is
// given (already past the encryption header). Reading stops early only at the end of the file,
// which sets CutShort.
class TEntrySource : public TByteSource {
public:
  TEntrySource(TArchiveReader& Reader, uint64_t Start, uint64_t Size,
               std::optional<TZipDecrypter> Decrypter);
  size_t Read(uint8_t* Buffer, size_t Capacity) override;
  bool CutShort() const { return FCutShort; }

private:
  TArchiveReader& FReader;
  uint64_t FPos;
  uint64_t FLeft;
  std::optional<TZipDecrypter> FDecrypter;
  bool FCutShort = false;
};

// The only writer of entry data. Never writes more than the declared size: output beyond it is
// refused (Oversize) and decoding stops there, so a small archive cannot fill the disk with a
// "bomb". Each accepted block goes to the file (none in test mode), into the CRC-32, and to the
// front end as a progress report (action 2) with the block's size.
class TOutputWriter : public TByteSink {
public:
  // File may be null (testing the archive: nothing is written).
  TOutputWriter(TNewFile* File, uint64_t DeclaredSize, TCallbackChannel& Callbacks);
  bool Put(const uint8_t* Data, size_t Size) override;

  uint64_t Written() const { return FWritten; }
  uint32_t Crc32() const { return FCrc; }
  bool Oversize() const { return FOversize; }
  bool WriteFailed() const { return FWriteFailed; }

private:
  TNewFile* FFile;
  uint64_t FDeclaredSize;  // from the archive, untrusted: the cap
  TCallbackChannel& FCallbacks;
  uint64_t FWritten = 0;
  uint32_t FCrc = 0;
  bool FOversize = false;
  bool FWriteFailed = false;
};

enum class TDecodeResult { Done, DataError, InputEnded, Stopped };

// The archive is read in blocks of up to this size, and output goes to the file (and to the front
// end as one progress report) in blocks of up to this size: few system calls, and zlib copies its
// 32 KiB window after each block, so larger blocks also mean less copying.
inline constexpr size_t kDecodeBlockSize = 256 * 1024;

// Decodes entries' data by method (0 stored, 8 Deflate through zlib, 9 Deflate64). One decoder
// serves a whole extraction: its buffers and zlib's state are made on first use and reset, not
// made again, for each entry.
class TEntryDecoder {
public:
  TEntryDecoder();
  ~TEntryDecoder();
  TEntryDecoder(const TEntryDecoder&) = delete;
  TEntryDecoder& operator=(const TEntryDecoder&) = delete;

  // Decodes one entry's data; the caller has checked that the method is one of the three. Out
  // receives blocks of at most kDecodeBlockSize bytes, decoded into Out.OutputBuffer when it
  // offers one (the blocks and the calls of Put are the same either way).
  TDecodeResult Decode(uint16_t Method, TByteSource& In, TByteSink& Out);

private:
  TDecodeResult CopyStored(TByteSource& In, TByteSink& Out);
  TDecodeResult InflateWithZlib(TByteSource& In, TByteSink& Out);

  struct TZlib;
  std::unique_ptr<TZlib> FZlib;  // zlib's state, made for the first Deflate entry
  std::vector<uint8_t> FInput, FOutput;
};

}  // namespace vlm::zipengine
