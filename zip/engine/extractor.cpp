// zip/engine/extractor.cpp -- the extraction rules, entry by entry.
#include "zip/engine/extractor.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <string>
#include <unordered_set>

#include "runtime/code_page.h"
#include "runtime/file_system.h"
#include "runtime/upper_case.h"
#include "zip/engine/archive_reader.h"
#include "zip/engine/callback_channel.h"
#include "zip/engine/decode_ahead.h"
#include "zip/engine/engine_files.h"
#include "zip/engine/entry_data.h"
#include "zip/engine/name_case.h"
#include "zip/engine/target_path.h"
#include "zip/engine/wildcard.h"
#include "zip/engine/zip_crypto.h"

namespace vlm::zipengine {
namespace {

// Highest "version needed to extract" whose features this engine may meet (APPNOTE 6.3).
constexpr unsigned kMaxVersionNeeded = 63;
// How often a free temporary name is looked for before the entry fails.
constexpr int kTempNameAttempts = 100;
// Temporary files are "~vz<n>.part"; in upper case every such name starts with this.
constexpr std::u16string_view kTempPrefixUpper = u"~VZ";
constexpr uint16_t kFlagStrongEncryption = 0x40;
constexpr uint16_t kFlagEncryptedDirectory = 0x2000;

String Dec(uint64_t Value) {
  return Utf8ToString(std::to_string(Value));
}

// The start of the message for a name TargetPathFor refused; the name follows it.
String RefusalText(TPathRefusal Refusal, StringView What, StringView Done) {
  switch (Refusal) {
    case TPathRefusal::TooLong:
      return u"Path too long (limit " + Dec(MaxPathLength()) + u"), " + String(What) + u" not " +
             String(Done) + u": ";
    case TPathRefusal::TooDeep:
      return u"Path deeper than " + Dec(kMaxFolderDepth) + u" folders, " + String(What) + u" not " +
             String(Done) + u": ";
    default: return u"Invalid " + String(What) + u" name, not " + String(Done) + u": ";
  }
}

// The outcome of one entry.
enum class TEntryOutcome { Written, NotWritten };

// Whether the engine can decode the entry at all: CheckSupported refuses the others.
bool IsDecodable(const TCentralEntry& Entry) {
  return (Entry.VersionNeeded & 0xFFu) <= kMaxVersionNeeded &&
         (Entry.Flag & (kFlagStrongEncryption | kFlagEncryptedDirectory)) == 0 &&
         (Entry.Method == 0 || Entry.Method == 8 || Entry.Method == 9);
}

class TExtractor {
public:
  TExtractor(const TDLLCommands& Command, TCallbackChannel& Callbacks)
      : FCommand(Command),
        FCallbacks(Callbacks),
        FTest((Command.fOptions & VZ_OPT_OPERATION_MASK) == VZ_OPT_OP_TEST),
        FDirNames((Command.fOptions & VZ_OPT_DIR_NAMES) != 0),
        FOverwrite((Command.fOptions & VZ_OPT_OVERWRITE) != 0),
        FUpdate((Command.fOptions & VZ_OPT_UPDATE) != 0),
        FFreshen((Command.fOptions & VZ_OPT_FRESHEN) != 0),
        FPasswordRequests(Command.fPwdReqCount) {}

  int32_t Run();

private:
  TEntryOutcome Extract(const TCentralEntry& Entry, uint32_t Index, const String& Name,
                        size_t Position);
  std::vector<TDecodeJob> DecodeJobs(const std::vector<std::pair<uint32_t, String>>& Selected);
  TEntryOutcome Skip(const String& Name, int32_t Error, int32_t Reason);
  TEntryOutcome Fail(const String& Name, int32_t Error, const String& Text, int32_t Reason);
  bool CheckSupported(const TCentralEntry& Entry, const String& Name, TEntryOutcome& Outcome);
  std::optional<TZipDecrypter> Decrypter(const TCentralEntry& Entry, const String& Name,
                                         uint64_t DataStart);
  std::optional<TZipDecrypter> TryPassword(const String& Password, const uint8_t (&Header)[12],
                                           uint8_t CheckByte);
  bool MakeFolders(const TTargetPath& Target, const std::vector<TPathKind>& Kinds);
  void CreateFolderEntry(const String& Name);
  void NoteTempLikeNames(StringView Name);
  std::unique_ptr<TNewFile> CreateTempFile(const TTargetPath& Target, String& TempPath);

  const TDLLCommands& FCommand;
  TCallbackChannel& FCallbacks;
  const bool FTest, FDirNames, FOverwrite, FUpdate, FFreshen;
  uint32_t FPasswordRequests;
  bool FPasswordsStopped = false;
  String FPassword;
  String FBaseDir;
  TArchiveReader FReader;
  TNameCase FNames;  // letter case ignored as on Windows, on every build
  uint32_t FTempCounter = 0;
  // Upper-cased name components of the archive's entries that look like temporary names.
  std::unordered_set<String> FTempLikeNames;
  TEntryDecoder FDecoder;  // buffers and inflate state kept for the whole extraction
  TDosTimeCache FTimes;
  TDecodeAhead* FAhead = nullptr;  // during Run: the entries decoded on the helper thread
};

TEntryOutcome TExtractor::Skip(const String& Name, int32_t Error, int32_t Reason) {
  if (FCallbacks.Skipped(Name, Error, Reason)) throw TOperationEnd{-VZ_ERR_SKIPPING};
  return TEntryOutcome::NotWritten;
}

TEntryOutcome TExtractor::Fail(const String& Name, int32_t Error, const String& Text,
                               int32_t Reason) {
  FCallbacks.Message(Error, Text);
  return Skip(Name, Error, Reason);
}

bool TExtractor::CheckSupported(const TCentralEntry& Entry, const String& Name,
                                TEntryOutcome& Outcome) {
  const unsigned Needed = Entry.VersionNeeded & 0xFFu;
  if (Needed > kMaxVersionNeeded) {
    Outcome = Fail(Name, VZ_ERR_ERROR,
                   u"Unsupported zip version " + Dec(Needed / 10) + u"." + Dec(Needed % 10) +
                       u" needed for file: " + Name,
                   VZ_SKIP_ZIP_FILE_FORMAT_WRONG);
    return false;
  }
  if (Entry.Flag & (kFlagStrongEncryption | kFlagEncryptedDirectory)) {
    Outcome = Fail(Name, VZ_ERR_ERROR, u"Unsupported encryption for file: " + Name,
                   VZ_SKIP_ZIP_FILE_FORMAT_WRONG);
    return false;
  }
  if (Entry.Method != 0 && Entry.Method != 8 && Entry.Method != 9) {
    Outcome = Fail(Name, VZ_ERR_ERROR,
                   u"Unsupported compression method " + Dec(Entry.Method) + u" for file: " + Name,
                   VZ_SKIP_COMPRESSION_UNKNOWN);
    return false;
  }
  return true;
}

std::optional<TZipDecrypter> TExtractor::TryPassword(const String& Password,
                                                     const uint8_t (&Header)[12],
                                                     uint8_t CheckByte) {
  // Archivers differ in how they turn a password into bytes: the ANSI code page first, UTF-8 next.
  const std::string Ansi = EncodeCodePage(kCodePageAnsi, Password);
  const std::string Utf8 = StringToUtf8(Password);
  for (const std::string* Bytes : {&Ansi, &Utf8}) {
    TZipDecrypter D(*Bytes);
    if (D.CheckHeader(Header, CheckByte)) return D;
    if (Ansi == Utf8) break;
  }
  return std::nullopt;
}

// Finds a working password: the current one, then up to fPwdReqCount requests (action 10).
// Answers: 1 try the returned password (Arg1 limits further requests), 3 stop all requests in
// this operation, anything else gives up on this entry.
std::optional<TZipDecrypter> TExtractor::Decrypter(const TCentralEntry& Entry, const String& Name,
                                                   uint64_t DataStart) {
  uint8_t Header[12];
  if (FReader.ReadAt(DataStart, Header, sizeof Header) != sizeof Header) return std::nullopt;
  const uint8_t CheckByte = Entry.HasDataDescriptor() ? static_cast<uint8_t>(Entry.DosDateTime >> 8)
                                                      : static_cast<uint8_t>(Entry.Crc32 >> 24);
  if (!FPassword.empty()) {
    if (auto D = TryPassword(FPassword, Header, CheckByte)) return D;
  }
  uint32_t Remaining = FPasswordRequests;
  while (!FPasswordsStopped && Remaining > 0) {
    const int32_t Answer = FCallbacks.Call(VZ_ACT_PASSWORD, &Name, nullptr, 0, Remaining);
    if (Answer == 3) {
      FPasswordsStopped = true;
      break;
    }
    if (Answer != 1) break;
    FPassword = FCallbacks.AnswerText();
    Remaining = std::min(Remaining - 1, FCallbacks.AnswerArg1());
    if (FPassword.empty()) continue;
    if (auto D = TryPassword(FPassword, Header, CheckByte)) return D;
  }
  return std::nullopt;
}

// Creates the target's missing folders. Kinds holds what MatchExisting found for each of them.
bool TExtractor::MakeFolders(const TTargetPath& Target, const std::vector<TPathKind>& Kinds) {
  for (size_t I = 0; I < Target.FolderCount(); ++I) {
    const String Folder = Target.Folder(I);
    const TPathKind Kind = I < Kinds.size() ? Kinds[I] : KindOfPath(Folder);
    if (Kind == TPathKind::Folder) continue;
    if (Kind == TPathKind::File) return false;
    if (!CreateDir(Folder)) {
      // Made by someone else since it was looked at (a callback came in between): fine.
      if (KindOfPath(Folder) == TPathKind::Folder) continue;
      return false;
    }
    FNames.AddedFolder(Folder);
  }
  return true;
}

void TExtractor::CreateFolderEntry(const String& Name) {
  String Folder = Name;
  while (!Folder.empty() && Folder.back() == u'\\') Folder.pop_back();
  if (Folder.empty()) return;
  TPathRefusal Refusal;
  auto Target = TargetPathFor(FBaseDir, Folder, &Refusal);
  // The folder itself is one level more than a file's parents.
  if (Target && Target->Components.size() > kMaxFolderDepth) {
    Target.reset();
    Refusal = TPathRefusal::TooDeep;
  }
  if (!Target) {
    FCallbacks.Message(VZ_ERR_INVALID_NAME, RefusalText(Refusal, u"folder", u"created") + Name);
    return;
  }
  TTargetPath& All = *Target;
  std::vector<TPathKind> Kinds;
  FNames.MatchExisting(All, Kinds);
  All.FolderEnds.push_back(All.Path.size());
  if (!MakeFolders(All, Kinds)) FCallbacks.Message(VZ_ERR_CREATE, u"Cannot create folder: " + Name);
}

// Remembers each component of an entry name that could be one of the engine's temporary names.
void TExtractor::NoteTempLikeNames(StringView Name) {
  size_t Start = 0;
  while (Start <= Name.size()) {
    const size_t End = std::min(Name.find(u'\\', Start), Name.size());
    const StringView Component = Name.substr(Start, End - Start);
    if (Component.size() > kTempPrefixUpper.size() &&
        SameText(Component.substr(0, kTempPrefixUpper.size()), kTempPrefixUpper)) {
      FTempLikeNames.insert(UpperCase(Component));
    }
    Start = End + 1;
  }
}

// Creates the temporary file beside Target. An entry may itself be named like a temporary file
// ("~vz1.part"): a candidate that equals, without regard to letter case, the target's own name or
// any component of an entry's name is passed over, so the temporary file is never the target
// (whose no-replace rename would then fail as if the target existed) nor a name a later entry
// needs. Only candidates that something on disk already holds count as failed attempts.
std::unique_ptr<TNewFile> TExtractor::CreateTempFile(const TTargetPath& Target, String& TempPath) {
  const String Folder = ExtractFilePath(Target.Path);
  const String TargetName = UpperCase(Target.Components.back());
  for (int Attempt = 0; Attempt < kTempNameAttempts;) {
    const String Name = u"~vz" + Dec(++FTempCounter) + u".part";
    const String Upper = UpperCase(Name);
    if (Upper == TargetName || FTempLikeNames.contains(Upper)) continue;
    ++Attempt;
    TempPath = Folder + Name;
    if (auto File = TNewFile::CreateNew(TempPath)) return File;
  }
  return nullptr;
}

// Position is the entry's place among the selected ones (its decode job).
TEntryOutcome TExtractor::Extract(const TCentralEntry& Entry, uint32_t Index, const String& Name,
                                  size_t Position) {
  TEntryOutcome Outcome;
  if (!CheckSupported(Entry, Name, Outcome)) return Outcome;
  if (Entry.Overlaps) {
    return Fail(Name, VZ_ERR_INVALID_ZIP,
                u"Data of file " + Name + u" overlaps the data of an earlier entry; not extracted",
                VZ_SKIP_GENERAL_EXTRACT_ERROR);
  }

  std::optional<TTargetPath> Target;
  std::vector<TPathKind> Kinds;  // of the target's folders, then of the file itself
  bool Replace = false;
  if (!FTest) {
    String ExtName = ExtractionName(Name, FDirNames);
    if (FCallbacks.Call(VZ_ACT_EXTRACT_NAME, &ExtName, &FBaseDir) == 1) {
      ExtName = NormalizeEntryName(FCallbacks.AnswerText());
    }
    TPathRefusal Refusal;
    Target = TargetPathFor(FBaseDir, ExtName, &Refusal);
    if (!Target) {
      return Fail(Name, VZ_ERR_INVALID_NAME, RefusalText(Refusal, u"file", u"extracted") + Name,
                  VZ_SKIP_BAD_NAME);
    }
    FNames.MatchExisting(*Target, Kinds);
    const TPathKind Kind = Kinds.back();
    if (Kind == TPathKind::Folder) return Skip(Name, 0, VZ_SKIP_FILE_EXISTS);
    if (Kind == TPathKind::None && FFreshen) return Skip(Name, 0, VZ_SKIP_ON_FRESHEN);
    if (Kind == TPathKind::File) {
      const uint32_t Existing = FileDosDateTime(Target->Path).value_or(0);
      const bool Older = Existing < Entry.DosDateTime;
      const bool Default = Older ? FOverwrite : (FOverwrite && !FUpdate && !FFreshen);
      const int32_t Answer = FCallbacks.Call(VZ_ACT_OVERWRITE, &Name, nullptr, 0, Default ? 1 : 0,
                                             Index, Older ? 1 : 2);
      Replace = Answer == 1 || (Answer != 2 && Default);
      if (!Replace) return Skip(Name, 0, Older ? VZ_SKIP_NO_OVERWRITE : VZ_SKIP_FILE_EXISTS);
    }
  }

  uint64_t DataStart = 0;
  if (const int Error = FReader.LocateData(Entry, DataStart)) {
    return Fail(Name, Error, u"Invalid local header or data position for file: " + Name,
                VZ_SKIP_GENERAL_EXTRACT_ERROR);
  }
  uint64_t DataSize = Entry.CompressedSize;
  std::optional<TZipDecrypter> Decrypt;
  if (Entry.IsEncrypted()) {
    if (DataSize < 12) {
      return Fail(Name, VZ_ERR_INVALID_ZIP, u"Invalid encrypted data for file: " + Name,
                  VZ_SKIP_GENERAL_EXTRACT_ERROR);
    }
    Decrypt = Decrypter(Entry, Name, DataStart);
    if (!Decrypt) return Skip(Name, VZ_ERR_PASSWORD_FAILED, VZ_SKIP_BAD_PASSWORD);
    DataStart += 12;
    DataSize -= 12;
  }

  // Output: a temporary file beside the target, or nothing when testing.
  std::unique_ptr<TNewFile> File;
  String TempPath;
  if (!FTest) {
    if (!MakeFolders(*Target, Kinds)) {
      return Fail(Name, VZ_ERR_CREATE, u"Cannot create folder for file: " + Name,
                  VZ_SKIP_GENERAL_EXTRACT_ERROR);
    }
    File = CreateTempFile(*Target, TempPath);
    if (!File) {
      return Fail(Name, VZ_ERR_CREATE, u"Cannot create file: " + Name, VZ_SKIP_NO_OPEN);
    }
  }
  // Removes the temporary file on every path that does not hand it over.
  struct TTempGuard {
    TNewFile* File;
    const String& Path;
    bool Keep = false;
    ~TTempGuard() {
      if (!File || Keep) return;
      File->Close();
      RemoveFile(Path);
    }
  } Guard{File.get(), TempPath};

  TOutputWriter Writer(File.get(), Entry.UncompressedSize, FCallbacks);
  TDecodeResult Result;
  bool CutShort = false;
  if (!Decrypt && FAhead && FAhead->Decodes(Position)) {
    Result = FAhead->Deliver(Position, Writer, CutShort);
  } else {
    if (FAhead) FAhead->DecodingInline(Position);
    TEntrySource Source(FReader, DataStart, DataSize, std::move(Decrypt));
    Result = FDecoder.Decode(Entry.Method, Source, Writer);
    CutShort = Source.CutShort();
  }

  if (Writer.WriteFailed()) {
    return Fail(Name, VZ_ERR_WRITE, u"Error writing file: " + Name, VZ_SKIP_GENERAL_EXTRACT_ERROR);
  }
  if (Writer.Oversize()) {
    return Fail(Name, VZ_ERR_ERROR,
                u"Data of file " + Name + u" exceeds its declared size of " +
                    Dec(Entry.UncompressedSize) + u" bytes; cut off, file not kept",
                VZ_SKIP_GENERAL_EXTRACT_ERROR);
  }
  if (CutShort || Result == TDecodeResult::InputEnded) {
    return Fail(Name, VZ_ERR_PREMATURE_EOF, u"Unexpected end of data for file: " + Name,
                VZ_SKIP_GENERAL_EXTRACT_ERROR);
  }
  if (Result != TDecodeResult::Done) {
    return Fail(Name, VZ_ERR_INVALID_ZIP, u"Invalid compressed data for file: " + Name,
                VZ_SKIP_GENERAL_EXTRACT_ERROR);
  }
  if (Writer.Written() != Entry.UncompressedSize) {
    return Fail(Name, VZ_ERR_ERROR,
                u"Data of file " + Name + u" is shorter than its declared size of " +
                    Dec(Entry.UncompressedSize) + u" bytes; file not kept",
                VZ_SKIP_GENERAL_EXTRACT_ERROR);
  }

  const bool CrcGood = Writer.Crc32() == Entry.Crc32;
  if (FTest) {
    if (CrcGood) return TEntryOutcome::Written;
    FCallbacks.Message(VZ_ERR_ERROR, u"File " + Name + u" has a CRC error");
    return TEntryOutcome::NotWritten;
  }

  // Complete: give it the entry's time, close, and only then let it appear under its name.
  File->SetDosDateTime(Entry.DosDateTime, FTimes);
  if (!File->Close()) {
    return Fail(Name, VZ_ERR_WRITE, u"Error writing file: " + Name, VZ_SKIP_GENERAL_EXTRACT_ERROR);
  }
  if (!RenameFile(TempPath, Target->Path, Replace)) {
    // The temporary file is never the target itself, so an existing target is a real one that
    // appeared meanwhile: never replaced.
    if (!Replace && KindOfPath(Target->Path) != TPathKind::None) {
      return Skip(Name, 0, VZ_SKIP_FILE_EXISTS);
    }
    return Fail(Name, VZ_ERR_CREATE, u"Cannot create file: " + Name, VZ_SKIP_NO_ACCESS);
  }
  Guard.Keep = true;
  FNames.Added(Target->Path);

  if (!CrcGood) {
    const int32_t Answer =
        FCallbacks.Call(VZ_ACT_CRC_ERROR, &Name, nullptr, 0, Writer.Crc32(), Entry.Crc32);
    if (Answer == 1) return TEntryOutcome::Written;  // the front end accepts the mismatch
    if (Answer == 3) {
      RemoveFile(Target->Path);
      return TEntryOutcome::NotWritten;
    }
    FCallbacks.Message(VZ_ERR_ERROR, u"After extraction, file " + Name + u" had a CRC error");
    if (Entry.IsEncrypted()) {
      FCallbacks.Message(VZ_ERR_PASSWORD_FAILED, u"May be Bad Password for file: " + Name);
    }
    return TEntryOutcome::NotWritten;
  }
  FCallbacks.Message(0, u"Extracted: " + Name);
  return TEntryOutcome::Written;
}

// The selected entries' data as the helper thread decodes it: only entries whose decoding needs
// nothing from the front end (supported, not encrypted, data located) go to the helper. With one
// processor a helper could only take turns with the calling thread: none is started then.
std::vector<TDecodeJob> TExtractor::DecodeJobs(
    const std::vector<std::pair<uint32_t, String>>& Selected) {
  std::vector<TDecodeJob> Jobs(Selected.size());
  if (UsableProcessors() < 2) return Jobs;
  for (size_t Position = 0; Position < Selected.size(); ++Position) {
    const TCentralEntry& Entry = FReader.Entries()[Selected[Position].first];
    TDecodeJob& Job = Jobs[Position];
    if (!IsDecodable(Entry) || Entry.IsEncrypted()) continue;
    if (FReader.LocateData(Entry, Job.DataStart) != 0) continue;
    Job.Ahead = true;
    Job.Method = Entry.Method;
    Job.DataSize = Entry.CompressedSize;
    Job.DeclaredSize = Entry.UncompressedSize;
  }
  return Jobs;
}

int32_t TExtractor::Run() {
  const std::optional<String> ArchiveName = FCallbacks.Argument(VZ_ARG_FILE_NAME);
  if (!ArchiveName || ArchiveName->empty()) return -VZ_ERR_OPEN_ZIP;
  FPassword = FCallbacks.Argument(VZ_ARG_PASSWORD).value_or(String());
  FBaseDir = FCallbacks.Argument(VZ_ARG_BASE_DIR).value_or(String());
  const std::vector<String> Include = FCallbacks.FileSpecifications(VZ_ARG_FSPEC);
  const std::vector<String> Exclude = FCallbacks.FileSpecifications(VZ_ARG_FSPEC_EXCL);

  if (const int Error = FReader.Open(*ArchiveName, static_cast<TNameEncoding>(FCommand.fEncodedAs),
                                     FCommand.fFromPage)) {
    return -Error;
  }
  if (!FTest && !FBaseDir.empty()) {
    String Base = FBaseDir;
    while (Base.size() > 1 && (Base.back() == u'\\' || Base.back() == u'/')) Base.pop_back();
    if (KindOfPath(Base) != TPathKind::Folder) return -VZ_ERR_NOT_FOUND;
  }

  // Selection, in central-directory order. Folder entries are not items: they create nothing,
  // or (with folder names kept) their folder.
  std::vector<std::pair<uint32_t, String>> Selected;
  uint64_t TotalSize = 0;
  const auto& Entries = FReader.Entries();
  for (uint32_t I = 0; I < Entries.size(); ++I) {
    String Name = NormalizeEntryName(Entries[I].Name);
    NoteTempLikeNames(Name);
    if (!IsSelected(Include, Exclude, Name)) continue;
    if (IsFolderEntryName(Entries[I].Name)) {
      if (FDirNames && !FTest) CreateFolderEntry(Name);
      continue;
    }
    TotalSize += std::min<uint64_t>(Entries[I].UncompressedSize,
                                    std::numeric_limits<int64_t>::max() - TotalSize);
    Selected.emplace_back(I, std::move(Name));
  }

  FCallbacks.Call(VZ_ACT_TOTAL_COUNT, nullptr, nullptr, 0, static_cast<uint32_t>(Selected.size()));
  FCallbacks.Call(VZ_ACT_TOTAL_SIZE, nullptr, nullptr, static_cast<int64_t>(TotalSize));
  // Stopped and joined on every way out, before the reader it reads goes.
  TDecodeAhead Ahead(FReader, DecodeJobs(Selected));
  FAhead = &Ahead;
  struct TForget {
    TDecodeAhead*& Ahead;
    ~TForget() { Ahead = nullptr; }
  } Forget{FAhead};
  int32_t Count = 0;
  for (size_t Position = 0; Position < Selected.size(); ++Position) {
    const auto& [Index, Name] = Selected[Position];
    const TCentralEntry& Entry = Entries[Index];
    const int64_t Size = static_cast<int64_t>(
        std::min<uint64_t>(Entry.UncompressedSize, std::numeric_limits<int64_t>::max()));
    Ahead.Reached(Position);
    FCallbacks.Call(VZ_ACT_NEW_ITEM, &Name, nullptr, Size);
    if (Extract(Entry, Index, Name, Position) == TEntryOutcome::Written && Count < INT32_MAX) {
      ++Count;
    }
    // Answer 1 to the end of an item: stop after it (the front end's Stop).
    if (FCallbacks.Call(VZ_ACT_NEW_ITEM, &Name, nullptr, -1) == 1) break;
  }
  FCallbacks.Call(VZ_ACT_END_OF_BATCH);
  return Count;
}

}  // namespace

int32_t RunExtract(const TDLLCommands& Command) {
  TAbortRegistration Abort;
  TCallbackChannel Callbacks(Command, Abort);
  Callbacks.Call(VZ_ACT_OPERATION_KEY, nullptr, nullptr, 0, Abort.Key());
  TExtractor Extractor(Command, Callbacks);
  return Extractor.Run();
}

}  // namespace vlm::zipengine
