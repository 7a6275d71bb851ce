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

constexpr size_t kReadBlock = kDecodeBlockSize;
constexpr size_t kOutputBlock = kDecodeBlockSize;

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

// zlib's inflate state; freed on every path, exceptions from the sink included.
struct TEntryDecoder::TZlib {
  z_stream Z{};
  TZlib() {
    if (inflateInit2(&Z, -MAX_WBITS) != Z_OK) throw std::bad_alloc();
  }
  ~TZlib() { inflateEnd(&Z); }
  TZlib(const TZlib&) = delete;
  TZlib& operator=(const TZlib&) = delete;
};

TEntryDecoder::TEntryDecoder() = default;
TEntryDecoder::~TEntryDecoder() = default;

TDecodeResult TEntryDecoder::Decode(uint16_t Method, TByteSource& In, TByteSink& Out) {
  switch (Method) {
    case 0: return CopyStored(In, Out);
    case 8: return InflateWithZlib(In, Out);
    case 9: return InflateOwn(In, Out, /*Deflate64=*/true);
    default: return TDecodeResult::DataError;
  }
}

TDecodeResult TEntryDecoder::CopyStored(TByteSource& In, TByteSink& Out) {
  for (;;) {
    uint8_t* Block = Out.OutputBuffer(kReadBlock);
    if (!Block) {
      if (FInput.empty()) FInput.resize(kReadBlock);
      Block = FInput.data();
    }
    const size_t N = In.Read(Block, kReadBlock);
    if (N == 0) return TDecodeResult::Done;
    if (!Out.Put(Block, N)) return TDecodeResult::Stopped;
  }
}

TDecodeResult TEntryDecoder::InflateWithZlib(TByteSource& In, TByteSink& Out) {
  if (!FZlib) {
    FZlib = std::make_unique<TZlib>();
  } else if (inflateReset(&FZlib->Z) != Z_OK) {
    throw std::bad_alloc();
  }
  if (FInput.empty()) FInput.resize(kReadBlock);
  z_stream& Z = FZlib->Z;
  // inflateReset keeps the input pointers: whatever the previous entry left unread (padding
  // after its stream's end, or the rest of a corrupt stream) belongs to that entry alone.
  Z.next_in = nullptr;
  Z.avail_in = 0;
  bool InputDone = false;
  for (;;) {
    if (Z.avail_in == 0 && !InputDone) {
      const size_t N = In.Read(FInput.data(), FInput.size());
      InputDone = N == 0;
      Z.next_in = FInput.data();
      Z.avail_in = static_cast<uInt>(N);
    }
    uint8_t* Block = Out.OutputBuffer(kOutputBlock);
    if (!Block) {
      if (FOutput.empty()) FOutput.resize(kOutputBlock);
      Block = FOutput.data();
    }
    Z.next_out = Block;
    Z.avail_out = static_cast<uInt>(kOutputBlock);
    const int Status = inflate(&Z, Z_NO_FLUSH);
    const size_t Produced = kOutputBlock - Z.avail_out;
    if (Produced > 0 && !Out.Put(Block, Produced)) return TDecodeResult::Stopped;
    if (Status == Z_STREAM_END) return TDecodeResult::Done;
    if (Status == Z_DATA_ERROR || Status == Z_NEED_DICT) return TDecodeResult::DataError;
    if (Status == Z_MEM_ERROR) throw std::bad_alloc();
    // No progress possible: out of input before the final block.
    if (Status == Z_BUF_ERROR && InputDone && Z.avail_in == 0) return TDecodeResult::InputEnded;
  }
}

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

}  // namespace vlm::zipengine
