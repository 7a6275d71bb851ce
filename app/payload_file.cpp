// app/payload_file.cpp -- payload files written whole or not at all.
#include "app/payload_file.h"

#include <algorithm>
#include <memory>

#include "runtime/exception.h"
#include "runtime/file_stream.h"
#include "runtime/file_system.h"
#include "runtime/os_error.h"

namespace vlm {

void WritePayloadFile(const String& Target, const void* Data, size_t Size) {
  if (FileExists(Target)) return;
  const String Partial = Target + u".partial";
  std::unique_ptr<TFileStream> File;
  try {
    File = std::make_unique<TFileStream>(Partial, fmCreate);
  } catch (const EFCreateError& E) {
    // Report the payload's own name, not the temporary one.
    String Message = E.Message();
    const String Shown = ExpandFileName(Partial);
    if (const size_t At = Message.find(Shown); At != String::npos)
      Message.replace(At, Shown.size(), ExpandFileName(Target));
    throw EFCreateError(Message);
  }
  try {
    const auto* Bytes = static_cast<const unsigned char*>(Data);
    for (size_t Done = 0; Done < Size;) {
      const size_t Piece = std::min(kPayloadCopyPiece, Size - Done);
      File->WriteBuffer(Bytes + Done, static_cast<int64_t>(Piece));
      Done += Piece;
    }
    File.reset();
  } catch (...) {
    File.reset();
    RemoveFile(Partial);
    throw;
  }
  if (!RenameFile(Partial, Target)) {
    const unsigned Error = LastOSError();
    RemoveFile(Partial);
    RaiseCreateError(Target, Error);
  }
}

}  // namespace vlm
