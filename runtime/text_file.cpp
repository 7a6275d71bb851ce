// runtime/text_file.cpp -- the portable share of the text output channel.
#include "runtime/text_file.h"

#include "runtime/code_page.h"
#include "runtime/exception.h"
#include "runtime/os_error.h"

namespace vlm {

namespace {

constexpr int kInOutDiskFull = 101;
constexpr int kInOutFileNotOpenForOutput = 105;

}  // namespace

int InOutErrorOfWrite(unsigned OSError) {
  if (OSError == 0 || OSError == kErrorDiskFull || OSError == kErrorHandleDiskFull)
    return kInOutDiskFull;
  return static_cast<int>(OSError);
}

TTextFileWriter::~TTextFileWriter() {
  if (IsOpen() && FOwned) PlatformClose(FHandle);
}

void TTextFileWriter::Rewrite(const String& FileName) {
  if (IsOpen()) Close();
  if (const unsigned Error = PlatformOpen(FileName, false, FHandle)) throw EInOutError(Error);
  FOwned = true;
}

void TTextFileWriter::Append(const String& FileName) {
  if (IsOpen()) Close();
  if (const unsigned Error = PlatformOpen(FileName, true, FHandle)) throw EInOutError(Error);
  FOwned = true;
}

void TTextFileWriter::AssignStandardOutput() {
  if (IsOpen()) Close();
  if (const unsigned Error = PlatformStandardOutput(FHandle)) throw EInOutError(Error);
  FOwned = false;
}

void TTextFileWriter::WriteLine(StringView Text) {
  std::string Bytes = StringToAnsi(Text);
  Bytes += "\r\n";
  WriteBytes(Bytes);
}

void TTextFileWriter::WriteBytes(std::string_view Bytes) {
  if (!IsOpen()) throw EInOutError(kInOutFileNotOpenForOutput);
  size_t Done = 0;
  while (Done < Bytes.size()) {
    size_t Written = 0;
    const unsigned Error = PlatformWrite(FHandle, Bytes.data() + Done, Bytes.size() - Done, Written);
    if (Error != 0 || Written == 0) throw EInOutError(InOutErrorOfWrite(Error));
    Done += Written;
  }
}

void TTextFileWriter::Close() {
  if (!IsOpen()) return;
  const intptr_t Handle = FHandle;
  const bool Owned = FOwned;
  FHandle = kNoHandle;
  if (Owned)
    if (const unsigned Error = PlatformClose(Handle)) throw EInOutError(InOutErrorOfWrite(Error));
}

}  // namespace vlm
