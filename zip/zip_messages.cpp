// zip/zip_messages.cpp -- message lookup order and formatting of the zip front end's texts.
#include "zip/zip_messages.h"

namespace vlm {
namespace {

TZFLoadStrEvent& LoadStrHook() {
  static TZFLoadStrEvent Hook;
  return Hook;
}

bool IsDigit(char16_t C) {
  return C >= u'0' && C <= u'9';
}

// Reads a run of decimal digits at Pos (capped, so a hostile format cannot ask for gigabytes).
int ReadNumber(StringView Format, size_t& Pos) {
  int Value = 0;
  while (Pos < Format.size() && IsDigit(Format[Pos])) {
    if (Value < 1000) Value = Value * 10 + (Format[Pos] - u'0');
    ++Pos;
  }
  return Value;
}

String ArgText(const TZFArg& Arg) {
  if (const auto* Number = std::get_if<int64_t>(&Arg)) return ZipIntToStr(*Number);
  return std::get<String>(Arg);
}

}  // namespace

void SetOnLoadStr(TZFLoadStrEvent Handler) {
  LoadStrHook() = std::move(Handler);
}
const TZFLoadStrEvent& OnLoadStr() {
  return LoadStrHook();
}

String FindZipStr(int32_t Id) {
  String Text = BuiltInZipStr(Id).value_or(String());
  if (const auto& Hook = LoadStrHook()) {
    String Replacement = Text;
    Hook(Id, Replacement);
    if (!Replacement.empty()) Text = std::move(Replacement);
  }
  return Text;
}

String LoadZipStr(int32_t Id) {
  String Text = FindZipStr(Id);
  if (Text.empty()) Text = u"Resource missing for " + ZipIntToStr(Id);
  return Text;
}

String ZipIntToStr(int64_t Value) {
  const bool Negative = Value < 0;
  // Through unsigned arithmetic so that the most negative value has a text too.
  uint64_t Magnitude = Negative ? 0 - static_cast<uint64_t>(Value) : static_cast<uint64_t>(Value);
  String Digits;
  do {
    Digits.insert(Digits.begin(), static_cast<char16_t>(u'0' + Magnitude % 10));
    Magnitude /= 10;
  } while (Magnitude != 0);
  if (Negative) Digits.insert(Digits.begin(), u'-');
  return Digits;
}

String ZipFormat(StringView Format, const std::vector<TZFArg>& Args) {
  String Out;
  size_t Next = 0;  // index of the next argument
  size_t Pos = 0;
  while (Pos < Format.size()) {
    const char16_t C = Format[Pos];
    if (C != u'%') {
      Out += C;
      ++Pos;
      continue;
    }
    const size_t Start = Pos++;
    if (Pos < Format.size() && Format[Pos] == u'%') {
      Out += u'%';
      ++Pos;
      continue;
    }
    const bool LeftAlign = Pos < Format.size() && Format[Pos] == u'-';
    if (LeftAlign) ++Pos;
    const int Width = ReadNumber(Format, Pos);
    int Precision = -1;
    if (Pos < Format.size() && Format[Pos] == u'.') {
      ++Pos;
      Precision = ReadNumber(Format, Pos);
    }
    if (Pos >= Format.size() || (Format[Pos] != u'd' && Format[Pos] != u's') ||
        Next >= Args.size()) {
      // Not a placeholder this formatter knows, or no argument left: keep the text as written.
      Out.append(Format.substr(Start, Pos - Start));
      continue;
    }
    const char16_t Kind = Format[Pos++];
    String Field = ArgText(Args[Next++]);
    if (Kind == u'd' && Precision > 0 && std::holds_alternative<int64_t>(Args[Next - 1])) {
      const bool Negative = !Field.empty() && Field[0] == u'-';
      const size_t DigitCount = Field.size() - (Negative ? 1 : 0);
      if (DigitCount < static_cast<size_t>(Precision)) {
        Field.insert(Negative ? 1 : 0, static_cast<size_t>(Precision) - DigitCount, u'0');
      }
    } else if (Kind == u's' && Precision >= 0 && Field.size() > static_cast<size_t>(Precision)) {
      Field.resize(static_cast<size_t>(Precision));
    }
    if (Field.size() < static_cast<size_t>(Width)) {
      const String Pad(static_cast<size_t>(Width) - Field.size(), u' ');
      Field = LeftAlign ? Field + Pad : Pad + Field;
    }
    Out += Field;
  }
  return Out;
}

String ZipFmtLoadStr(int32_t Id, const std::vector<TZFArg>& Args) {
  const String Text = LoadZipStr(Id);
  return Text.empty() ? Text : ZipFormat(Text, Args);
}

}  // namespace vlm
