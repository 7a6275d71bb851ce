// zip/zip_message_table.cpp -- the built-in English message table of the zip front end (language
// id 1033, name "US"): every text the program can report or show, exactly as the front end stores
// it, trailing blanks included. Kept sorted by id for binary search.
#include "zip/zip_messages.h"

#include <algorithm>
#include <iterator>

namespace vlm {
namespace {

struct TZFTableEntry {
  int32_t Id;
  const char16_t* Text;
};

constexpr TZFTableEntry kEnglishTable[] = {
    {10096, u"US: default"},
    {10098, u"Language Neutral"},
    {10101, u"Fatal Error in DLL: abort exception"},
    {10102, u"Error - no zip file specified!"},
    {10103, u"Requested memory not available"},
    {10106, u"Exception in Event handler "},
    {10109, u"not Active"},
    {10112, u"Busy + %s"},
    {10113, u"Exception in Event "},
    {10124, u"critical DLL Error %d"},
    {10125, u" Unknown error %d"},
    {10126, u"Skipped %s %d"},
    {10128, u"User Abort"},
    {10130, u"Error Exception: "},
    {10131, u"Skipping not allowed"},
    {10151, u"Error - no extract password given"},
    {10154, u"Password"},
    {10155, u"Enter Password "},
    {10201, u"Seek error reading Zip archive!"},
    {10202, u"Unknown error in List() function"},
    {10203, u"Warning - Error in zip structure!"},
    {10220, u"&Yes"},
    {10221, u"&No"},
    {10222, u"&OK"},
    {10223, u"&Cancel"},
    {10224, u"&Abort"},
    {10225, u"&Retry"},
    {10226, u"&Ignore"},
    {10227, u"CancelAll"},
    {10228, u"NoToAll"},
    {10229, u"YesToAll"},
    {10311, u"Invalid zip file"},
    {10502, u"Warning - Unattended Extract: possible not all files extracted"},
    {10504, u"Extract directory '%s' must exist"},
    {10650, u"Failed to load %s"},
    {10651, u"Unable to load %s - It is old or corrupt"},
    {10652, u"Loaded %s"},
    {10653, u"Unloaded %s"},
    {10654, u"Error [%d %s] loading %s"},
    {11001, u"Input file does not exist"},
    {11002, u"Zip file could not be opened"},
    {11007, u"User canceled operation"},
    {11008, u"Seek error in input file"},
    {11011, u"Error while reading the End Of Central Directory"},
    {11013, u"Error while reading a central header"},
    {11015, u"A central header signature is wrong"},
    {11017, u"Error while reading a central file name"},
    {11022, u"Error while reading a file comment"},
    {11036, u"This archive is not a valid Zip archive"},
    {11049, u"Unknown Error"},
    {11052, u"Error reading Zip64 field"},
    {11053, u"Unsupported zip version"},
    {11603, u"System error: %d"},
    {11604, u"Trace: "},
    {11605, u"info: "},
    {11648, u"Good"},
    {11649, u"Cancelled"},
    {11650, u"Aborted by User!"},
    {11651, u"Callback exception"},
    {11652, u"No memory"},
    {11653, u"Invalid structure"},
    {11654, u"Fatal error"},
    {11655, u"Password failed!"},
    {11656, u"Password cancelled!"},
    {11657, u"Invalid zip structure!"},
    {11658, u"No Central directory!"},
    {11659, u"Unexpected end of Zip file!"},
    {11660, u"Premature end of file!"},
    {11661, u"Error opening Zip file!"},
    {11662, u"Multi-part Zips not supported!"},
    {11663, u"File not found!"},
    {11664, u"Internal logic error!"},
    {11665, u"Nothing to do!"},
    {11666, u"Bad Options specified!"},
    {11667, u"Temporary file failure!"},
    {11668, u"File not found or no permission!"},
    {11669, u"Error reading file!"},
    {11670, u"Error creating file!"},
    {11671, u"Error writing file!"},
    {11672, u"Error seeking in file!"},
    {11673, u"Missing or empty zip file!"},
    {11674, u"Invalid characters in filename!"},
    {11675, u"Error "},
    {11676, u"Nothing found"},
    {11677, u"Warning: "},
    {11678, u"Delete failed"},
    {11679, u"Fatal Error - could not import symbol!"},
    {11680, u"Skipping: "},
    {11681, u"File locked"},
    {11682, u"Access denied"},
    {11683, u"Duplicate internal name"},
};

constexpr bool IsSortedById() {
  for (size_t I = 1; I < std::size(kEnglishTable); ++I) {
    if (kEnglishTable[I - 1].Id >= kEnglishTable[I].Id) return false;
  }
  return true;
}
static_assert(IsSortedById(), "the table is searched by bisection");

}  // namespace

std::optional<String> BuiltInZipStr(int32_t Id) {
  const auto* End = std::end(kEnglishTable);
  const auto* Found =
      std::lower_bound(std::begin(kEnglishTable), End, Id,
                       [](const TZFTableEntry& Entry, int32_t Key) { return Entry.Id < Key; });
  if (Found == End || Found->Id != Id) return std::nullopt;
  return String(Found->Text);
}

std::vector<int32_t> BuiltInZipStrIds() {
  std::vector<int32_t> Ids;
  Ids.reserve(std::size(kEnglishTable));
  for (const auto& Entry : kEnglishTable) Ids.push_back(Entry.Id);
  return Ids;
}

}  // namespace vlm
