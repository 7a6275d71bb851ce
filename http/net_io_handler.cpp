// http/net_io_handler.cpp -- the buffered I/O handler's rules, independent of sockets.
#include "http/net_io_handler.h"

#include <algorithm>
#include <chrono>
#include <limits>
#include <vector>

#include "http/net_socket_exceptions.h"
#include "runtime/code_page.h"
#include "runtime/memory_stream.h"

namespace vlm {

namespace {

// Cuts the stream back to its position on every way out of a stream read: a stream sized in
// advance must not keep zero bytes that never arrived.
class CutStreamToPosition {
public:
  explicit CutStreamToPosition(TStream& AStream) : FStream(AStream) {}
  ~CutStreamToPosition() {
    try {
      const int64_t Position = FStream.Position();
      if (FStream.Size() > Position) FStream.SetSize(Position);
    } catch (...) {
      // a destructor must not throw; the stream keeps its size
    }
  }

private:
  TStream& FStream;
};

}  // namespace

std::string EncodeNetText(StringView AText, TNetTextEncoding AEncoding) {
  if (AEncoding == TNetTextEncoding::neUtf8) return StringToUtf8(AText);
  if (AEncoding == TNetTextEncoding::neAnsi) return StringToAnsi(AText);
  std::string Bytes(AText.size(), '?');
  for (size_t I = 0; I < AText.size(); ++I)
    if (AText[I] < 0x80) Bytes[I] = static_cast<char>(AText[I]);
  return Bytes;
}

String DecodeNetText(std::string_view ABytes, TNetTextEncoding AEncoding) {
  if (AEncoding == TNetTextEncoding::neUtf8) return Utf8ToString(ABytes);
  if (AEncoding == TNetTextEncoding::neAnsi) return AnsiToString(ABytes);
  String Text(ABytes.size(), u'?');
  for (size_t I = 0; I < ABytes.size(); ++I) {
    const auto Byte = static_cast<unsigned char>(ABytes[I]);
    if (Byte < 0x80) Text[I] = Byte;
  }
  return Text;
}

TNetIOHandler::TNetIOHandler()
    : FInputBuffer([this](int64_t Count) { DoWork(TWorkMode::wmRead, Count); }) {}

void TNetIOHandler::Open() {
  FWriteBuffer.reset();
  FInputBuffer.Clear();
  FClosedGracefully = false;
  FOpened = true;
}

void TNetIOHandler::Close() {
  CloseSource();
  FOpened = false;
  FWriteBuffer.reset();
}

int TNetIOHandler::FillInputBuffer(bool ARaiseIfDisconnected, int ATimeout, bool ARaiseOnTimeout) {
  FRecvBlock.resize(static_cast<size_t>(std::max(RecvBufferSize, 1)));
  const int Added = ReceiveInto(FRecvBlock.data(), FRecvBlock.size(), ARaiseIfDisconnected,
                                ATimeout, ARaiseOnTimeout, /*AToInputBuffer=*/true);
  return Added;
}

int TNetIOHandler::ReceiveInto(void* ADest, size_t AMax, bool ARaiseIfDisconnected, int ATimeout,
                               bool ARaiseOnTimeout, bool AToInputBuffer) {
  int Timeout;
  if (ATimeout == -1)
    Timeout = ReadTimeout <= 0 ? kNetTimeoutInfinite : ReadTimeout;
  else
    Timeout = ATimeout < 0 ? kNetTimeoutInfinite : ATimeout;
  CheckForDisconnect(ARaiseIfDisconnected, false);
  if (!SourceIsAvailable()) {
    if (ARaiseIfDisconnected) throw ENetException(kRSNotConnected);
    return 0;
  }
  int Added = 0;
  while (SourceIsAvailable() && Added == 0) {
    if (!WaitForSource(Timeout)) {
      if (ARaiseOnTimeout) throw ENetReadTimeout(kRSReadTimeout);
      return -1;
    }
    if (!SourceIsAvailable()) throw ENetConnClosedGracefully(kRSConnectionClosedGracefully);
    if (!FOpened) {
      // A source on a handler that is not open is never read; without raising, nothing comes.
      if (ARaiseIfDisconnected) throw ENetNotConnected(kRSNotConnected);
      return 0;
    }
    const int64_t Got = ReceiveFromSource(ADest, AMax);
    if (Got > 0) {
      if (AToInputBuffer)
        FInputBuffer.Write(
            std::string_view(static_cast<const char*>(ADest), static_cast<size_t>(Got)));
      Added = static_cast<int>(Got);
      NoteReceived(Got);
    } else {
      FClosedGracefully = true;
    }
    CheckForDisconnect(ARaiseIfDisconnected, false);
  }
  return Added;
}

void TNetIOHandler::BeginStallWatch() {
  FStallWatch = true;
  FStallStart = std::chrono::steady_clock::now();
  FStallSlots.clear();
}

namespace {

std::chrono::milliseconds StallSlotLength(int AWindow) {
  return std::chrono::milliseconds(std::max(AWindow / 16, 1));
}

}  // namespace

bool TNetIOHandler::WaitForSource(int ATimeoutMs) {
  if (!StallWatchActive()) return WaitReadable(ATimeoutMs);
  using Clock = std::chrono::steady_clock;
  const auto Start = Clock::now();
  const int Slot = static_cast<int>(StallSlotLength(StallWindow).count());
  for (;;) {
    CheckStall();
    int Wait = Slot;
    if (ATimeoutMs != kNetTimeoutInfinite) {
      const auto Spent =
          std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - Start).count();
      Wait = static_cast<int>(std::clamp<int64_t>(ATimeoutMs - Spent, 0, Slot));
    }
    const auto Before = Clock::now();
    if (WaitReadable(Wait)) return true;
    const auto Waited =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - Before).count();
    const auto Spent =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - Start).count();
    if (ATimeoutMs != kNetTimeoutInfinite && Spent >= ATimeoutMs) return false;
    // A source that reports silence at once, without waiting at all, has no more to wait for (a
    // source in memory); a real wait that merely wakes a little early goes on waiting.
    if (Waited == 0 && Wait >= 4) return false;
  }
}

void TNetIOHandler::NoteReceived(int64_t ACount) {
  if (!StallWatchActive()) return;
  const auto Now = std::chrono::steady_clock::now();
  if (!FStallSlots.empty() && Now - FStallSlots.back().At < StallSlotLength(StallWindow))
    FStallSlots.back().Bytes += ACount;
  else
    FStallSlots.push_back({Now, ACount});
  CheckStall();
}

void TNetIOHandler::CheckStall() {
  if (!StallWatchActive()) return;
  const auto Now = std::chrono::steady_clock::now();
  const std::chrono::milliseconds Window(StallWindow);
  if (Now - FStallStart < Window) return;  // not yet a whole window long
  // A slot counts while any part of it lies in the last window, so the rule never fails early.
  const auto SlotLength = StallSlotLength(StallWindow);
  while (!FStallSlots.empty() && FStallSlots.front().At + SlotLength <= Now - Window)
    FStallSlots.pop_front();
  int64_t Moved = 0;
  for (const TStallSlot& Slot : FStallSlots) Moved += Slot.Bytes;
  if (Moved < StallMinBytes) {
    FStallWatch = false;
    throw ENetTransferStalled(u"The server " + Host + u" stopped sending data.");
  }
}

void TNetIOHandler::CheckForDisconnect(bool ARaiseIfDisconnected, bool AIgnoreBuffer) {
  bool Disconnected = false;
  if (FClosedGracefully) {
    if (SourceIsAvailable()) {
      CloseSource();
      DoStatus(TNetStatus::hsDisconnected);
    }
    Disconnected = true;
  } else {
    Disconnected = !SourceIsAvailable();
  }
  if (Disconnected && ARaiseIfDisconnected && (FInputBuffer.IsEmpty() || AIgnoreBuffer))
    throw ENetConnClosedGracefully(kRSConnectionClosedGracefully);
}

bool TNetIOHandler::Connected() {
  if (SourceIsAvailable() && FOpened) {
    try {
      FillInputBuffer(false, 0, false);
    } catch (const ENetSocketError&) {
      // A connection the peer has reset is no longer connected; the next connect starts afresh.
      FClosedGracefully = true;
      CheckForDisconnect(false, false);
    }
  }
  const bool Live = SourceIsAvailable() && FOpened && !(FClosedGracefully && InputBufferIsEmpty());
  return Live || !InputBufferIsEmpty();
}

bool TNetIOHandler::Readable(int AMs) {
  if (!SourceIsAvailable()) return false;
  return WaitReadable(AMs < 0 ? kNetTimeoutInfinite : AMs);
}

bool TNetIOHandler::CheckForDataOnSource(int AMs) {
  if (!SourceIsAvailable() || !FOpened) return false;
  const int Before = FInputBuffer.Size();
  FillInputBuffer(false, AMs, false);  // -1: the ReadTimeout
  return FInputBuffer.Size() > Before;
}

String TNetIOHandler::ReadLn(const String& ATerminator, int ATimeout, int AMaxLineLength) {
  return ReadLn(ATerminator, ATimeout, AMaxLineLength, DefStringEncoding);
}

String TNetIOHandler::ReadLn(const String& ATerminator, int ATimeout, int AMaxLineLength,
                             TNetTextEncoding AEncoding) {
  const std::string Terminator =
      ATerminator.empty() ? std::string("\n") : EncodeNetText(ATerminator, AEncoding);
  const int TermLength = static_cast<int>(Terminator.size());
  if (AMaxLineLength < 0) AMaxLineLength = MaxLineLength;
  FReadLnSplit = false;
  FReadLnTimedout = false;
  const auto Start = std::chrono::steady_clock::now();
  int SearchFrom = 0;
  for (;;) {
    int Found = -1;
    if (!FInputBuffer.IsEmpty()) {
      Found = FInputBuffer.IndexOf(Terminator, SearchFrom);
      // A terminator split across two receives is still found on the next pass.
      SearchFrom = std::max(FInputBuffer.Size() - TermLength + 1, 0);
    }
    // Too long once the terminator is there beyond the limit, or once so many bytes are buffered
    // that it can only come beyond it: a peer cannot grow the buffer without bound.
    const bool TooLong = AMaxLineLength > 0 &&
                         (Found > AMaxLineLength ||
                          (Found < 0 && FInputBuffer.Size() - TermLength + 1 > AMaxLineLength));
    if (TooLong) {
      if (MaxLineAction == TNetMaxLineAction::maException)
        throw ENetReadLnMaxLineLengthExceeded(kRSMaxLineLengthExceeded);
      FReadLnSplit = true;
      return DecodeNetText(FInputBuffer.ExtractToBytes(AMaxLineLength), AEncoding);
    }
    if (Found >= 0) {
      std::string Bytes = FInputBuffer.ExtractToBytes(Found + TermLength);
      int LineLength = Found;
      if (Terminator == "\n" && LineLength > 0 && Bytes[LineLength - 1] == '\r') --LineLength;
      Bytes.resize(static_cast<size_t>(LineLength));
      return DecodeNetText(Bytes, AEncoding);
    }
    CheckForDisconnect(true, true);
    if (FillInputBuffer(true, ATimeout, /*ARaiseOnTimeout=*/ATimeout == -1) == -1)
      FReadLnTimedout = true;
    if (ATimeout >= 0) {
      const auto Elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
                               std::chrono::steady_clock::now() - Start)
                               .count();
      if (Elapsed >= ATimeout) FReadLnTimedout = true;
    }
    if (FReadLnTimedout) return String();
  }
}

void TNetIOHandler::FillUntil(int ACount) {
  while (FInputBuffer.Size() < ACount) {
    FillInputBuffer(false, -1, true);
    if (FInputBuffer.Size() >= ACount) break;
    CheckForDisconnect(true, true);
    // An open source always yields bytes, a close or an error; a closed handler yields nothing.
    if (!FOpened) throw ENetNotConnected(kRSNotConnected);
  }
}

void TNetIOHandler::ReceiveBlockDirect(TMemoryStream& AStream, int ACount) {
  int64_t Got = 0;
  try {
    while (Got < ACount) {
      // The pointer is asked for anew before every receive: only the stream knows its memory.
      uint8_t* Dest = AStream.BeginWrite(ACount - Got);
      const int Now = ReceiveInto(Dest, static_cast<size_t>(ACount - Got), false, -1, true,
                                  /*AToInputBuffer=*/false);
      if (Now > 0) {
        AStream.CommitWrite(Now);
        Got += Now;
      }
      if (Got >= ACount) break;
      CheckForDisconnect(true, true);
      if (!FOpened) throw ENetNotConnected(kRSNotConnected);
    }
  } catch (...) {
    // The bytes of a partial block are the stream's, and are counted, as on the buffered way.
    if (Got > 0) DoWork(TWorkMode::wmRead, Got);
    throw;
  }
  DoWork(TWorkMode::wmRead, Got);
}

void TNetIOHandler::ReadBytes(std::string& ABuffer, int ACount, bool AAppend) {
  if (!AAppend) ABuffer.clear();
  if (ACount <= 0) return;
  FillUntil(ACount);
  ABuffer += FInputBuffer.ExtractToBytes(ACount);
}

void TNetIOHandler::ReadStream(TStream& AStream, int64_t ACount, bool AReadUntilDisconnect,
                               int64_t AMaxCount) {
  if (ACount < 0) AReadUntilDisconnect = true;
  auto* Memory = dynamic_cast<TMemoryStream*>(&AStream);
  const int64_t Limit = LargeStream ? std::numeric_limits<int64_t>::max() : kNetStreamLimit;
  // What a read until close may take: the limits are checked as the bytes arrive.
  int64_t Allowed = std::max<int64_t>(Limit - AStream.Position(), 0);
  if (AMaxCount >= 0) Allowed = std::min(Allowed, AMaxCount);
  if (!AReadUntilDisconnect) {
    const int64_t Position = AStream.Position();
    if (ACount > Limit - Position) throw ENetIOHandlerStreamDataTooLarge(kRSStreamDataTooLarge);
    // Size once for the whole body, but never more than the bounded reserve in advance. A memory
    // stream instead gets capacity, in steps as the body arrives (below): sizing it would
    // zero-fill memory that the body overwrites anyway.
    const int64_t Reserve = std::min(ACount, kNetMaxStreamPresize);
    if (Memory == nullptr && AStream.Size() < Position + Reserve) {
      AStream.SetSize(Position + Reserve);
      AStream.SetPosition(Position);
    }
  }
  CutStreamToPosition Cut(AStream);
  WorkScope Work(*this, TWorkMode::wmRead, AReadUntilDisconnect ? 0 : ACount);

  const int64_t Start = AStream.Position();
  int64_t Remaining = AReadUntilDisconnect ? Allowed : ACount;
  // The capacity a counted read gives a memory stream before the next block: the rest of the
  // body, but never more ahead than the reserve or the bytes that already arrived, so an
  // announced length costs memory only as fast as the body really comes.
  const auto ReserveAhead = [&](int64_t ANext) {
    if (Memory == nullptr || AReadUntilDisconnect) return;
    const int64_t Position = Memory->Position();
    if (Memory->Capacity() >= Position + ANext) return;
    const int64_t Ahead = std::min(Remaining, std::max(kNetMaxStreamPresize, Position - Start));
    Memory->Reserve(Position + std::max(Ahead, ANext));
  };
  const int Buffered = static_cast<int>(std::min<int64_t>(FInputBuffer.Size(), Remaining));
  if (Buffered > 0) {
    ReserveAhead(Buffered);
    FInputBuffer.ExtractToStream(AStream, Buffered);
    Remaining -= Buffered;
  }
  const int BlockSize = std::max(RecvBufferSize, 1);
  while (Remaining > 0) {
    const int Block = static_cast<int>(std::min<int64_t>(Remaining, BlockSize));
    ReserveAhead(Block);
    // Into a memory stream the bytes go straight from the socket, without the copy through the
    // input buffer.
    const bool Direct = Memory != nullptr && FInputBuffer.IsEmpty();
    try {
      if (Direct)
        ReceiveBlockDirect(*Memory, Block);
      else
        FillUntil(Block);
    } catch (const ENetConnClosedGracefully&) {
      // The bytes of the last partial block are the stream's in either case.
      FInputBuffer.ExtractToStream(AStream);
      if (AReadUntilDisconnect) return;
      throw;
    } catch (...) {
      FInputBuffer.ExtractToStream(AStream);
      throw;
    }
    if (!Direct) FInputBuffer.ExtractToStream(AStream, Block);
    Remaining -= Block;
  }
  if (!AReadUntilDisconnect) return;
  // The allowance is used up: the read is over its limit unless the peer closes now.
  try {
    FillUntil(1);
  } catch (const ENetConnClosedGracefully&) {
    return;
  }
  throw ENetIOHandlerStreamDataTooLarge(kRSStreamDataTooLarge);
}

void TNetIOHandler::Discard(int64_t ACount) {
  if (ACount <= 0) return;
  WorkScope Work(*this, TWorkMode::wmRead, ACount);
  int64_t Remaining = ACount;
  for (;;) {
    const int Now = static_cast<int>(std::min<int64_t>(FInputBuffer.Size(), Remaining));
    if (Now > 0) {
      FInputBuffer.Remove(Now);
      Remaining -= Now;
    }
    if (Remaining == 0) return;
    FillUntil(1);
  }
}

void TNetIOHandler::DiscardAll(int64_t AMaxCount) {
  WorkScope Work(*this, TWorkMode::wmRead, 0);
  int64_t Dropped = FInputBuffer.Size();
  FInputBuffer.Clear();
  try {
    for (;;) {
      if (AMaxCount >= 0 && Dropped > AMaxCount)
        throw ENetIOHandlerStreamDataTooLarge(kRSStreamDataTooLarge);
      FillInputBuffer(true, -1, true);
      Dropped += FInputBuffer.Size();
      FInputBuffer.Clear();
      if (!FOpened) return;
    }
  } catch (const ENetConnClosedGracefully&) {
    // the peer's close is the end of what is discarded
  }
  FInputBuffer.Clear();
}

void TNetIOHandler::Write(std::string_view ABytes) {
  if (FWriteBuffer == nullptr) return WriteDirect(ABytes);
  FWriteBuffer->Write(ABytes);
  if (FWriteBufferThreshold > 0 && FWriteBuffer->Size() >= FWriteBufferThreshold)
    WriteBufferFlush();
}

void TNetIOHandler::WriteLn(const String& AText) {
  Write(AText + u"\r\n");
}

void TNetIOHandler::WriteBufferOpen(int AThreshold) {
  if (FWriteBuffer != nullptr)
    FWriteBuffer->Clear();
  else
    FWriteBuffer = std::make_unique<TNetBuffer>();
  FWriteBufferThreshold = AThreshold;
}

void TNetIOHandler::WriteBufferClose() {
  try {
    WriteBufferFlush();
  } catch (...) {
    FWriteBuffer.reset();
    throw;
  }
  FWriteBuffer.reset();
}

void TNetIOHandler::WriteBufferCancel() {
  FWriteBuffer.reset();
}

void TNetIOHandler::WriteBufferFlush() {
  if (FWriteBuffer == nullptr || FWriteBuffer->IsEmpty()) return;
  const std::string Bytes = FWriteBuffer->ExtractToBytes();
  WriteDirect(Bytes);
}

void TNetIOHandler::WriteDirect(std::string_view ABytes) {
  CheckForDisconnect(true, true);
  size_t Done = 0;
  while (Done < ABytes.size()) {
    const int64_t Sent = SendToSource(ABytes.data() + Done, ABytes.size() - Done);
    if (Sent == 0) {
      FClosedGracefully = true;
      CheckForDisconnect(true, true);
      continue;
    }
    Done += static_cast<size_t>(Sent);
    DoWork(TWorkMode::wmWrite, Sent);
  }
}

}  // namespace vlm
