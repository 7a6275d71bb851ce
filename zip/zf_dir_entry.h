// zip/zf_dir_entry.h -- one central-directory entry of an archive: the public read-only view
// TZFDirEntry, the archive's own record TZFIRec (reading from the central directory, Zip64 fields,
// name and comment decoding) and TZFCentralEntry, the directory view's handle on a record that
// answers zero or empty once its archive has been reloaded or replaced.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "runtime/date_time.h"
#include "runtime/string.h"

namespace vlm {

class TZFWorkFile;
class TZFZipFile;

// How entry names and comments are decoded.
enum TZFEncodingOpts : uint8_t {
  zeoAuto,   // detect per entry
  zeoNone,   // the archive's code page Encoding_CP (0: the system ANSI code page)
  zeoOEM,    // the system OEM code page
  zeoUTF8,   // UTF-8 (not valid UTF-8: the ANSI code page)
  zeoUPath,  // the Unicode path (or comment) extra field
};

// The archive-wide decoding settings an entry consults.
struct TZFEncodingSettings {
  TZFEncodingOpts Encoding = zeoAuto;
  unsigned Encoding_CP = 0;  // a code page number; 0: the system ANSI code page
};

// fStatusBits of an entry.
inline constexpr uint32_t zsbChanged = 1;
inline constexpr uint32_t zsbSelected = 2;
inline constexpr uint32_t zsbDirOnly = 16;  // the raw name ends in "/"
inline constexpr uint32_t zsbReading = 32;  // being read from the central directory
inline constexpr uint32_t zsbHashValid = 256;
inline constexpr uint32_t zsbEncodingShift = 16;  // bits 16..18: detected encoding, 0 not yet
inline constexpr uint32_t zsbEncodingMask = 7u << zsbEncodingShift;

// The public, read-only view of an entry.
class TZFDirEntry {
public:
  virtual ~TZFDirEntry() = default;
  virtual uint64_t CompressedSize() const = 0;
  virtual uint16_t CompressionMethod() const = 0;
  virtual uint32_t CRC32() const = 0;
  virtual uint32_t DateTime() const = 0;  // DOS date (high 16 bits) and time (low 16 bits)
  virtual TZFEncodingOpts Encoded() const = 0;
  virtual bool Encrypted() const = 0;  // flag bit 0
  virtual uint32_t ExtFileAttrib() const = 0;
  // The data of the first complete extra-field block with Tag, empty when there is none.
  virtual std::string ExtraData(uint16_t Tag) const = 0;
  virtual std::string ExtraField() const = 0;
  virtual uint16_t ExtraFieldLength() const = 0;
  virtual String FileComment() const = 0;
  virtual uint16_t FileCommentLen() const = 0;
  // The decoded name, "/" replaced by "\".
  virtual String FileName() const = 0;
  virtual uint16_t FileNameLength() const = 0;
  virtual uint16_t Flag() const = 0;
  virtual std::string HeaderName() const = 0;  // the raw name bytes
  virtual uint16_t IntFileAttrib() const = 0;
  virtual uint64_t RelOffLocalHdr() const = 0;
  virtual uint32_t StartOnDisk() const = 0;
  virtual uint32_t StatusBits() const = 0;
  virtual uint64_t UncompressedSize() const = 0;
  virtual uint16_t VersionMadeBy() const = 0;
  virtual uint16_t VersionNeeded() const = 0;

  // The DOS date and time as a date-time value; 0 when they name no valid moment.
  TDateTime DateStamp() const;
  bool IsDirOnly() const { return (StatusBits() & zsbDirOnly) != 0; }
};

// An entry's fields as read from its central header.
class TZFDirRec : public TZFDirEntry {
public:
  uint64_t CompressedSize() const override { return fComprSize; }
  uint16_t CompressionMethod() const override { return fComprMethod; }
  uint32_t CRC32() const override { return fCRC32; }
  uint32_t DateTime() const override { return fModifDateTime; }
  bool Encrypted() const override { return (fFlag & 1u) != 0; }
  uint32_t ExtFileAttrib() const override { return fExtFileAtt; }
  std::string ExtraData(uint16_t Tag) const override;
  std::string ExtraField() const override { return FExtraField; }
  uint16_t ExtraFieldLength() const override { return static_cast<uint16_t>(FExtraField.size()); }
  uint16_t FileCommentLen() const override { return fFileComLen; }
  uint16_t FileNameLength() const override { return fFileNameLen; }
  uint16_t Flag() const override { return fFlag; }
  std::string HeaderName() const override { return fHeaderName; }
  uint16_t IntFileAttrib() const override { return fIntFileAtt; }
  uint64_t RelOffLocalHdr() const override { return fRelOffLocal; }
  uint32_t StartOnDisk() const override { return fDiskStart; }
  uint32_t StatusBits() const override { return fStatusBits; }
  uint64_t UncompressedSize() const override { return fUnComprSize; }
  uint16_t VersionMadeBy() const override { return FVersionMadeBy; }
  uint16_t VersionNeeded() const override { return fVersionNeeded; }

protected:
  uint16_t FVersionMadeBy = 0;  // low byte version, high byte host system
  uint16_t fVersionNeeded = 0;
  uint16_t fFlag = 0;  // bit 0 encrypted, bit 11 UTF-8 name and comment
  uint16_t fComprMethod = 0;
  uint32_t fModifDateTime = 0;
  uint32_t fCRC32 = 0;
  uint64_t fComprSize = 0;    // from the archive, untrusted
  uint64_t fUnComprSize = 0;  // from the archive, untrusted
  uint16_t fFileNameLen = 0;
  uint16_t fFileComLen = 0;
  uint32_t fDiskStart = 0;  // 16 bits in the header, 32 in the Zip64 block
  uint16_t fIntFileAtt = 0;
  uint32_t fExtFileAtt = 0;
  uint64_t fRelOffLocal = 0;  // from the archive, untrusted
  std::string fHeaderName;
  std::string fOrigHeaderName;
  std::string FExtraField;
  std::string fHeaderComment;
  mutable uint32_t fStatusBits = 0;
};

// The archive's record of one entry.
class TZFIRec : public TZFDirRec {
public:
  // Settings must outlive the record (the archive object owns both).
  explicit TZFIRec(const TZFEncodingSettings* Settings) : FSettings(Settings) {}

  // Reads the central header at the file's position, then name, extra field and comment.
  // Returns 0, 1 for an entry with Zip64 fields, or a negated message id: -11013 header cut
  // short, -11015 wrong signature, -11017 name cut short, -10201 extra field cut short, -11022
  // comment cut short, -11052 Zip64 block too short for the fields that need it.
  int Read(TZFWorkFile& File);

  // The encoding used for this entry: the archive's, or the detected one under zeoAuto.
  TZFEncodingOpts Encoded() const override;
  String FileName() const override;  // decoded once and cached
  String FileComment() const override;

  // The name hash (of the upper-cased decoded name), computed once.
  uint32_t Hash() const;

  // Test seam: sets the raw fields as if read (name, extra field, comment, flag, made-by).
  void SetRawForTesting(std::string Name, std::string Extra, std::string Comment, uint16_t Flag,
                        uint16_t VersionMadeBy);

private:
  TZFEncodingOpts DetectEncoding() const;
  String DecodeText(const std::string& Raw, uint16_t UnicodeTag) const;
  int ApplyZip64Block();

  const TZFEncodingSettings* FSettings;  // not owned
  mutable std::optional<String> fFileName;
  mutable uint32_t FHash = 0;
};

// The directory view's handle on entry Index of an archive object as loaded under CheckNo. Every
// getter forwards to that entry while the archive object exists and still carries CheckNo, and
// answers zero or empty afterwards.
class TZFCentralEntry : public TZFDirEntry {
public:
  TZFCentralEntry(std::weak_ptr<const TZFZipFile> Archive, uint32_t CheckNo, int Index)
      : FArchive(std::move(Archive)), FCheckNo(CheckNo), FIndex(Index) {}

  int EntryIndex() const { return FIndex; }
  // Whether the entry still belongs to the current load of its archive.
  bool IsValid() const;

  uint64_t CompressedSize() const override;
  uint16_t CompressionMethod() const override;
  uint32_t CRC32() const override;
  uint32_t DateTime() const override;
  TZFEncodingOpts Encoded() const override;
  bool Encrypted() const override;
  uint32_t ExtFileAttrib() const override;
  std::string ExtraData(uint16_t Tag) const override;
  std::string ExtraField() const override;
  uint16_t ExtraFieldLength() const override;
  String FileComment() const override;
  uint16_t FileCommentLen() const override;
  String FileName() const override;
  uint16_t FileNameLength() const override;
  uint16_t Flag() const override;
  std::string HeaderName() const override;
  uint16_t IntFileAttrib() const override;
  uint64_t RelOffLocalHdr() const override;
  uint32_t StartOnDisk() const override;
  uint32_t StatusBits() const override;
  uint64_t UncompressedSize() const override;
  uint16_t VersionMadeBy() const override;
  uint16_t VersionNeeded() const override;

private:
  // The entry of Archive this handle names, or nullptr when the handle is stale.
  const TZFIRec* Lookup(const TZFZipFile* Archive) const;
  // Getter(entry) while the handle is valid (the archive kept alive for the call), else TResult{}.
  template <class TResult, class TGetter>
  TResult Forward(TGetter Getter) const {
    const std::shared_ptr<const TZFZipFile> Archive = FArchive.lock();
    const TZFIRec* Entry = Lookup(Archive.get());
    return Entry ? static_cast<TResult>(Getter(*Entry)) : TResult{};
  }

  std::weak_ptr<const TZFZipFile> FArchive;
  uint32_t FCheckNo;
  int FIndex;
};

// Hash of a name over its UTF-16 code units (the directory's hash index).
uint32_t ZipNameHash(StringView Name);

}  // namespace vlm
