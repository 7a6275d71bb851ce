// ini/custom_ini_file.cpp -- the typed readers and writers over ReadString and WriteString.
#include "ini/custom_ini_file.h"

#include <string>

#include "runtime/exception.h"
#include "runtime/memory_stream.h"

namespace vlm {

namespace {

// 0..15 for a hexadecimal digit of either letter case, -1 for anything else.
int HexDigitValue(char16_t C) {
  if (C >= u'0' && C <= u'9') return C - u'0';
  if (C >= u'a' && C <= u'f') return C - u'a' + 10;
  if (C >= u'A' && C <= u'F') return C - u'A' + 10;
  return -1;
}

// Decodes Text, two hexadecimal digits per byte, into Target[0..Count); stops at the first pair
// that is not two digits and zeroes the rest, so no byte of the window is left undefined.
void DecodeHex(StringView Text, uint8_t* Target, size_t Count) {
  size_t Done = 0;
  for (; Done < Count; ++Done) {
    const int High = HexDigitValue(Text[2 * Done]);
    const int Low = HexDigitValue(Text[2 * Done + 1]);
    if (High < 0 || Low < 0) break;
    Target[Done] = static_cast<uint8_t>(High << 4 | Low);
  }
  for (; Done < Count; ++Done) Target[Done] = 0;
}

// Runs a text parser and maps its conversion error to Default; other errors pass.
template <class Parse>
TDateTime ParsedOrDefault(const String& Text, TDateTime Default, Parse ParseText) {
  if (Text.empty()) return Default;
  try {
    return ParseText(Text);
  } catch (const EConvertError&) {
    return Default;
  }
}

}  // namespace

bool TryStrToInt(StringView Text, int32_t& Value) {
  size_t I = 0;
  while (I < Text.size() && Text[I] == u' ') ++I;
  bool Negative = false;
  if (I < Text.size() && (Text[I] == u'+' || Text[I] == u'-')) {
    Negative = Text[I] == u'-';
    ++I;
  }
  const bool Hex = I < Text.size() && Text[I] == u'$';
  if (Hex) ++I;
  if (I == Text.size()) return false;  // no digits at all
  const int64_t Base = Hex ? 16 : 10;
  const int64_t Limit = Negative ? int64_t{2147483648} : int64_t{2147483647};
  int64_t Magnitude = 0;
  for (; I < Text.size(); ++I) {
    const int Digit = HexDigitValue(Text[I]);
    if (Digit < 0 || Digit >= Base) return false;  // also a trailing blank
    Magnitude = Magnitude * Base + Digit;
    if (Magnitude > Limit) return false;  // checked per digit, so it can never overflow
  }
  Value = static_cast<int32_t>(Negative ? -Magnitude : Magnitude);
  return true;
}

int32_t TCustomIniFile::ReadInteger(const String& Section, const String& Ident,
                                    int32_t Default) const {
  String Text = ReadString(Section, Ident, u"");
  if (Text.size() > 2 && Text[0] == u'0' && (Text[1] == u'x' || Text[1] == u'X')) {
    Text = u"$" + Text.substr(2);
  }
  int32_t Value = 0;
  return TryStrToInt(Text, Value) ? Value : Default;
}

void TCustomIniFile::WriteInteger(const String& Section, const String& Ident, int32_t Value) {
  WriteString(Section, Ident, S(std::to_string(Value)));
}

bool TCustomIniFile::ReadBool(const String& Section, const String& Ident, bool Default) const {
  return ReadInteger(Section, Ident, Default ? 1 : 0) != 0;
}

void TCustomIniFile::WriteBool(const String& Section, const String& Ident, bool Value) {
  WriteString(Section, Ident, Value ? u"1" : u"0");
}

int64_t TCustomIniFile::ReadBinaryStream(const String& Section, const String& Name,
                                         TStream& Value) const {
  const String Text = ReadString(Section, Name, u"");
  if (Text.empty()) return 0;
  const int64_t Count = static_cast<int64_t>(Text.size() / 2);

  auto* Memory = dynamic_cast<TMemoryStream*>(&Value);
  if (Memory == nullptr) {
    // Decode into memory first, then copy the window into the stream at its position.
    TMemoryStream Buffer;
    ReadBinaryStream(Section, Name, Buffer);
    const int64_t Position = Value.Position();
    Value.WriteBuffer(Buffer.Memory(), Count);
    Value.SetPosition(Position);
    return Value.Size() - Position;
  }

  const int64_t Position = Memory->Position();
  // The stream grows by Count; a position beyond the old end (allowed in a memory stream) must
  // still leave room for the whole window, or the decoder would write past the buffer.
  int64_t NewSize = Memory->Size() + Count;
  if (NewSize < Position + Count) NewSize = Position + Count;
  Memory->SetSize(NewSize);  // new bytes are zero
  DecodeHex(Text, Memory->Memory() + Position, static_cast<size_t>(Count));
  Memory->SetPosition(Position);
  return Memory->Size() - Position;
}

TDateTime TCustomIniFile::ReadDate(const String& Section, const String& Name,
                                   TDateTime Default) const {
  return ParsedOrDefault(ReadString(Section, Name, u""), Default,
                         [](const String& Text) { return StrToDate(Text); });
}

TDateTime TCustomIniFile::ReadDateTime(const String& Section, const String& Name,
                                       TDateTime Default) const {
  return ParsedOrDefault(ReadString(Section, Name, u""), Default,
                         [](const String& Text) { return StrToDateTime(Text); });
}

double TCustomIniFile::ReadFloat(const String& Section, const String& Name, double Default) const {
  return ParsedOrDefault(ReadString(Section, Name, u""), Default,
                         [](const String& Text) { return StrToFloat(Text); });
}

TDateTime TCustomIniFile::ReadTime(const String& Section, const String& Name,
                                   TDateTime Default) const {
  return ParsedOrDefault(ReadString(Section, Name, u""), Default,
                         [](const String& Text) { return StrToTime(Text); });
}

void TCustomIniFile::WriteBinaryStream(const String& Section, const String& Name, TStream& Value) {
  static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
  String Text;
  uint8_t Chunk[4096];
  for (;;) {
    const int64_t Done = Value.Read(Chunk, sizeof Chunk);
    if (Done <= 0) break;
    for (int64_t I = 0; I < Done; ++I) {
      Text.push_back(kDigits[Chunk[I] >> 4]);
      Text.push_back(kDigits[Chunk[I] & 15]);
    }
  }
  WriteString(Section, Name, Text);
}

void TCustomIniFile::WriteDate(const String& Section, const String& Name, TDateTime Value) {
  WriteString(Section, Name, DateToStr(Value));
}

void TCustomIniFile::WriteDateTime(const String& Section, const String& Name, TDateTime Value) {
  WriteString(Section, Name, DateTimeToStr(Value));
}

void TCustomIniFile::WriteFloat(const String& Section, const String& Name, double Value) {
  WriteString(Section, Name, FloatToStr(Value));
}

void TCustomIniFile::WriteTime(const String& Section, const String& Name, TDateTime Value) {
  WriteString(Section, Name, TimeToStr(Value));
}

bool TCustomIniFile::SectionExists(const String& Section) const {
  TStringList Names;
  ReadSection(Section, Names);
  return Names.Count() > 0;
}

bool TCustomIniFile::ValueExists(const String& Section, const String& Ident) const {
  TStringList Names;  // a plain list: compares without regard to letter case
  ReadSection(Section, Names);
  return Names.IndexOf(Ident) >= 0;
}

}  // namespace vlm
