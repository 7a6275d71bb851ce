// tests/ini/custom_ini_file_test.cpp -- the typed readers and writers: integers, Booleans, binary
// data, dates, times and floating-point numbers, over TMemIniFile and over a bare test double.
#include "ini/custom_ini_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <utility>

#include "ini/mem_ini_file.h"
#include "runtime/exception.h"
#include "runtime/file_stream.h"
#include "runtime/memory_stream.h"
#include "tests/support/temp_folder.h"

namespace vlm {
namespace {

using test::ReadBytes;
using test::TempFolder;

// The smallest INI: one map of (section, key) to value; ReadString can be made to fail.
class MapIniFile : public TCustomIniFile {
public:
  MapIniFile() : TCustomIniFile(u"map") {}
  String ReadString(const String& Section, const String& Ident,
                    const String& Default) const override {
    if (FailReads) throw EFOpenError(u"read failure");
    const auto Found = FValues.find({Section, Ident});
    return Found == FValues.end() ? Default : Found->second;
  }
  void WriteString(const String& Section, const String& Ident, const String& Value) override {
    FValues[{Section, Ident}] = Value;
  }
  void ReadSection(const String& Section, TStringList& Strings) const override {
    Strings.Clear();
    for (const auto& [Key, Value] : FValues) {
      if (Key.first == Section) Strings.Add(Key.second);
    }
  }
  void ReadSections(TStringList&) const override {}
  void ReadSectionValues(const String&, TStringList&) const override {}
  void EraseSection(const String&) override {}
  void DeleteKey(const String&, const String&) override {}
  void UpdateFile() override {}

  bool FailReads = false;

private:
  std::map<std::pair<String, String>, String> FValues;
};

std::string Bytes(TMemoryStream& Stream) {
  return std::string(Stream.View());
}

// ---- Integers and Booleans -------------------------------------------------------------------

TEST(TCustomIniFile, ReadIntegerReadsDecimalHexAndTheZeroXForm) {
  MapIniFile Ini;
  const std::pair<const char16_t*, int32_t> Cases[] = {
      {u"0x1F", 31},
      {u"0X1f", 31},
      {u" 12", 12},
      {u"+7", 7},
      {u"-15", -15},
      {u"$FF", 255},
      {u"-$10", -16},
      {u"  -$a", -10},
      {u"007", 7},
      {u"2147483647", 2147483647},
      {u"-2147483648", -2147483647 - 1},
      {u"$7FFFFFFF", 2147483647},
      {u"0x00000000000001", 1},
  };
  for (const auto& [Text, Expected] : Cases) {
    Ini.WriteString(u"s", u"k", Text);
    EXPECT_EQ(Ini.ReadInteger(u"s", u"k", -99), Expected) << StringToUtf8(Text);
  }
}

TEST(TCustomIniFile, ReadIntegerGivesDefaultForAnyOtherTextOrOutOfRange) {
  MapIniFile Ini;
  EXPECT_EQ(Ini.ReadInteger(u"s", u"missing", 5), 5);
  for (const char16_t* Text : {u"",
                               u"12 ",
                               u"1 2",
                               u"true",
                               u"0x",
                               u"0x-1",
                               u" 0x10",
                               u"$",
                               u"-",
                               u"+",
                               u"+-1",
                               u"1e3",
                               u"1.0",
                               u"\t12",
                               u"$G",
                               u"2147483648",
                               u"-2147483649",
                               u"$80000000",
                               u"99999999999999999999",
                               u"0xFFFFFFFF",
                               u"١٢"}) {
    Ini.WriteString(u"s", u"k", Text);
    EXPECT_EQ(Ini.ReadInteger(u"s", u"k", -99), -99) << StringToUtf8(Text);
  }
}

TEST(TCustomIniFile, WriteIntegerWritesDecimal) {
  MapIniFile Ini;
  Ini.WriteInteger(u"s", u"a", -2147483647 - 1);
  Ini.WriteInteger(u"s", u"b", 0);
  Ini.WriteInteger(u"s", u"c", 31);
  EXPECT_EQ(Ini.ReadString(u"s", u"a", u""), u"-2147483648");
  EXPECT_EQ(Ini.ReadString(u"s", u"b", u""), u"0");
  EXPECT_EQ(Ini.ReadString(u"s", u"c", u""), u"31");
}

TEST(TCustomIniFile, ReadBoolIsAnIntegerTestAndTrueFalseGiveDefault) {
  MapIniFile Ini;
  EXPECT_TRUE(Ini.ReadBool(u"s", u"missing", true));
  EXPECT_FALSE(Ini.ReadBool(u"s", u"missing", false));
  const std::pair<const char16_t*, bool> Cases[] = {{u"0", false}, {u"1", true},    {u"2", true},
                                                    {u"-1", true}, {u"0x0", false}, {u"$1", true}};
  for (const auto& [Text, Expected] : Cases) {
    Ini.WriteString(u"s", u"k", Text);
    EXPECT_EQ(Ini.ReadBool(u"s", u"k", !Expected), Expected) << StringToUtf8(Text);
  }
  for (const char16_t* Text : {u"true", u"false", u"yes", u""}) {
    Ini.WriteString(u"s", u"k", Text);
    EXPECT_TRUE(Ini.ReadBool(u"s", u"k", true)) << StringToUtf8(Text);
    EXPECT_FALSE(Ini.ReadBool(u"s", u"k", false)) << StringToUtf8(Text);
  }
}

TEST(TCustomIniFile, WriteBoolWritesOneOrZero) {
  MapIniFile Ini;
  Ini.WriteBool(u"s", u"t", true);
  Ini.WriteBool(u"s", u"f", false);
  EXPECT_EQ(Ini.ReadString(u"s", u"t", u""), u"1");
  EXPECT_EQ(Ini.ReadString(u"s", u"f", u""), u"0");
}

TEST(TCustomIniFile, TryStrToIntRejectsEmptyDigitsAndKeepsValueOnFailure) {
  int32_t Value = 77;
  EXPECT_FALSE(TryStrToInt(u"   ", Value));
  EXPECT_FALSE(TryStrToInt(u"-$", Value));
  EXPECT_EQ(Value, 77);
  EXPECT_TRUE(TryStrToInt(u"-0", Value));
  EXPECT_EQ(Value, 0);
}

// ---- Binary data -----------------------------------------------------------------------------

TEST(TCustomIniFile, ReadBinaryStreamDecodesHexOfEitherCaseAtThePosition) {
  MapIniFile Ini;
  Ini.WriteString(u"s", u"k", u"0a1BfF");
  TMemoryStream Stream;
  EXPECT_EQ(Ini.ReadBinaryStream(u"s", u"k", Stream), 3);
  EXPECT_EQ(Bytes(Stream), std::string("\x0A\x1B\xFF", 3));
  EXPECT_EQ(Stream.Position(), 0);
}

TEST(TCustomIniFile, ReadBinaryStreamGrowsByHalfTheTextLengthFromThePosition) {
  MapIniFile Ini;
  Ini.WriteString(u"s", u"k", u"4142");
  TMemoryStream Stream;
  Stream.WriteBuffer("XYZ", 3);
  Stream.SetPosition(1);
  EXPECT_EQ(Ini.ReadBinaryStream(u"s", u"k", Stream), 4);  // new size 5 minus position 1
  EXPECT_EQ(Bytes(Stream), std::string("XAB\0\0", 5));
  EXPECT_EQ(Stream.Position(), 1);
}

TEST(TCustomIniFile, ReadBinaryStreamIgnoresAnOddLastDigit) {
  MapIniFile Ini;
  Ini.WriteString(u"s", u"k", u"414");
  TMemoryStream Stream;
  EXPECT_EQ(Ini.ReadBinaryStream(u"s", u"k", Stream), 1);
  EXPECT_EQ(Bytes(Stream), "A");
  Ini.WriteString(u"s", u"k", u"7");  // one digit: nothing to decode, nothing grows
  TMemoryStream Single;
  EXPECT_EQ(Ini.ReadBinaryStream(u"s", u"k", Single), 0);
  EXPECT_EQ(Single.Size(), 0);
}

TEST(TCustomIniFile, ReadBinaryStreamZeroesTheWindowAfterABadPair) {
  MapIniFile Ini;
  Ini.WriteString(u"s", u"k", u"41ZZ4243");
  TMemoryStream Stream;
  Stream.WriteBuffer("\x01\x02\x03\x04\x05", 5);
  Stream.SetPosition(0);
  EXPECT_EQ(Ini.ReadBinaryStream(u"s", u"k", Stream), 9);
  // The window [0, 4) holds the decoded prefix, then zeros; the grown tail is zero too.
  EXPECT_EQ(Bytes(Stream), std::string("A\0\0\0\x05\0\0\0\0", 9));
  Ini.WriteString(u"s", u"k", u"4G");  // a half-valid pair counts as bad
  TMemoryStream Fresh;
  EXPECT_EQ(Ini.ReadBinaryStream(u"s", u"k", Fresh), 1);
  EXPECT_EQ(Bytes(Fresh), std::string(1, '\0'));
}

TEST(TCustomIniFile, ReadBinaryStreamWithAPositionBeyondTheEndStaysInsideTheBuffer) {
  MapIniFile Ini;
  Ini.WriteString(u"s", u"k", u"4142");
  TMemoryStream Stream;
  Stream.SetPosition(10);  // a memory stream allows this; writing there zero-fills the gap
  EXPECT_EQ(Ini.ReadBinaryStream(u"s", u"k", Stream), 2);
  EXPECT_EQ(Bytes(Stream), std::string(10, '\0') + "AB");
  EXPECT_EQ(Stream.Position(), 10);
}

TEST(TCustomIniFile, ReadBinaryStreamWithEmptyTextLeavesTheStreamAlone) {
  MapIniFile Ini;
  Ini.WriteString(u"s", u"empty", u"");
  TMemoryStream Stream;
  Stream.WriteBuffer("keep", 4);
  Stream.SetPosition(2);
  EXPECT_EQ(Ini.ReadBinaryStream(u"s", u"empty", Stream), 0);
  EXPECT_EQ(Ini.ReadBinaryStream(u"s", u"missing", Stream), 0);
  EXPECT_EQ(Bytes(Stream), "keep");
  EXPECT_EQ(Stream.Position(), 2);
}

TEST(TCustomIniFile, ReadBinaryStreamFillsAFileStreamThroughMemory) {
  TempFolder Folder;
  MapIniFile Ini;
  Ini.WriteString(u"s", u"k", u"414243");
  {
    TFileStream File(Folder.File("bin"), fmCreate);
    File.WriteBuffer("XYZW", 4);
    File.SetPosition(1);
    EXPECT_EQ(Ini.ReadBinaryStream(u"s", u"k", File), 3);
    EXPECT_EQ(File.Position(), 1);
    File.SetPosition(3);
    EXPECT_EQ(Ini.ReadBinaryStream(u"s", u"k", File), 3);  // grows the file by writing
  }
  EXPECT_EQ(ReadBytes(Folder.Path() / "bin"), "XABABC");
}

TEST(TCustomIniFile, WriteBinaryStreamWritesUpperCaseHexFromThePosition) {
  MapIniFile Ini;
  TMemoryStream Stream;
  Stream.WriteBuffer("\x00\x7F\xAB\xFF", 4);
  Stream.SetPosition(1);
  Ini.WriteBinaryStream(u"s", u"k", Stream);
  EXPECT_EQ(Ini.ReadString(u"s", u"k", u""), u"7FABFF");
  EXPECT_EQ(Stream.Position(), 4);
  Ini.WriteBinaryStream(u"s", u"rest", Stream);  // nothing left: an empty value
  EXPECT_EQ(Ini.ReadString(u"s", u"rest", u"default"), u"");
}

TEST(TCustomIniFile, BinaryDataRoundTripsThroughAnIniLongerThanOneChunk) {
  TMemIniFile Ini(u"");
  TMemoryStream Source;
  for (int I = 0; I < 10000; ++I) {
    const auto Byte = static_cast<uint8_t>(I * 7 + I / 256);
    Source.WriteBuffer(&Byte, 1);
  }
  Source.SetPosition(0);
  Ini.WriteBinaryStream(u"s", u"k", Source);
  TMemoryStream Target;
  EXPECT_EQ(Ini.ReadBinaryStream(u"s", u"k", Target), 10000);
  EXPECT_EQ(Target.View(), Source.View());
}

// ---- Dates, times and numbers ----------------------------------------------------------------

TEST(TCustomIniFile, DatesTimesAndNumbersAreWrittenInTheProcessSettings) {
  TMemIniFile Ini(u"");
  const TDateTime Date = EncodeDate(2024, 2, 29);
  const TDateTime Time = EncodeTime(13, 5, 9, 0);
  const TDateTime Both = Date + Time;
  Ini.WriteDate(u"s", u"date", Date);
  Ini.WriteTime(u"s", u"time", Time);
  Ini.WriteDateTime(u"s", u"both", Both);
  Ini.WriteFloat(u"s", u"float", -1234.5);
  EXPECT_EQ(Ini.ReadString(u"s", u"date", u""), DateToStr(Date, FormatSettings()));
  EXPECT_EQ(Ini.ReadString(u"s", u"time", u""), TimeToStr(Time, FormatSettings()));
  EXPECT_EQ(Ini.ReadString(u"s", u"both", u""), DateTimeToStr(Both, FormatSettings()));
  String Float = u"-1234";
  Float += FormatSettings().DecimalSeparator;
  Float += u"5";
  EXPECT_EQ(Ini.ReadString(u"s", u"float", u""), Float);

  EXPECT_EQ(Ini.ReadDate(u"s", u"date", 0), Date);
  EXPECT_NEAR(Ini.ReadTime(u"s", u"time", 0), Time, 1e-9);
  EXPECT_NEAR(Ini.ReadDateTime(u"s", u"both", 0), Both, 1e-9);
  EXPECT_EQ(Ini.ReadFloat(u"s", u"float", 0), -1234.5);
}

TEST(TCustomIniFile, DateAndNumberReadersGiveDefaultForEmptyOrBadText) {
  MapIniFile Ini;
  Ini.WriteString(u"s", u"empty", u"");
  Ini.WriteString(u"s", u"bad", u"not a value");
  // A valid date with a digit put in front: the first number is then out of range.
  Ini.WriteString(u"s", u"garbled", u"9" + DateTimeToStr(EncodeDate(2024, 1, 31)));
  for (const char16_t* Key : {u"empty", u"bad", u"missing", u"garbled"}) {
    EXPECT_EQ(Ini.ReadDate(u"s", Key, 42.0), 42.0) << StringToUtf8(Key);
    EXPECT_EQ(Ini.ReadTime(u"s", Key, 0.25), 0.25) << StringToUtf8(Key);
    EXPECT_EQ(Ini.ReadDateTime(u"s", Key, 7.5), 7.5) << StringToUtf8(Key);
    EXPECT_EQ(Ini.ReadFloat(u"s", Key, 3.25), 3.25) << StringToUtf8(Key);
  }
}

TEST(TCustomIniFile, TypedReadersLetErrorsOtherThanConversionPass) {
  MapIniFile Ini;
  Ini.FailReads = true;
  EXPECT_THROW(Ini.ReadDate(u"s", u"k", 0), EFOpenError);
  EXPECT_THROW(Ini.ReadFloat(u"s", u"k", 0), EFOpenError);
  EXPECT_THROW(Ini.ReadInteger(u"s", u"k", 0), EFOpenError);
}

TEST(TCustomIniFile, WritingAnInvalidDateRaisesInsteadOfWritingGarbage) {
  MapIniFile Ini;
  EXPECT_THROW(Ini.WriteDate(u"s", u"k", NAN), EConvertError);
  EXPECT_THROW(Ini.WriteDateTime(u"s", u"k", 1e12), EConvertError);
  EXPECT_EQ(Ini.ReadString(u"s", u"k", u"none"), u"none");
}

}  // namespace
}  // namespace vlm
