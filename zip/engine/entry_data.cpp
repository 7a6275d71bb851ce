// zip/engine/entry_data.cpp -- entry source, output writer and the method decoders.
#include "zip/engine/entry_data.h"

#include <zlib.h>

#include <algorithm>
#include <vector>

#include "zip/engine/archive_reader.h"
#include "zip/engine/callback_channel.h"
#include "zip/engine/engine_files.h"

namespace vlm::zipengine {
namespace {

// The archive is read in 32 KiB blocks; zlib's output goes out in 64 KiB blocks.
constexpr size_t kReadBlock = 32768;
constexpr size_t kOutputBlock = 65536;

TDecodeResult CopyStored(TByteSource& In, TByteSink& Out) {
  std::vector<uint8_t> Buffer(kReadBlock);
  for (;;) {
    const size_t N = In.Read(Buffer.data(), Buffer.size());
    if (N == 0) return TDecodeResult::Done;
    if (!Out.Put(Buffer.data(), N)) return TDecodeResult::Stopped;
  }
}

// Frees zlib's state on every path, exceptions from the sink included.
struct TZStream {
  z_stream Z{};
  bool Ready = false;
  TZStream() { Ready = inflateInit2(&Z, -MAX_WBITS) == Z_OK; }
  ~TZStream() {
    if (Ready) inflateEnd(&Z);
  }
};

TDecodeResult InflateWithZlib(TByteSource& In, TByteSink& Out) {
  TZStream Stream;
  if (!Stream.Ready) throw std::bad_alloc();
  std::vector<uint8_t> Input(kReadBlock), Output(kOutputBlock);
  bool InputDone = false;
  for (;;) {
    if (Stream.Z.avail_in == 0 && !InputDone) {
      const size_t N = In.Read(Input.data(), Input.size());
      InputDone = N == 0;
      Stream.Z.next_in = Input.data();
      Stream.Z.avail_in = static_cast<uInt>(N);
    }
    Stream.Z.next_out = Output.data();
    Stream.Z.avail_out = static_cast<uInt>(Output.size());
    const int Status = inflate(&Stream.Z, Z_NO_FLUSH);
    const size_t Produced = Output.size() - Stream.Z.avail_out;
    if (Produced > 0 && !Out.Put(Output.data(), Produced)) return TDecodeResult::Stopped;
    if (Status == Z_STREAM_END) return TDecodeResult::Done;
    if (Status == Z_DATA_ERROR || Status == Z_NEED_DICT) return TDecodeResult::DataError;
    if (Status == Z_MEM_ERROR) throw std::bad_alloc();
    // No progress possible: out of input before the final block.
    if (Status == Z_BUF_ERROR && InputDone && Stream.Z.avail_in == 0)
      return TDecodeResult::InputEnded;
  }
}

TDecodeResult InflateOwn(TByteSource& In, TByteSink& Out, bool Deflate64) {
  TInflater Inflater(Deflate64);
  switch (Inflater.Run(In, Out)) {
    case TInflateResult::Done: return TDecodeResult::Done;
    case TInflateResult::DataError: return TDecodeResult::DataError;
    case TInflateResult::InputEnded: return TDecodeResult::InputEnded;
    case TInflateResult::Stopped: return TDecodeResult::Stopped;
  }
  return TDecodeResult::DataError;
}

}  // namespace

TEntrySource::TEntrySource(TArchiveReader& Reader, uint64_t Start, uint64_t Size,
                           std::optional<TZipDecrypter> Decrypter)
    : FReader(Reader), FPos(Start), FLeft(Size), FDecrypter(std::move(Decrypter)) {}

size_t TEntrySource::Read(uint8_t* Buffer, size_t Capacity) {
  const size_t Want =
      static_cast<size_t>(std::min<uint64_t>(FLeft, std::min(Capacity, kReadBlock)));
  if (Want == 0) return 0;
  const size_t Got = FReader.ReadAt(FPos, Buffer, Want);
  if (Got < Want) {
    FCutShort = true;
    FLeft = 0;
  } else {
    FLeft -= Got;
  }
  FPos += Got;
  if (FDecrypter) FDecrypter->Decrypt(Buffer, Got);
  return Got;
}

TOutputWriter::TOutputWriter(TNewFile* File, uint64_t DeclaredSize, TCallbackChannel& Callbacks)
    : FFile(File), FDeclaredSize(DeclaredSize), FCallbacks(Callbacks) {}

bool TOutputWriter::Put(const uint8_t* Data, size_t Size) {
  if (Size > FDeclaredSize - FWritten) {
    // Keep what fits so the caller sees exactly the declared size, then refuse the rest.
    Size = static_cast<size_t>(FDeclaredSize - FWritten);
    FOversize = true;
  }
  if (Size > 0) {
    if (FFile && !FFile->Write(Data, Size)) {
      FWriteFailed = true;
      return false;
    }
    FCrc = static_cast<uint32_t>(crc32(FCrc, Data, static_cast<uInt>(Size)));
    FWritten += Size;
    FCallbacks.AddWritten(Size);
    FCallbacks.Call(VZ_ACT_PROGRESS, nullptr, nullptr, static_cast<int64_t>(Size));
  }
  return !FOversize;
}

TDecodeResult DecodeEntryData(uint16_t Method, TByteSource& In, TByteSink& Out) {
  switch (Method) {
    case 0: return CopyStored(In, Out);
    case 8: return InflateWithZlib(In, Out);
    case 9: return InflateOwn(In, Out, /*Deflate64=*/true);
    default: return TDecodeResult::DataError;
  }
}

}  // namespace vlm::zipengine
