// zip/engine/decode_ahead.cpp -- the helper thread, its queue of decoded blocks and the hand-over.
#include "zip/engine/decode_ahead.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <system_error>

#include "zip/engine/archive_reader.h"

namespace vlm::zipengine {

// The helper's sink: each block goes into the queue as it is, decoded straight into a queued
// buffer. A block that passes the declared size is still queued whole, and nothing after it is
// decoded: the output writer on the calling thread cuts it and reports the excess, exactly as for
// a block decoded there.
class TDecodeAhead::TQueueSink : public TByteSink {
public:
  TQueueSink(TDecodeAhead& Owner, size_t Job)
      : FOwner(Owner), FJob(Job), FLeft(Owner.FJobs[Job].DeclaredSize) {}
  ~TQueueSink() override {
    if (!FBuffer.empty()) FOwner.GiveBack(std::move(FBuffer));
  }
  TQueueSink(const TQueueSink&) = delete;
  TQueueSink& operator=(const TQueueSink&) = delete;

  uint8_t* OutputBuffer(size_t Size) override {
    if (Size > kDecodeBlockSize) return nullptr;
    if (FBuffer.empty()) FBuffer = FOwner.TakeBuffer();
    return FBuffer.data();
  }

  bool Put(const uint8_t* Data, size_t Size) override {
    std::vector<uint8_t> Block;
    if (!FBuffer.empty() && Data == FBuffer.data()) {
      Block.swap(FBuffer);
    } else if (Size <= kDecodeBlockSize) {
      Block = FOwner.TakeBuffer();
      std::memcpy(Block.data(), Data, Size);
    } else {
      Block.assign(Data, Data + Size);
    }
    const bool Passes = Size > FLeft;
    FLeft = Passes ? 0 : FLeft - Size;
    return FOwner.Push(FJob, std::move(Block), Size) && !Passes;
  }

private:
  TDecodeAhead& FOwner;
  const size_t FJob;
  uint64_t FLeft;
  std::vector<uint8_t> FBuffer;  // offered to the decoder, not yet put
};

TDecodeAhead::TDecodeAhead(TArchiveReader& Reader, std::vector<TDecodeJob> Jobs,
                           size_t QueuedBlocks)
    : FReader(Reader), FJobs(std::move(Jobs)), FQueueLimit(std::max<size_t>(QueuedBlocks, 1)) {
  if (std::none_of(FJobs.begin(), FJobs.end(), [](const TDecodeJob& J) { return J.Ahead; })) return;
  try {
    FHelper = std::thread(&TDecodeAhead::Run, this);
  } catch (const std::system_error&) {
    // No thread to be had: every entry is decoded on the calling thread.
  }
}

TDecodeAhead::~TDecodeAhead() {
  {
    std::lock_guard<std::mutex> Guard(FLock);
    FStop = true;
  }
  FHelperWake.notify_all();
  if (FHelper.joinable()) FHelper.join();
}

bool TDecodeAhead::Decodes(size_t Index) const {
  return FHelper.joinable() && Index < FJobs.size() && FJobs[Index].Ahead;
}

void TDecodeAhead::Reached(size_t Index) {
  {
    std::lock_guard<std::mutex> Guard(FLock);
    FWanted = std::max(FWanted, Index);
    DropBefore(FWanted);
  }
  FHelperWake.notify_one();
}

void TDecodeAhead::DecodingInline(size_t Index) {
  {
    std::lock_guard<std::mutex> Guard(FLock);
    FAskedUntil = std::max(FAskedUntil, Index + 1);
  }
  FHelperWake.notify_one();
}

void TDecodeAhead::DropBefore(size_t Index) {
  while (!FQueue.empty() && FQueue.front().Job < Index) {
    TItem& Item = FQueue.front();
    if (!Item.End) {
      --FQueuedBlocks;
      if (Item.Block.size() == kDecodeBlockSize) FFree.push_back(std::move(Item.Block));
    }
    FQueue.pop_front();
  }
}

std::vector<uint8_t> TDecodeAhead::TakeBuffer() {
  {
    std::lock_guard<std::mutex> Guard(FLock);
    if (!FFree.empty()) {
      std::vector<uint8_t> Buffer = std::move(FFree.back());
      FFree.pop_back();
      return Buffer;
    }
  }
  return std::vector<uint8_t>(kDecodeBlockSize);
}

void TDecodeAhead::GiveBack(std::vector<uint8_t> Buffer) {
  if (Buffer.size() != kDecodeBlockSize) return;
  std::lock_guard<std::mutex> Guard(FLock);
  FFree.push_back(std::move(Buffer));
}

bool TDecodeAhead::CallerShouldWake(bool HelperPauses) const {
  return FCallerWaiting && !FQueue.empty() && (HelperPauses || FQueue.size() >= kWakeBatch);
}

bool TDecodeAhead::Push(size_t Job, std::vector<uint8_t> Block, size_t Size) {
  std::unique_lock<std::mutex> Lock(FLock);
  const auto Room = [&] { return Dropped(Job) || FQueuedBlocks < FQueueLimit; };
  if (!Room()) {
    if (CallerShouldWake(true)) FCallerWake.notify_one();
    FHelperWake.wait(Lock, Room);
  }
  if (Dropped(Job)) {
    if (Block.size() == kDecodeBlockSize) FFree.push_back(std::move(Block));
    return false;
  }
  TItem Item;
  Item.Job = Job;
  Item.Block = std::move(Block);
  Item.Size = Size;
  FQueue.push_back(std::move(Item));
  ++FQueuedBlocks;
  const bool Wake = CallerShouldWake(false);
  Lock.unlock();
  if (Wake) FCallerWake.notify_one();
  return true;
}

void TDecodeAhead::Run() {
  try {
    TEntryDecoder Decoder;  // the helper's own buffers and inflate state
    for (size_t Job = 0; Job < FJobs.size(); ++Job) {
      if (!FJobs[Job].Ahead) continue;
      {
        std::unique_lock<std::mutex> Lock(FLock);
        const auto Go = [&] { return FStop || Job < FWanted || Job < FAskedUntil + kLookahead; };
        if (!Go()) {
          if (CallerShouldWake(true)) FCallerWake.notify_one();
          FHelperWake.wait(Lock, Go);
        }
        if (FStop) return;
        if (Job < FWanted) continue;
      }
      RunJob(Job, Decoder);
    }
  } catch (...) {
    // Out of memory for the queue itself: the calling thread gets it when it next waits.
    std::lock_guard<std::mutex> Guard(FLock);
    FFailure = std::current_exception();
  }
  // Done with every job (or failed): whatever is queued is all there will be.
  FCallerWake.notify_one();
}

void TDecodeAhead::RunJob(size_t Job, TEntryDecoder& Decoder) {
  const TDecodeJob& What = FJobs[Job];
  TItem End;
  End.Job = Job;
  End.End = true;
  try {
    TEntrySource Source(FReader, What.DataStart, What.DataSize, std::nullopt);
    TQueueSink Sink(*this, Job);
    End.Result = Decoder.Decode(What.Method, Source, Sink);
    End.CutShort = Source.CutShort();
  } catch (...) {
    End.Error = std::current_exception();
  }
  bool Wake;
  {
    std::lock_guard<std::mutex> Guard(FLock);
    if (Dropped(Job)) return;
    FQueue.push_back(std::move(End));  // ends do not count against the queued blocks
    Wake = CallerShouldWake(false);
  }
  if (Wake) FCallerWake.notify_one();
}

TDecodeResult TDecodeAhead::Deliver(size_t Index, TByteSink& Out, bool& CutShort) {
  CutShort = false;
  {
    std::lock_guard<std::mutex> Guard(FLock);
    FWanted = std::max(FWanted, Index);
    FAskedUntil = std::max(FAskedUntil, Index + 1);
    DropBefore(FWanted);
  }
  FHelperWake.notify_one();
  for (;;) {
    TItem Item;
    {
      // From here on the helper queues nothing for earlier jobs.
      std::unique_lock<std::mutex> Lock(FLock);
      while (FQueue.empty() && !FFailure) {
        FCallerWaiting = true;
        FCallerWake.wait(Lock);
        FCallerWaiting = false;
      }
      if (FQueue.empty()) std::rethrow_exception(FFailure);
      Item = std::move(FQueue.front());
      FQueue.pop_front();
      if (!Item.End) --FQueuedBlocks;
    }
    if (!Item.End) FHelperWake.notify_one();
    // The helper works through the jobs in order and never drops the one asked for.
    if (Item.Job != Index) throw std::logic_error("decoded blocks out of order");
    if (Item.End) {
      if (Item.Error) std::rethrow_exception(Item.Error);
      CutShort = Item.CutShort;
      return Item.Result;
    }
    const bool Goes = Out.Put(Item.Block.data(), Item.Size);
    GiveBack(std::move(Item.Block));
    if (!Goes) {
      // Out refused (write failure, size cap): what the helper did beyond is not wanted. The
      // source's state does not matter then; the writer's tells what went wrong.
      Reached(Index + 1);
      return TDecodeResult::Stopped;
    }
  }
}

}  // namespace vlm::zipengine
