// runtime/string_list.cpp -- the ordered string list and its text-file rules.
#include "runtime/string_list.h"

#include <string>
#include <utility>

#include "runtime/code_page.h"
#include "runtime/exception.h"
#include "runtime/file_stream.h"
#include "runtime/memory_stream.h"
#include "runtime/upper_case.h"

namespace vlm {

namespace {

// Splits Units (bytes or 16-bit units, read by Unit) at CR LF, lone CR and lone LF, up to the first
// zero, and hands each line's range [Start, End) to Line.
template <class UnitAt>
void SplitLines(size_t Count, UnitAt Unit, const std::function<void(size_t, size_t)>& Line) {
  size_t Start = 0;
  while (Start < Count) {
    size_t End = Start;
    unsigned C = 0;
    while (End < Count && (C = Unit(End)) != u'\r' && C != u'\n' && C != 0) ++End;
    if (End > Start || (End < Count && C != 0)) Line(Start, End);
    if (End < Count && C == 0) return;             // the text ends at the first zero
    if (End < Count && Unit(End) == u'\r') ++End;  // CR, or the CR of CR LF
    if (End < Count && Unit(End) == u'\n') ++End;  // LF, or the LF of CR LF
    Start = End;
  }
}

}  // namespace

void TStringList::CheckIndex(int Index) const {
  if (Index < 0 || Index >= Count()) {
    throw EListError(u"List index out of bounds (" + S(std::to_string(Index)) + u")");
  }
}

const String& TStringList::Strings(int Index) const {
  CheckIndex(Index);
  return FItems[static_cast<size_t>(Index)].FString;
}

TObject* TStringList::Objects(int Index) const {
  CheckIndex(Index);
  return FItems[static_cast<size_t>(Index)].FObject;
}

void TStringList::Put(int Index, const String& S) {
  CheckIndex(Index);
  FItems[static_cast<size_t>(Index)].FString = S;
  Changed();
}

void TStringList::PutObject(int Index, TObject* Object) {
  CheckIndex(Index);
  FItems[static_cast<size_t>(Index)].FObject = Object;
}

int TStringList::AddObject(String&& S, TObject* Object) {
  FItems.push_back({std::move(S), Object});
  Changed();
  return Count() - 1;
}

void TStringList::InsertObject(int Index, const String& S, TObject* Object) {
  if (Index != Count()) CheckIndex(Index);
  FItems.insert(FItems.begin() + Index, Item{S, Object});
  Changed();
}

void TStringList::Delete(int Index) {
  CheckIndex(Index);
  FItems.erase(FItems.begin() + Index);
  Changed();
}

void TStringList::Exchange(int Index1, int Index2) {
  CheckIndex(Index1);
  CheckIndex(Index2);
  std::swap(FItems[static_cast<size_t>(Index1)], FItems[static_cast<size_t>(Index2)]);
  Changed();
}

void TStringList::Clear() {
  FItems.clear();
  Changed();
}

void TStringList::Assign(const TStringList& Source) {
  if (&Source == this) return;
  FItems = Source.FItems;
  Changed();
}

String TStringList::Names(int Index) const {
  const String& Line = Strings(Index);
  const size_t Equals = Line.find(u'=');
  return Equals == String::npos ? String() : Line.substr(0, Equals);
}

bool TStringList::SameString(StringView A, StringView B) const {
  return FCaseSensitive ? A == B : SameText(A, B);
}

int TStringList::IndexOf(const String& S) const {
  for (int I = 0; I < Count(); ++I) {
    if (SameString(FItems[static_cast<size_t>(I)].FString, S)) return I;
  }
  return -1;
}

int TStringList::IndexOfName(const String& Name) const {
  for (int I = 0; I < Count(); ++I) {
    const String& Line = FItems[static_cast<size_t>(I)].FString;
    const size_t Equals = Line.find(u'=');
    if (Equals != String::npos && SameString(StringView(Line).substr(0, Equals), Name)) return I;
  }
  return -1;
}

String TStringList::Text() const {
  String Result;
  for (const Item& Entry : FItems) {
    Result += Entry.FString;
    Result += u"\r\n";
  }
  return Result;
}

void TStringList::SetText(StringView Value) {
  const size_t Nul = Value.find(u'\0');
  if (Nul != StringView::npos) Value = Value.substr(0, Nul);
  std::vector<Item> Lines;
  size_t Start = 0;
  while (Start < Value.size()) {
    size_t End = Start;
    while (End < Value.size() && Value[End] != u'\r' && Value[End] != u'\n') ++End;
    Lines.push_back({String(Value.substr(Start, End - Start)), nullptr});
    if (End < Value.size() && Value[End] == u'\r') ++End;  // CR, or the CR of CR LF
    if (End < Value.size() && Value[End] == u'\n') ++End;  // LF, or the LF of CR LF
    Start = End;
  }
  FItems = std::move(Lines);
  Changed();
}

void TStringList::LoadFromStream(TStream& Stream) {
  std::vector<Item> Lines;
  {
    const std::string Bytes = ReadRestOfStream(Stream);
    ForEachTextLine(Bytes, [&](String&& Line) { Lines.push_back({std::move(Line), nullptr}); });
  }
  FItems = std::move(Lines);
  Changed();
}

String TStringList::TakeString(int Index) {
  CheckIndex(Index);
  return std::move(FItems[static_cast<size_t>(Index)].FString);
}

std::string ReadRestOfStream(TStream& Stream) {
  const int64_t Remaining = Stream.Size() - Stream.Position();
  std::string Bytes(static_cast<size_t>(Remaining > 0 ? Remaining : 0), '\0');
  if (!Bytes.empty()) Stream.ReadBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
  return Bytes;
}

void ForEachTextLine(std::string_view Bytes, const std::function<void(String&& Line)>& Line) {
  auto Starts = [&](std::string_view Mark) { return Bytes.substr(0, Mark.size()) == Mark; };
  const bool LittleEndian = Starts("\xFF\xFE");
  if (LittleEndian || Starts("\xFE\xFF")) {
    // 16-bit units after the mark; an odd last byte is half a unit and is dropped.
    const std::string_view Units = Bytes.substr(2);
    const auto Unit = [&](size_t I) -> unsigned {
      const auto First = static_cast<uint8_t>(Units[2 * I]);
      const auto Second = static_cast<uint8_t>(Units[2 * I + 1]);
      return LittleEndian ? (Second << 8 | First) : (First << 8 | Second);
    };
    SplitLines(Units.size() / 2, Unit, [&](size_t Start, size_t End) {
      String Text;
      Text.reserve(End - Start);
      for (size_t I = Start; I < End; ++I) Text.push_back(static_cast<char16_t>(Unit(I)));
      Line(std::move(Text));
    });
    return;
  }
  // Byte encodings: CR, LF and zero never occur inside a character of UTF-8 or of the ANSI
  // code pages, so the bytes split where the decoded text would.
  const bool Utf8 = Starts("\xEF\xBB\xBF");
  const std::string_view Text = Utf8 ? Bytes.substr(3) : Bytes;
  SplitLines(
      Text.size(), [&](size_t I) -> unsigned { return static_cast<uint8_t>(Text[I]); },
      [&](size_t Start, size_t End) {
        const std::string_view Part = Text.substr(Start, End - Start);
        Line(Utf8 ? Utf8ToString(Part) : AnsiToString(Part));
      });
}

void TStringList::LoadFromFile(const String& FileName) {
  TFileStream File(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(File);
}

void TStringList::SaveToStream(TStream& Stream) const {
  const std::string Bytes = StringToAnsi(Text());
  Stream.WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
}

void TStringList::SaveToFile(const String& FileName) const {
  TFileStream File(FileName, fmCreate);
  SaveToStream(File);
}

void TStringList::Changed() {
  if (OnChange) OnChange();
}

}  // namespace vlm
