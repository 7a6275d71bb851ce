// zip/engine/extractor.h -- the extract and test operations of the engine: selection, target
// names, existing files, passwords, decoding, CRC-32 checks, file times and progress reports.
//
// Protocol of one extraction, all through the callback channel:
//   18 operation key; 19 argument requests (archive, password, base folder, file specifications);
//   4 selected count; 5 their total size; per selected entry: 1 name + size, [16 extraction
//   name], [12 overwrite question], [10 password requests], 2 per written block, [11 CRC error],
//   [8 messages], [13 skip], 1 with size -1; finally 3.
// Files are written as "~vz<n>.part" in the target folder, given their time and renamed to the
// final name only when complete, so a failed entry never leaves a truncated file under its name;
// without an overwrite the rename itself refuses an existing name. A temporary name is never one
// an entry of the archive has (entries may be named "~vz1.part" too). Entries whose data is
// damaged, cut short, longer or shorter than declared, or overlaps the data of an earlier entry
// in the central directory (the first keeps it), are reported (action 8) and skipped (action 13)
// and leave no file. A CRC-32 mismatch keeps the file unless the front end answers 3.
// The entries' data is read and inflated a few entries ahead on a helper thread (decode_ahead.h)
// while the calling thread writes; every callback and every change to the target folder is made
// on the calling thread, in the order above.
// Results: the count; -1 cancel/abort answer, -2 VZ_Abort, -3 exception answer, -(engine error)
// when the archive cannot be used (-13 cannot open, -10 no end record, -9 damaged directory,
// -14 multi-part, -15 base folder missing), -32 when a skip answer asks to stop.
#pragma once

#include <cstdint>

#include "zip/engine/engine_interface.h"

namespace vlm::zipengine {

// Runs an extract (VZ_OPT_OP_EXTRACT) or test (VZ_OPT_OP_TEST) command whose record has been
// validated. Returns the number of entries written (or tested) successfully, or a negative
// result; throws TOperationEnd when a callback ends the operation.
int32_t RunExtract(const TDLLCommands& Command);

}  // namespace vlm::zipengine
