// runtime/win32/file_stream_win32.cpp -- TFileStream over a Windows file handle.
#include "runtime/file_stream.h"

#include "runtime/exception.h"
#include "runtime/os_error.h"
#include "runtime/win32/win32_api.h"

namespace vlm {

namespace {

HANDLE AsHandle(intptr_t Value) { return reinterpret_cast<HANDLE>(Value); }

DWORD ShareFor(uint16_t Mode) {
  switch (Mode & 0xF0) {
    case fmShareExclusive: return 0;
    case fmShareDenyWrite: return FILE_SHARE_READ;
    case fmShareDenyNone: return FILE_SHARE_READ | FILE_SHARE_WRITE;
    default: return FILE_SHARE_READ | FILE_SHARE_WRITE;
  }
}

}  // namespace

TFileStream::TFileStream(const String& FileName, uint16_t Mode)
    : FFileName(FileName), FHandle(reinterpret_cast<intptr_t>(INVALID_HANDLE_VALUE)) {
  HANDLE Handle;
  if ((Mode & 0xFF00) == fmCreate) {
    Handle = ::CreateFileW(WidePtr(FileName), GENERIC_READ | GENERIC_WRITE, ShareFor(Mode & 0xFF),
                           nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (Handle == INVALID_HANDLE_VALUE) RaiseCreateError(FileName, ::GetLastError());
  } else {
    DWORD Access = GENERIC_READ;
    if ((Mode & 3) == fmOpenWrite) Access = GENERIC_WRITE;
    if ((Mode & 3) == fmOpenReadWrite) Access = GENERIC_READ | GENERIC_WRITE;
    Handle = ::CreateFileW(WidePtr(FileName), Access, ShareFor(Mode), nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (Handle == INVALID_HANDLE_VALUE) RaiseOpenError(FileName, ::GetLastError());
  }
  FHandle = reinterpret_cast<intptr_t>(Handle);
}

TFileStream::~TFileStream() {
  if (AsHandle(FHandle) != INVALID_HANDLE_VALUE) ::CloseHandle(AsHandle(FHandle));
}

int64_t TFileStream::Read(void* Buffer, int64_t Count) {
  if (Count <= 0) return 0;
  const DWORD Ask = Count > 0x40000000 ? 0x40000000 : static_cast<DWORD>(Count);
  DWORD Done = 0;
  if (!::ReadFile(AsHandle(FHandle), Buffer, Ask, &Done, nullptr)) return 0;
  return Done;
}

int64_t TFileStream::Write(const void* Buffer, int64_t Count) {
  if (Count <= 0) return 0;
  const DWORD Ask = Count > 0x40000000 ? 0x40000000 : static_cast<DWORD>(Count);
  DWORD Done = 0;
  if (!::WriteFile(AsHandle(FHandle), Buffer, Ask, &Done, nullptr)) return 0;
  return Done;
}

int64_t TFileStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  DWORD Method = FILE_BEGIN;
  if (Origin == TSeekOrigin::soCurrent) Method = FILE_CURRENT;
  if (Origin == TSeekOrigin::soEnd) Method = FILE_END;
  LARGE_INTEGER Distance, Result;
  Distance.QuadPart = Offset;
  if (!::SetFilePointerEx(AsHandle(FHandle), Distance, &Result, Method)) return -1;
  return Result.QuadPart;
}

void TFileStream::SetSize(int64_t NewSize) {
  const int64_t Saved = Position();
  SetPosition(NewSize);
  if (!::SetEndOfFile(AsHandle(FHandle))) RaiseOSError(::GetLastError());
  SetPosition(Saved < NewSize ? Saved : NewSize);
}

}  // namespace vlm
