// zip/engine/decode_ahead.h -- decoding the next entries on a second thread while the calling
// thread writes the current one.
//
// Inflating an entry and writing its file cost about the same order of time, and only the writing
// must stay on the calling thread: the callbacks (progress per written block, questions,
// messages) go to the front end from there, in their order, and the target folder is only ever
// touched from there. So a helper thread reads and inflates the selected entries' data in
// central-directory order, some entries ahead, into a bounded queue of blocks, and the calling
// thread takes the blocks of each entry when it gets to writing it. The blocks are exactly those
// that decoding on the calling thread would give (the same decoder and block size), and they go
// through the same output writer, so the files, CRC checks, size caps and progress reports do not
// change; nothing of the front end's runs on the helper.
//
// Only entries whose data needs no answer from the front end are decoded ahead: supported, not
// encrypted, their data located. Others (and all, when no thread can be started, or when the
// extractor starts none because the process may use one processor only) are decoded on the
// calling thread as before. Decoding ahead is a guess that the entry will be written: an
// entry the calling thread passes over (existing file, refused name) is dropped, and the helper
// starts at most kLookahead entries beyond the last one whose data was asked for, so an
// extraction that writes nothing decodes little.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

#include "zip/engine/entry_data.h"

namespace vlm::zipengine {

class TArchiveReader;

// One selected entry's data, as the helper needs it.
struct TDecodeJob {
  bool Ahead = false;  // decoded by the helper; the calling thread decodes the others itself
  uint16_t Method = 0;
  uint64_t DataStart = 0;
  uint64_t DataSize = 0;
  uint64_t DeclaredSize = 0;  // the cap: the helper stops after the block that passes it
};

class TDecodeAhead {
public:
  // How many entries the helper may start beyond the last one whose data was asked for, and how
  // many decoded blocks (of kDecodeBlockSize, 8 MiB in all) may wait for the calling thread.
  // Through a run of small files the calling thread is the slower one (creating a file costs more
  // than inflating a few KiB), and each small entry takes a block: room for a few dozen lets the
  // helper get ahead there and have output ready when large entries make it the slower one.
  static constexpr size_t kLookahead = 32;
  static constexpr size_t kQueuedBlocks = 32;
  // The helper is mostly the slower one, so the calling thread mostly waits for it: it is woken
  // when this many items (blocks, ends of entries) wait or when the helper pauses, not for each,
  // which saves a thread switch per block.
  static constexpr size_t kWakeBatch = 8;

  // Starts the helper over Jobs, one per selected entry in order, with room for QueuedBlocks
  // decoded blocks. Reader must outlive this.
  TDecodeAhead(TArchiveReader& Reader, std::vector<TDecodeJob> Jobs,
               size_t QueuedBlocks = kQueuedBlocks);
  // Stops the helper (it ends within one block) and waits for it.
  ~TDecodeAhead();
  TDecodeAhead(const TDecodeAhead&) = delete;
  TDecodeAhead& operator=(const TDecodeAhead&) = delete;

  // Whether job Index is decoded by the helper (false for every job when it could not start).
  bool Decodes(size_t Index) const;
  // The calling thread has reached job Index: the helper drops what it did for earlier ones.
  void Reached(size_t Index);
  // The calling thread decodes job Index itself: counts as asking for its data.
  void DecodingInline(size_t Index);
  // Hands job Index's blocks to Out, in order, as TEntryDecoder::Decode would, and returns what
  // Decode would have returned; CutShort is what the entry's source would have said. When Put
  // refuses a block, the rest of the job is dropped (Stopped). Rethrows what decoding threw.
  TDecodeResult Deliver(size_t Index, TByteSink& Out, bool& CutShort);

private:
  struct TItem {
    size_t Job = 0;
    bool End = false;            // the job's end: Result, CutShort and Error are set
    std::vector<uint8_t> Block;  // a block: its first Size bytes
    size_t Size = 0;
    TDecodeResult Result = TDecodeResult::Done;
    bool CutShort = false;
    std::exception_ptr Error;
  };
  class TQueueSink;

  void Run();
  void RunJob(size_t Index, TEntryDecoder& Decoder);
  // Queues a block of job Job, waiting for room; false when the job has been dropped.
  bool Push(size_t Job, std::vector<uint8_t> Block, size_t Size);
  // Whether the helper should drop job Index (caller holds FLock).
  bool Dropped(size_t Index) const { return FStop || Index < FWanted; }
  // Removes the queued items of jobs before Index (caller holds FLock).
  void DropBefore(size_t Index);
  // Whether the helper, having queued an item or being about to wait (HelperPauses), should wake
  // the calling thread (caller holds FLock).
  bool CallerShouldWake(bool HelperPauses) const;
  std::vector<uint8_t> TakeBuffer();
  void GiveBack(std::vector<uint8_t> Buffer);

  TArchiveReader& FReader;
  const std::vector<TDecodeJob> FJobs;
  const size_t FQueueLimit;
  std::mutex FLock;
  std::condition_variable FHelperWake, FCallerWake;
  std::deque<TItem> FQueue;
  size_t FQueuedBlocks = 0;
  std::vector<std::vector<uint8_t>> FFree;  // block buffers (kDecodeBlockSize) to use again
  size_t FWanted = 0;                       // the job the calling thread is at
  size_t FAskedUntil = 0;                   // one past the last job whose data was asked for
  bool FCallerWaiting = false;              // the calling thread waits for the queue
  bool FStop = false;
  std::exception_ptr FFailure;  // what ended the helper early, if anything did
  std::thread FHelper;
};

}  // namespace vlm::zipengine
