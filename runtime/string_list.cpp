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

// Decodes a text file's bytes: a byte-order mark selects UTF-8, UTF-16 LE or UTF-16 BE and is
// skipped; otherwise the bytes are in the ANSI code page.
String DecodeTextBytes(std::string_view Bytes) {
  auto Starts = [&](std::string_view Mark) { return Bytes.substr(0, Mark.size()) == Mark; };
  if (Starts("\xEF\xBB\xBF")) return Utf8ToString(Bytes.substr(3));
  const bool LittleEndian = Starts("\xFF\xFE");
  if (LittleEndian || Starts("\xFE\xFF")) {
    String Text;
    Text.reserve((Bytes.size() - 2) / 2);
    for (size_t I = 2; I + 1 < Bytes.size(); I += 2) {
      const auto Low = static_cast<uint8_t>(Bytes[LittleEndian ? I : I + 1]);
      const auto High = static_cast<uint8_t>(Bytes[LittleEndian ? I + 1 : I]);
      Text.push_back(static_cast<char16_t>(High << 8 | Low));
    }
    return Text;  // an odd last byte is half a code unit and is dropped
  }
  return AnsiToString(Bytes);
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

int TStringList::AddObject(const String& S, TObject* Object) {
  FItems.push_back({S, Object});
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
  TMemoryStream Buffer;
  const int64_t Remaining = Stream.Size() - Stream.Position();
  if (Remaining > 0) Buffer.CopyFrom(Stream, Remaining);
  SetText(DecodeTextBytes(Buffer.View()));
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
