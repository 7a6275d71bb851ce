// ini/custom_ini_file.h -- the abstract INI file: typed values on top of string keys in sections.
// A derived class stores the sections (TMemIniFile); this class converts integers, Booleans,
// dates, times, floating-point numbers and binary data to and from the stored strings. The typed
// readers never fail on bad text: they return the caller's default.
#pragma once

#include <cstdint>

#include "runtime/date_time.h"
#include "runtime/object.h"
#include "runtime/stream.h"
#include "runtime/string.h"
#include "runtime/string_list.h"

namespace vlm {

class TCustomIniFile : public TObject {
public:
  explicit TCustomIniFile(const String& FileName) : FFileName(FileName) {}
  ~TCustomIniFile() override = default;
  TCustomIniFile(const TCustomIniFile&) = delete;
  TCustomIniFile& operator=(const TCustomIniFile&) = delete;

  const String& FileName() const { return FFileName; }

  // The value of key Ident in Section, or Default when either is missing.
  virtual String ReadString(const String& Section, const String& Ident,
                            const String& Default) const = 0;
  // Sets key Ident of Section to Value, creating the section or the key when needed.
  virtual void WriteString(const String& Section, const String& Ident, const String& Value) = 0;

  // The stored text as a 32-bit signed integer: a text of more than two characters beginning with
  // "0x" or "0X" is read as "$" + the rest; then optional blanks, an optional sign, and decimal
  // digits or "$" and hexadecimal digits. Any other text, or a value outside the 32-bit range,
  // gives Default.
  virtual int32_t ReadInteger(const String& Section, const String& Ident, int32_t Default) const;
  virtual void WriteInteger(const String& Section, const String& Ident, int32_t Value);
  // ReadInteger with Default as 0 or 1; true when the result is not 0 ("true" gives Default).
  virtual bool ReadBool(const String& Section, const String& Ident, bool Default) const;
  virtual void WriteBool(const String& Section, const String& Ident, bool Value);

  // Decodes the stored hexadecimal text (two digits per byte, either letter case) into Value at
  // its position. An empty text returns 0 and leaves the stream alone. Otherwise the stream grows
  // by half the text length (rounded down), the bytes are written from the position on, the
  // position is set back, and the result is the stream's size minus the position. Decoding stops
  // at the first pair that is not two hexadecimal digits; the remaining bytes of that half-length
  // window are zero. A stream that is not a TMemoryStream is filled the same way through a
  // temporary memory stream.
  virtual int64_t ReadBinaryStream(const String& Section, const String& Name, TStream& Value) const;

  // Empty text gives Default; text that does not parse in the process's format settings gives
  // Default too. Only conversion errors are absorbed.
  virtual TDateTime ReadDate(const String& Section, const String& Name, TDateTime Default) const;
  virtual TDateTime ReadDateTime(const String& Section, const String& Name,
                                 TDateTime Default) const;
  virtual double ReadFloat(const String& Section, const String& Name, double Default) const;
  virtual TDateTime ReadTime(const String& Section, const String& Name, TDateTime Default) const;

  // The bytes from Value's position to its end as upper-case hexadecimal digits, no separators.
  virtual void WriteBinaryStream(const String& Section, const String& Name, TStream& Value);
  // The value in the process's format settings: short date, long time, both, or a number in
  // general format with at most 15 significant digits.
  virtual void WriteDate(const String& Section, const String& Name, TDateTime Value);
  virtual void WriteDateTime(const String& Section, const String& Name, TDateTime Value);
  virtual void WriteFloat(const String& Section, const String& Name, double Value);
  virtual void WriteTime(const String& Section, const String& Name, TDateTime Value);

  // Strings := the names of the section's lines ("" for a line without "=").
  virtual void ReadSection(const String& Section, TStringList& Strings) const = 0;
  // Strings := all section names in order.
  virtual void ReadSections(TStringList& Strings) const = 0;
  // Strings := copies of all lines of the section.
  virtual void ReadSectionValues(const String& Section, TStringList& Strings) const = 0;
  virtual void EraseSection(const String& Section) = 0;
  virtual void DeleteKey(const String& Section, const String& Ident) = 0;
  // Writes the whole file to FileName.
  virtual void UpdateFile() = 0;

  // Whether the section has at least one line (a bare header counts as absent).
  bool SectionExists(const String& Section) const;
  // Whether the section has a line named Ident, compared without regard to letter case.
  bool ValueExists(const String& Section, const String& Ident) const;

protected:
  String FFileName;
};

// The integer conversion of ReadInteger (without the "0x" rewrite): optional blanks (U+0020), an
// optional "+" or "-", then decimal digits or "$" and hexadecimal digits, nothing else. False for
// any other text and for a value outside -2147483648..2147483647.
bool TryStrToInt(StringView Text, int32_t& Value);

}  // namespace vlm
