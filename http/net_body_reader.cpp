// http/net_body_reader.cpp -- the reply body framings.
#include "http/net_body_reader.h"

#include <algorithm>
#include <limits>
#include <string>

#include "http/net_socket_exceptions.h"

namespace vlm {

namespace {

bool IsBlank(char16_t C) {
  return C == u' ' || C == u'\t';
}

StringView Trimmed(StringView Text) {
  while (!Text.empty() && IsBlank(Text.front())) Text.remove_prefix(1);
  while (!Text.empty() && IsBlank(Text.back())) Text.remove_suffix(1);
  return Text;
}

bool ContainsChunked(const String& ATransferEncoding) {
  String Lower = ATransferEncoding;
  for (char16_t& C : Lower)
    if (C >= u'A' && C <= u'Z') C = static_cast<char16_t>(C - u'A' + u'a');
  return Lower.find(u"chunked") != String::npos;
}

[[noreturn]] void RaiseBodyTooLarge(int64_t ALimit) {
  const std::string Digits = std::to_string(ALimit);
  throw ENetBodyTooLarge(u"The reply body is larger than the limit of " +
                         String(Digits.begin(), Digits.end()) + u" bytes.");
}

void ReadChunkedBody(TNetIOHandler& H, TStream* ATarget, TStringList* ATrailers,
                     TNetComponent* AStatusTarget, int64_t ALimit) {
  if (AStatusTarget != nullptr) AStatusTarget->DoStatus(TNetStatus::hsStatusText, u"Chunk Started");
  WorkScope Work(H, TWorkMode::wmRead, 0);
  int64_t Total = 0;
  for (int64_t Size = ReadChunkSize(H); Size != 0; Size = ReadChunkSize(H)) {
    if (Size > ALimit - Total) RaiseBodyTooLarge(ALimit);
    Total += Size;
    if (ATarget != nullptr)
      H.ReadStream(*ATarget, Size);
    else
      H.Discard(Size);
    H.ReadLn();  // the line end after the chunk's data
  }
  for (int Count = 0;; ++Count) {
    const String Line = H.ReadLn();
    if (Line.empty()) break;
    if (Count == kNetMaxTrailerLines) throw ENetChunkedBodyError(kRSTooManyTrailerLines);
    if (ATrailers != nullptr) ATrailers->Add(Line);
  }
}

}  // namespace

int64_t ReadChunkSize(TNetIOHandler& AIOHandler) {
  const String Line = AIOHandler.ReadLn();
  StringView Size = Line;
  const size_t Semicolon = Size.find(u';');
  if (Semicolon != StringView::npos) Size = Size.substr(0, Semicolon);
  Size = Trimmed(Size);
  // A size that cannot be read would end the body early, and a truncated body would pass as
  // complete; so it fails instead.
  if (Size.empty()) throw ENetChunkedBodyError(kRSInvalidChunkSize);
  int64_t Value = 0;
  for (char16_t C : Size) {
    int Digit;
    if (C >= u'0' && C <= u'9')
      Digit = C - u'0';
    else if (C >= u'a' && C <= u'f')
      Digit = C - u'a' + 10;
    else if (C >= u'A' && C <= u'F')
      Digit = C - u'A' + 10;
    else
      throw ENetChunkedBodyError(kRSInvalidChunkSize);
    if (Value > (std::numeric_limits<int64_t>::max() - Digit) / 16)
      throw ENetChunkedBodyError(kRSInvalidChunkSize);
    Value = Value * 16 + Digit;
  }
  return Value;
}

int64_t BodySizeLimit(const TNetIOHandler& AIOHandler, int64_t AMaxSize) {
  const int64_t Limit =
      AIOHandler.LargeStream ? std::numeric_limits<int64_t>::max() : kNetStreamLimit;
  return AMaxSize >= 0 ? std::min(AMaxSize, Limit) : Limit;
}

void ReadResponseBody(TNetIOHandler& AIOHandler, const TNetBodyFraming& AFraming, TStream* ATarget,
                      int AFirstDataWaitMs, TStringList* ATrailers, TNetComponent* AStatusTarget,
                      int64_t AMaxSize) {
  const int64_t Limit = BodySizeLimit(AIOHandler, AMaxSize);
  if (ContainsChunked(AFraming.TransferEncoding))
    return ReadChunkedBody(AIOHandler, ATarget, ATrailers, AStatusTarget, Limit);
  if (AFraming.ContentLength == 0) return;
  // An announced length above the limit is refused before a byte of it is read.
  if (AFraming.ContentLength > Limit) RaiseBodyTooLarge(Limit);
  if (AFirstDataWaitMs >= 0 && AIOHandler.InputBufferIsEmpty() &&
      !AIOHandler.CheckForDataOnSource(AFirstDataWaitMs))
    return;
  if (AFraming.ContentLength > 0) {
    if (ATarget != nullptr)
      AIOHandler.ReadStream(*ATarget, AFraming.ContentLength);
    else
      AIOHandler.Discard(AFraming.ContentLength);
    return;
  }
  try {
    if (ATarget != nullptr)
      AIOHandler.ReadStream(*ATarget, -1, /*AReadUntilDisconnect=*/true, Limit);
    else
      AIOHandler.DiscardAll(Limit);
  } catch (const ENetIOHandlerStreamDataTooLarge&) {
    RaiseBodyTooLarge(Limit);
  }
}

}  // namespace vlm
