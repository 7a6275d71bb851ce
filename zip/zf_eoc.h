// zip/zf_eoc.h -- TZFEOC: finding and reading the end of an archive (PKWARE APPNOTE): the end of
// central directory record, searched backwards through at most 65557 bytes, and, when its fields
// overflow, the Zip64 locator and Zip64 end record.
#pragma once

#include <cstdint>
#include <string>

#include "zip/zf_work_file.h"

namespace vlm {

// Result flags of FindEOC (non-negative results).
inline constexpr int kEOCTrailingData = 1;    // bytes after the comment, or a comment cut short
inline constexpr int kEOCOffsetMismatch = 2;  // Zip64: the central directory is not where stated

class TZFEOC : public TZFWorkFile {
public:
  // Finds the end record of the open file and takes its fields. Returns 0 or the flags above, or
  // a negated message id: -11036 not an archive (shorter than 22 bytes, no end record, first
  // bytes unreadable), -11008 seek failure, -11011 read failure or an inconsistent locator,
  // -11053 unsupported Zip64 record. A negative result closes the file.
  int FindEOC();

  uint32_t fDiskNr = 0;
  uint32_t fTotalDisks = 0;
  bool fMultiDisk = false;
  uint32_t fCentralDiskNo = 0;
  uint64_t fCentralEntries = 0;
  uint64_t fTotalEntries = 0;   // from the archive, untrusted
  uint64_t fCentralSize = 0;    // from the archive, untrusted
  uint64_t fCentralOffset = 0;  // from the archive, untrusted
  uint16_t fCommentLength = 0;  // as declared by the end record
  int64_t fEOCOffset = 0;       // position of the end record, or of the Zip64 record
  bool fZ64 = false;
  uint64_t fZ64VSize = 0;  // Zip64 record size + 12
  uint16_t fZ64VersionMadeBy = 0;
  uint16_t fZ64VersionNeeded = 0;
  int64_t fOffsetDelta = 0;  // Zip64: record position - central size - central offset
  std::string FZipComment;   // raw bytes, only what the file really holds

protected:
  void ResetEOC();

private:
  int ReadZip64(int64_t EndRecordPosition, bool (&AllOnes)[6]);
};

}  // namespace vlm
