// tests/fuzz/zip_directory_fuzz.cpp -- fuzz target: arbitrary bytes loaded as an archive directory
// must load or end in one of the directory's error codes, without fault, and every entry of the
// view must answer all of its getters. Built by scripts/fuzz_zip_directory.sh with clang's
// libFuzzer, AddressSanitizer and UBSan.
//
// The first byte chooses the name encoding (low 3 bits, 0..4) and whether directory-only entries
// are shown (bit 3); the rest is the file's bytes, read through a memory stream.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "runtime/memory_stream.h"
#include "zip/zf_waux.h"

namespace vlm {
namespace {

bool IsDefinedCode(int32_t Code) {
  switch (Code) {
    case 0:
    case 10201:
    case 10203:
    case 11013:
    case 11015:
    case 11017:
    case 11022:
    case 11036:
    case 11052: return true;
    default: return false;
  }
}

[[noreturn]] void Fail(const char* What, int64_t Value) {
  std::fprintf(stderr, "%s: %lld\n", What, static_cast<long long>(Value));
  std::abort();
}

void Load(const uint8_t* Data, size_t Size) {
  if (Size == 0) return;
  const std::string Bytes(reinterpret_cast<const char*>(Data) + 1, Size - 1);
  TZFWAux Worker;
  Worker.Unattended = true;
  Worker.Encoding.Encoding = static_cast<TZFEncodingOpts>((Data[0] & 7) % 5);
  Worker.SetUseDirOnlyEntries((Data[0] & 8) != 0);
  Worker.Opener = [&Bytes](const String&) -> std::unique_ptr<TStream> {
    auto Stream = std::make_unique<TMemoryStream>();
    Stream->Write(Bytes.data(), static_cast<int64_t>(Bytes.size()));
    Stream->SetPosition(0);
    return Stream;
  };
  Worker.SetZipFileName(u"fuzz.zip");
  if (!IsDefinedCode(Worker.ErrCode())) Fail("undefined error code", Worker.ErrCode());
  const auto& View = Worker.CentralDir();
  uint64_t Sum = 0;
  for (const auto& Entry : View) {
    const String Name = Entry->FileName();
    Sum += Name.size() + Entry->FileComment().size() + Entry->CompressedSize() +
           Entry->UncompressedSize() + Entry->RelOffLocalHdr() + Entry->ExtraData(0x0001).size() +
           static_cast<uint64_t>(Entry->DateStamp() != 0) + Entry->Encoded();
    if (View.IndexOf(Name) < 0) Fail("a visible name is not found", static_cast<int64_t>(Sum));
  }
  if (View.Count() > 0 && Worker.ErrCode() != 0 && Worker.ErrCode() != 10203 &&
      Worker.ErrCode() != 11022) {
    Fail("entries visible after a failed load", View.Count());
  }
  if (Worker.SFXOffset() > Bytes.size()) Fail("data in front beyond the file", Worker.SFXOffset());
}

}  // namespace
}  // namespace vlm

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  vlm::Load(Data, Size);
  return 0;
}
