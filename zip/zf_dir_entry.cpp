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

#include <zlib.h>

#include "runtime/code_page.h"
#include "runtime/upper_case.h"
#include "zip/zf_work_file.h"
#include "zip/zf_zip_file.h"
#include "zip/zip_bytes.h"
#include "zip/zip_messages.h"

namespace vlm {
namespace {

constexpr uint32_t kCentralSignature = 0x02014B50;
constexpr int64_t kCentralHeaderSize = 46;
constexpr uint16_t kZip64Tag = 0x0001;
constexpr uint16_t kUnicodePathTag = 0x7075;
constexpr uint16_t kUnicodeCommentTag = 0x6375;
constexpr uint16_t kUtf8Flag = 0x0800;
// Zip64 fields are honoured from version 4.5 on.
constexpr unsigned kLowestZip64Version = 45;

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF, no truncated sequence.
bool IsValidUtf8(std::string_view Text) {
  const auto* P = BytesOf(Text);
  const size_t N = Text.size();
  size_t I = 0;
  while (I < N) {
    const uint8_t B = P[I];
    if (B < 0x80) {
      ++I;
      continue;
    }
    size_t Length;
    uint32_t Min, Code;
    if ((B & 0xE0) == 0xC0) {
      Length = 2, Min = 0x80, Code = B & 0x1F;
    } else if ((B & 0xF0) == 0xE0) {
      Length = 3, Min = 0x800, Code = B & 0x0F;
    } else if ((B & 0xF8) == 0xF0) {
      Length = 4, Min = 0x10000, Code = B & 0x07;
    } else {
      return false;
    }
    if (N - I < Length) return false;
    for (size_t K = 1; K < Length; ++K) {
      if ((P[I + K] & 0xC0) != 0x80) return false;
      Code = (Code << 6) | (P[I + K] & 0x3F);
    }
    if (Code < Min || Code > 0x10FFFF || (Code >= 0xD800 && Code <= 0xDFFF)) return false;
    I += Length;
  }
  return true;
}

uint32_t Crc32Of(std::string_view Bytes) {
  uLong Crc = crc32(0L, Z_NULL, 0);
  // zlib takes 32-bit lengths; names and comments are at most 65535 bytes.
  Crc = crc32(Crc, BytesOf(Bytes), static_cast<uInt>(Bytes.size()));
  return static_cast<uint32_t>(Crc);
}

// The UTF-8 text of a Unicode path or comment block that belongs to Raw: version 1, the CRC-32 of
// Raw, valid UTF-8. Returns false otherwise (the block then describes another name).
bool UnicodeBlockText(std::string_view Extra, uint16_t Tag, std::string_view Raw,
                      std::string_view& Utf8) {
  std::string_view Data;
  if (!FindExtraBlock(Extra, Tag, Data) || Data.size() < 5) return false;
  if (static_cast<uint8_t>(Data[0]) != 1) return false;
  if (GetU32LE(BytesOf(Data) + 1) != Crc32Of(Raw)) return false;
  Utf8 = Data.substr(5);
  return IsValidUtf8(Utf8);
}

bool NeedsConversion(std::string_view Raw) {
  for (const char C : Raw) {
    const auto B = static_cast<uint8_t>(C);
    if (B < 31 || B > 126) return true;
  }
  return false;
}

// Host systems whose names are in the OEM code page: MS-DOS (made-by 0..255), OS/2 HPFS
// (0x0600..0x06FF), and the one NTFS writer version (host 11, version 50) that used it.
bool IsOemHost(uint16_t VersionMadeBy) {
  return VersionMadeBy <= 255 || (VersionMadeBy >= 1536 && VersionMadeBy <= 1791) ||
         VersionMadeBy == 2866;
}

}  // namespace

// ---- TZFDirEntry ------------------------------------------------------------------------------

TDateTime TZFDirEntry::DateStamp() const {
  const uint32_t Dos = DateTime();
  const uint32_t Date = Dos >> 16, Time = Dos & 0xFFFF;
  TDateTime Day = 0, Clock = 0;
  if (!TryEncodeDate(static_cast<int>((Date >> 9) & 0x7F) + 1980, (Date >> 5) & 0x0F, Date & 0x1F,
                     Day)) {
    return 0;
  }
  if (!TryEncodeTime(Time >> 11, (Time >> 5) & 0x3F, (Time & 0x1F) * 2, 0, Clock)) return 0;
  return ComposeDateTime(Day, Clock);
}

std::string TZFDirRec::ExtraData(uint16_t Tag) const {
  std::string_view Data;
  return FindExtraBlock(FExtraField, Tag, Data) ? std::string(Data) : std::string();
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

  if ((fVersionNeeded & 0xFF) < kLowestZip64Version) return 0;
  return ApplyZip64Block();
}

int TZFIRec::ApplyZip64Block() {
  std::string_view Data;
  if (!FindExtraBlock(FExtraField, kZip64Tag, Data)) return 0;
  const auto* P = BytesOf(Data);
  size_t Pos = 0;
  // Takes the next Width bytes of the block; false when the block is too short.
  auto Take = [&](size_t Width, uint64_t& Field) {
    if (Data.size() - Pos < Width) return false;
    Field = Width == 8 ? GetU64LE(P + Pos) : GetU32LE(P + Pos);
    Pos += Width;
    return true;
  };
  if (fUnComprSize == 0xFFFFFFFF && !Take(8, fUnComprSize)) return -kZipMsgZip64Field;
  if (fComprSize == 0xFFFFFFFF && !Take(8, fComprSize)) return -kZipMsgZip64Field;
  if (fRelOffLocal == 0xFFFFFFFF && !Take(8, fRelOffLocal)) return -kZipMsgZip64Field;
  if (fDiskStart == 0xFFFF) {
    uint64_t Disk = 0;
    if (!Take(4, Disk)) return -kZipMsgZip64Field;
    fDiskStart = static_cast<uint32_t>(Disk);
  }
  return 1;
}

TZFEncodingOpts TZFIRec::DetectEncoding() const {
  std::string_view Ignored;
  if ((fFlag & kUtf8Flag) != 0) return zeoUTF8;
  if (UnicodeBlockText(FExtraField, kUnicodePathTag, fHeaderName, Ignored)) return zeoUPath;
  if (UnicodeBlockText(FExtraField, kUnicodeCommentTag, fHeaderComment, Ignored)) return zeoUPath;
  if (IsOemHost(FVersionMadeBy)) return zeoOEM;
  return zeoNone;
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
  const TZFEncodingOpts Encoding = Encoded();
  String Text;
  if (Encoding == zeoUPath || NeedsConversion(Raw)) {
    switch (Encoding) {
      case zeoNone: {
        const unsigned CodePage = FSettings ? FSettings->Encoding_CP : 0;
        Text = DecodeCodePage(CodePage == 0 ? kCodePageAnsi : CodePage, Raw);
        break;
      }
      case zeoOEM: Text = DecodeCodePage(kCodePageOem, Raw); break;
      case zeoUTF8: Text = IsValidUtf8(Raw) ? Utf8ToString(Raw) : AnsiToString(Raw); break;
      case zeoUPath: {
        std::string_view Utf8;
        if (UnicodeBlockText(FExtraField, UnicodeTag, Raw, Utf8)) Text = Utf8ToString(Utf8);
        break;
      }
      case zeoAuto: break;
    }
  }
  if (Text.empty()) Text = AnsiToString(Raw);
  return Text;
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
