// zip/zf_types.h -- the small value types of the zip component's settings and events: the extract
// options, the skip reasons and the set of reasons that abort, the component states, and the
// verbosity levels.
#pragma once

#include <cstdint>
#include <initializer_list>

namespace vlm {

// A set of the members of a small enumeration (bit n = member n).
template <class TEnum>
class TZFSet {
public:
  constexpr TZFSet() = default;
  constexpr TZFSet(std::initializer_list<TEnum> Members) {
    for (const TEnum Member : Members) FBits |= Bit(Member);
  }
  constexpr bool Contains(TEnum Member) const { return (FBits & Bit(Member)) != 0; }
  constexpr void Include(TEnum Member) { FBits |= Bit(Member); }
  constexpr void Exclude(TEnum Member) { FBits &= ~Bit(Member); }
  constexpr bool Empty() const { return FBits == 0; }
  constexpr bool operator==(const TZFSet&) const = default;

private:
  static constexpr uint32_t Bit(TEnum Member) { return 1u << static_cast<unsigned>(Member); }
  uint32_t FBits = 0;
};

// Extract options and their engine bits (BuildExtractCommands).
enum TZFExtrOptsEnum : uint8_t {
  ExtrDirNames,   // 0x200: keep stored folder names
  ExtrOverWrite,  // 0x400: the default answer to the overwrite question becomes yes
  ExtrFreshen,    // 0x100 unless ExtrUpdate: only entries whose file exists
  ExtrUpdate,     // 0x80: existing newer files are kept
  ExtrTest,       // 0x08 instead of 0x04: test instead of extracting
  ExtrForceDirs,  // the front end creates a missing ExtrBaseDir
  ExtrNTFS        // 0x8000000
};
using TZFExtrOpts = TZFSet<TZFExtrOptsEnum>;

// Why the engine skipped an entry (the skip callback sends reason + 1).
enum TZFSkipTypes : uint8_t {
  stOnFreshen,
  stNoOverwrite,
  stFileExists,
  stBadPassword,
  stBadName,
  stCompressionUnknown,
  stUnknownZipHost,
  stZipFileFormatWrong,
  stGeneralExtractError,
  stUser,
  stCannotDo,
  stNotFound,
  stNoShare,
  stNoAccess,
  stNoOpen,
  stDupName,
  stReadError,
  stSizeChange
};
// Skip reasons that abort the operation instead of skipping.
using TZFSkipAborts = TZFSet<TZFSkipTypes>;
inline constexpr TZFSkipAborts kDefaultNoSkipping{stDupName, stReadError};

enum TZFStates : uint8_t { zsDisabled, zsIdle, zsBusy };

// The verbosity the engine receives in fVerbosity.
enum class TZFVerbosity : int32_t { zvOff = 0, zvVerbose = 1, zvTrace = -1 };

}  // namespace vlm
