// http/header_list.cpp -- lookup, unfolding and folding of header lines.
#include "http/header_list.h"

#include "runtime/upper_case.h"

namespace vlm {

namespace {

bool IsBlank(char16_t C) {
  return C == u' ' || C == u'\t';
}

// Lead blanks followed by Line[Begin, End).
String PieceOf(const String& Line, size_t Lead, size_t Begin, size_t End) {
  String Piece(Lead, u' ');
  Piece.append(Line, Begin, End - Begin);
  return Piece;
}

}  // namespace

bool IsHeaderContinuation(StringView Line) {
  return !Line.empty() && IsBlank(Line.front());
}

String TrimBlanks(StringView Text) {
  size_t First = 0;
  size_t Last = Text.size();
  while (First < Last && IsBlank(Text[First])) ++First;
  while (Last > First && IsBlank(Text[Last - 1])) --Last;
  return String(Text.substr(First, Last - First));
}

TNetHeaderList::TNetHeaderList(int AFoldLength) : FoldLength(AFoldLength) {}

String TNetHeaderList::GetName(int Index) const {
  const String& Line = Strings(Index);
  return Line.substr(0, Line.find(u':'));
}

int TNetHeaderList::IndexOfName(const String& Name) const {
  for (int I = 0; I < Count(); ++I) {
    const String& Line = Strings(I);
    if (IsHeaderContinuation(Line)) continue;
    const size_t Colon = Line.find(u':');
    if (Colon != String::npos && SameText(StringView(Line).substr(0, Colon), Name)) return I;
  }
  return -1;
}

String TNetHeaderList::ValueAt(int Index) const {
  const String& Line = Strings(Index);
  const size_t Colon = Line.find(u':');
  String Value = Colon == String::npos ? String() : TrimBlanks(StringView(Line).substr(Colon + 1));
  if (UnfoldLines) {
    for (int I = Index + 1; I < Count() && IsHeaderContinuation(Strings(I)); ++I) {
      Value += u' ';
      Value += TrimBlanks(Strings(I));
    }
  }
  return TrimBlanks(Value);
}

String TNetHeaderList::Values(const String& Name) const {
  const int Index = IndexOfName(Name);
  return Index < 0 ? String() : ValueAt(Index);
}

void TNetHeaderList::DeleteWithContinuations(int Index) {
  while (Index + 1 < Count() && IsHeaderContinuation(Strings(Index + 1))) Delete(Index + 1);
  Delete(Index);
}

void TNetHeaderList::PutLine(int Index, const String& Line) {
  TStringList Pieces;
  if (FoldLines) {
    FoldLine(Line, FoldLength, Pieces);
  } else {
    Pieces.Add(Line);
  }
  for (int I = 0; I < Pieces.Count(); ++I) {
    if (Index < 0) {
      Add(Pieces.Strings(I));
    } else {
      Insert(Index + I, Pieces.Strings(I));
    }
  }
}

void TNetHeaderList::SetValue(const String& Name, const String& Value) {
  const int Index = IndexOfName(Name);
  if (Index >= 0) DeleteWithContinuations(Index);
  if (Value.empty()) return;
  PutLine(Index, Name + String(NameValueSeparator) + Value);
}

void TNetHeaderList::AddValue(const String& Name, const String& Value) {
  PutLine(-1, Name + String(NameValueSeparator) + Value);
}

void TNetHeaderList::Extract(const String& Name, TStringList& AList) const {
  for (int I = 0; I < Count(); ++I) {
    const String& Line = Strings(I);
    if (IsHeaderContinuation(Line)) continue;  // belongs to a line already seen
    const size_t Colon = Line.find(u':');
    if (Colon != String::npos && SameText(StringView(Line).substr(0, Colon), Name)) {
      AList.Add(ValueAt(I));
    }
  }
}

void TNetHeaderList::FoldLine(const String& Line, int ALength, TStringList& Pieces) {
  const size_t Limit = ALength > 0 ? static_cast<size_t>(ALength) : 1;
  // The piece being cut is Lead (empty for the first, one blank for the others) followed by
  // Line from Pos on. Each round looks at no more of Line than the piece it cuts, so a long
  // value folds in time proportional to its length.
  size_t Pos = 0;
  size_t Lead = 0;
  while (Lead + (Line.size() - Pos) > Limit) {
    // A break lies after a space, tab or comma outside double quotes. The piece must keep at
    // least one non-blank character of Line.
    size_t FirstText = Pos;
    while (FirstText < Line.size() && IsBlank(Line[FirstText])) ++FirstText;
    size_t BestFit = 0;     // last break (an index into Line) that keeps the piece within Limit
    size_t FirstBreak = 0;  // first break at all, for a piece that cannot fit
    bool InQuotes = false;
    for (size_t I = FirstText; I < Line.size(); ++I) {
      const char16_t C = Line[I];
      if (C == u'"') InQuotes = !InQuotes;
      if (InQuotes || !(IsBlank(C) || C == u',')) continue;
      const size_t BreakAt = I + 1;  // the piece ends after the separator
      if (BreakAt >= Line.size()) break;
      if (Lead + (BreakAt - Pos) > Limit) {
        if (BestFit == 0) FirstBreak = BreakAt;
        break;  // later breaks cannot make the piece shorter
      }
      BestFit = BreakAt;
    }
    const size_t BreakAt = BestFit != 0 ? BestFit : FirstBreak;
    if (BreakAt == 0) break;  // nowhere to break: the rest stays long
    size_t PieceEnd = BreakAt;
    while (PieceEnd > Pos && IsBlank(Line[PieceEnd - 1])) --PieceEnd;
    size_t NextText = BreakAt;
    while (NextText < Line.size() && IsBlank(Line[NextText])) ++NextText;
    if (PieceEnd <= FirstText || NextText >= Line.size()) break;
    Pieces.Add(PieceOf(Line, Lead, Pos, PieceEnd));
    Pos = NextText;
    Lead = 1;
  }
  Pieces.Add(PieceOf(Line, Lead, Pos, Line.size()));
}

}  // namespace vlm
