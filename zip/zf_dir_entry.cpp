// zip/zf_dir_entry.cpp -- reading one central-directory entry, its Zip64 fields and the decoding
// of its name and comment; the view's forwarding handle.
//
// Central file header (46 bytes, then name, extra field, comment):
//   offset size field
//    0  4  signature 50 4B 01 02
//    4  2  version made by (low byte version, high byte host system)   FVersionMadeBy
//    6  2  version needed                                              fVersionNeeded
//    8  2  general purpose flags (bit 0 encrypted, bit 11 UTF-8)       fFlag
//   10  2  compression method                                          fComprMethod
//   12  4  modification time and date (DOS)                            fModifDateTime
//   16  4  CRC-32                                                      fCRC32
//   20  4  compressed size                                             fComprSize
//   24  4  uncompressed size                                           fUnComprSize
//   28  2  name length                                                 fFileNameLen
//   30  2  extra field length
//   32  2  comment length                                              fFileComLen
//   34  2  disk number start                                           fDiskStart
//   36  2  internal attributes                                         fIntFileAtt
//   38  4  external attributes                                         fExtFileAtt
//   42  4  offset of the local header                                  fRelOffLocal
//   46  n  name, extra field, comment
//
// Extra-field blocks used:
//   0x0001 Zip64: 8 uncompressed size, 8 compressed size, 8 local header offset, 4 disk number;
//          each present only when its header field holds all ones, in this order.
//   0x7075 Unicode path:    1 version (1), 4 CRC-32 of the raw name,    UTF-8 name
//   0x6375 Unicode comment: 1 version (1), 4 CRC-32 of the raw comment, UTF-8 comment
#include "zip/zf_dir_entry.h"

#include "runtime/code_page.h"
#include "runtime/upper_case.h"
#include "zip/format/zip_format.h"
#include "zip/zf_work_file.h"
#include "zip/zf_zip_file.h"
#include "zip/zip_bytes.h"
#include "zip/zip_messages.h"

namespace vlm {
namespace {

constexpr uint32_t kCentralSignature = 0x02014B50;
constexpr int64_t kCentralHeaderSize = 46;
using zipformat::kUnicodeCommentTag;
using zipformat::kUnicodePathTag;

}  // namespace

// ---- TZFDirEntry ------------------------------------------------------------------------------

TDateTime TZFDirEntry::DateStamp() const {
  const zipformat::TDosParts P = zipformat::DosParts(DateTime());
  TDateTime Day = 0, Clock = 0;
  if (!TryEncodeDate(P.Year, P.Month, P.Day, Day)) return 0;
  if (!TryEncodeTime(P.Hour, P.Minute, P.Second, 0, Clock)) return 0;
  return ComposeDateTime(Day, Clock);
}

std::string TZFDirRec::ExtraData(uint16_t Tag) const {
  std::string_view Data;
  return zipformat::FindExtraBlock(FExtraField, Tag, Data) ? std::string(Data) : std::string();
}

// ---- TZFIRec ---------------------------------------------------------------------------------

int TZFIRec::Read(TZFWorkFile& File) {
  fStatusBits |= zsbReading;
  uint8_t H[kCentralHeaderSize];
  if (File.ReadUpTo(H, kCentralHeaderSize) != kCentralHeaderSize) return -kZipMsgReadCentral;
  if (GetU32LE(H) != kCentralSignature) return -kZipMsgCentralSignature;

  FVersionMadeBy = GetU16LE(H + 4);
  fVersionNeeded = GetU16LE(H + 6);
  fFlag = GetU16LE(H + 8);
  fComprMethod = GetU16LE(H + 10);
  fModifDateTime = GetU32LE(H + 12);
  fCRC32 = GetU32LE(H + 16);
  fComprSize = GetU32LE(H + 20);
  fUnComprSize = GetU32LE(H + 24);
  fFileNameLen = GetU16LE(H + 28);
  const uint16_t ExtraLength = GetU16LE(H + 30);
  fFileComLen = GetU16LE(H + 32);
  fDiskStart = GetU16LE(H + 34);
  fIntFileAtt = GetU16LE(H + 36);
  fExtFileAtt = GetU32LE(H + 38);
  fRelOffLocal = GetU32LE(H + 42);

  // At most 3 x 65535 bytes, all in one read.
  const size_t Total = size_t{fFileNameLen} + ExtraLength + fFileComLen;
  std::string Variable(Total, '\0');
  const int64_t Got = File.ReadUpTo(Variable.data(), static_cast<int64_t>(Total));
  if (Got < static_cast<int64_t>(Total)) {
    if (Got < fFileNameLen) return -kZipMsgReadName;
    if (Got < fFileNameLen + ExtraLength) return -kZipMsgSeekError;
    return -kZipMsgReadComment;
  }
  fHeaderName = Variable.substr(0, fFileNameLen);
  fOrigHeaderName = fHeaderName;
  FExtraField = Variable.substr(fFileNameLen, ExtraLength);
  fHeaderComment = Variable.substr(size_t{fFileNameLen} + ExtraLength, fFileComLen);
  fStatusBits &= ~zsbReading;
  if (!fHeaderName.empty() && fHeaderName.back() == '/') fStatusBits |= zsbDirOnly;

  return ApplyZip64Block();
}

int TZFIRec::ApplyZip64Block() {
  zipformat::TZip64Fields Fields{fUnComprSize, fComprSize, fRelOffLocal, fDiskStart};
  const zipformat::TZip64Result Result =
      zipformat::ApplyZip64Block(FExtraField, fVersionNeeded, Fields);
  fUnComprSize = Fields.UncompressedSize;
  fComprSize = Fields.CompressedSize;
  fRelOffLocal = Fields.LocalOffset;
  fDiskStart = Fields.DiskStart;
  switch (Result) {
    case zipformat::TZip64Result::None: return 0;
    case zipformat::TZip64Result::Applied: return 1;
    case zipformat::TZip64Result::Short: return -kZipMsgZip64Field;
  }
  return 0;
}

TZFEncodingOpts TZFIRec::DetectEncoding() const {
  return static_cast<TZFEncodingOpts>(
      zipformat::DetectNameCoding(fFlag, FVersionMadeBy, FExtraField, fHeaderName, fHeaderComment));
}

TZFEncodingOpts TZFIRec::Encoded() const {
  if (FSettings != nullptr && FSettings->Encoding != zeoAuto) return FSettings->Encoding;
  const uint32_t Cached = (fStatusBits & zsbEncodingMask) >> zsbEncodingShift;
  if (Cached != 0) return static_cast<TZFEncodingOpts>(Cached);
  const TZFEncodingOpts Detected = DetectEncoding();
  fStatusBits = (fStatusBits & ~zsbEncodingMask) | (uint32_t{Detected} << zsbEncodingShift);
  return Detected;
}

String TZFIRec::DecodeText(const std::string& Raw, uint16_t UnicodeTag) const {
  return zipformat::DecodeEntryText(static_cast<zipformat::TNameCoding>(Encoded()), Raw,
                                    FExtraField, UnicodeTag,
                                    FSettings ? FSettings->Encoding_CP : 0);
}

String TZFIRec::FileName() const {
  if (!fFileName) {
    String Name = DecodeText(fHeaderName, kUnicodePathTag);
    for (char16_t& C : Name) {
      if (C == u'/') C = u'\\';
    }
    fFileName = std::move(Name);
  }
  return *fFileName;
}

String TZFIRec::FileComment() const {
  return DecodeText(fHeaderComment, kUnicodeCommentTag);
}

uint32_t TZFIRec::Hash() const {
  if ((fStatusBits & zsbHashValid) == 0) {
    FHash = ZipNameHash(UpperCase(FileName()));
    fStatusBits |= zsbHashValid;
  }
  return FHash;
}

void TZFIRec::SetRawForTesting(std::string Name, std::string Extra, std::string Comment,
                               uint16_t Flag, uint16_t VersionMadeBy) {
  fHeaderName = std::move(Name);
  fOrigHeaderName = fHeaderName;
  FExtraField = std::move(Extra);
  fHeaderComment = std::move(Comment);
  fFileNameLen = static_cast<uint16_t>(fHeaderName.size());
  fFileComLen = static_cast<uint16_t>(fHeaderComment.size());
  fFlag = Flag;
  FVersionMadeBy = VersionMadeBy;
  fStatusBits = 0;
  if (!fHeaderName.empty() && fHeaderName.back() == '/') fStatusBits |= zsbDirOnly;
  fFileName.reset();
}

// ---- TZFCentralEntry --------------------------------------------------------------------------

const TZFIRec* TZFCentralEntry::Lookup(const TZFZipFile* Archive) const {
  if (Archive == nullptr || Archive->CheckNo() != FCheckNo) return nullptr;
  if (FIndex < 0 || FIndex >= Archive->Count()) return nullptr;
  return &Archive->Entry(FIndex);
}

bool TZFCentralEntry::IsValid() const {
  const std::shared_ptr<const TZFZipFile> Archive = FArchive.lock();
  return Lookup(Archive.get()) != nullptr;
}

// clang-format off
uint64_t TZFCentralEntry::CompressedSize() const { return Forward<uint64_t>([](const TZFIRec& E) { return E.CompressedSize(); }); }
uint16_t TZFCentralEntry::CompressionMethod() const { return Forward<uint16_t>([](const TZFIRec& E) { return E.CompressionMethod(); }); }
uint32_t TZFCentralEntry::CRC32() const { return Forward<uint32_t>([](const TZFIRec& E) { return E.CRC32(); }); }
uint32_t TZFCentralEntry::DateTime() const { return Forward<uint32_t>([](const TZFIRec& E) { return E.DateTime(); }); }
TZFEncodingOpts TZFCentralEntry::Encoded() const { return Forward<TZFEncodingOpts>([](const TZFIRec& E) { return E.Encoded(); }); }
bool TZFCentralEntry::Encrypted() const { return Forward<bool>([](const TZFIRec& E) { return E.Encrypted(); }); }
uint32_t TZFCentralEntry::ExtFileAttrib() const { return Forward<uint32_t>([](const TZFIRec& E) { return E.ExtFileAttrib(); }); }
std::string TZFCentralEntry::ExtraData(uint16_t Tag) const { return Forward<std::string>([Tag](const TZFIRec& E) { return E.ExtraData(Tag); }); }
std::string TZFCentralEntry::ExtraField() const { return Forward<std::string>([](const TZFIRec& E) { return E.ExtraField(); }); }
uint16_t TZFCentralEntry::ExtraFieldLength() const { return Forward<uint16_t>([](const TZFIRec& E) { return E.ExtraFieldLength(); }); }
String TZFCentralEntry::FileComment() const { return Forward<String>([](const TZFIRec& E) { return E.FileComment(); }); }
uint16_t TZFCentralEntry::FileCommentLen() const { return Forward<uint16_t>([](const TZFIRec& E) { return E.FileCommentLen(); }); }
String TZFCentralEntry::FileName() const { return Forward<String>([](const TZFIRec& E) { return E.FileName(); }); }
uint16_t TZFCentralEntry::FileNameLength() const { return Forward<uint16_t>([](const TZFIRec& E) { return E.FileNameLength(); }); }
uint16_t TZFCentralEntry::Flag() const { return Forward<uint16_t>([](const TZFIRec& E) { return E.Flag(); }); }
std::string TZFCentralEntry::HeaderName() const { return Forward<std::string>([](const TZFIRec& E) { return E.HeaderName(); }); }
uint16_t TZFCentralEntry::IntFileAttrib() const { return Forward<uint16_t>([](const TZFIRec& E) { return E.IntFileAttrib(); }); }
uint64_t TZFCentralEntry::RelOffLocalHdr() const { return Forward<uint64_t>([](const TZFIRec& E) { return E.RelOffLocalHdr(); }); }
uint32_t TZFCentralEntry::StartOnDisk() const { return Forward<uint32_t>([](const TZFIRec& E) { return E.StartOnDisk(); }); }
uint32_t TZFCentralEntry::StatusBits() const { return Forward<uint32_t>([](const TZFIRec& E) { return E.StatusBits(); }); }
uint64_t TZFCentralEntry::UncompressedSize() const { return Forward<uint64_t>([](const TZFIRec& E) { return E.UncompressedSize(); }); }
uint16_t TZFCentralEntry::VersionMadeBy() const { return Forward<uint16_t>([](const TZFIRec& E) { return E.VersionMadeBy(); }); }
uint16_t TZFCentralEntry::VersionNeeded() const { return Forward<uint16_t>([](const TZFIRec& E) { return E.VersionNeeded(); }); }
// clang-format on

}  // namespace vlm
