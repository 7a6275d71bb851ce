// http/meta_http_equiv.cpp -- the scan of an HTML page for <meta http-equiv> tags.
// The page comes from a server and is untrusted: the scanner only ever moves forward through the
// text, so any input ends the scan in time proportional to its length.
#include "http/meta_http_equiv.h"

#include <vector>

#include "runtime/upper_case.h"

namespace vlm {

namespace {

bool IsWordChar(char16_t C) {
  return (C >= u'a' && C <= u'z') || (C >= u'A' && C <= u'Z') || (C >= u'0' && C <= u'9') ||
         C == u'-';
}

bool IsSpace(char16_t C) {
  return C == u' ' || C == u'\t' || C == u'\r' || C == u'\n' || C == u'\f';
}

struct Attribute {
  String Name;
  String Value;
};

// One tag as the scanner sees it.
struct Tag {
  String Word;           // the tag word, e.g. "META"; "--" for a comment
  bool Closing = false;  // "</word"
  std::vector<Attribute> Attributes;
};

class MetaScanner {
public:
  explicit MetaScanner(StringView Text) : FText(Text) {}

  // Moves to the next tag and reads it; false at the end of the text.
  bool NextTag(Tag& Out) {
    for (;;) {
      const size_t Open = FText.find(u'<', FPos);
      if (Open == StringView::npos) return false;
      FPos = Open + 1;
      Out = Tag();
      if (FPos < FText.size() && FText[FPos] == u'/') {
        Out.Closing = true;
        ++FPos;
      } else if (FPos < FText.size() && (FText[FPos] == u'?' || FText[FPos] == u'!')) {
        ++FPos;
      }
      const size_t WordStart = FPos;
      while (FPos < FText.size() && IsWordChar(FText[FPos])) ++FPos;
      Out.Word = String(FText.substr(WordStart, FPos - WordStart));
      if (Out.Word.empty()) continue;  // a "<" that opens no tag
      if (Out.Word.compare(0, 2, u"--") == 0) {
        // A comment: skip to the next "--" followed by ">".
        const size_t End = FText.find(u"-->", WordStart + 2);
        FPos = End == StringView::npos ? FText.size() : End + 3;
        continue;
      }
      ReadAttributes(Out);
      return true;
    }
  }

  // Skips forward past the closing tag "</Word ...>". The text in between is not read as tags:
  // a script may hold "<" and quotes in any order.
  void SkipTo(const String& Word) {
    for (;;) {
      const size_t Open = FText.find(u"</", FPos);
      if (Open == StringView::npos) {
        FPos = FText.size();
        return;
      }
      FPos = Open + 2;
      if (FText.size() - FPos < Word.size() || !SameText(FText.substr(FPos, Word.size()), Word)) {
        continue;
      }
      const size_t After = FPos + Word.size();
      if (After < FText.size() && IsWordChar(FText[After])) continue;  // "</titles" is no match
      const size_t Close = FText.find(u'>', After);
      FPos = Close == StringView::npos ? FText.size() : Close + 1;
      return;
    }
  }

private:
  void SkipSpaces() {
    while (FPos < FText.size() && IsSpace(FText[FPos])) ++FPos;
  }

  // Reads name[=value] pairs up to the ">" that ends the tag (quotes may hide a ">").
  void ReadAttributes(Tag& Out) {
    for (;;) {
      SkipSpaces();
      if (FPos >= FText.size()) return;
      const char16_t C = FText[FPos];
      if (C == u'>') {
        ++FPos;
        return;
      }
      if (C == u'/' || C == u'?') {
        ++FPos;
        continue;
      }
      const size_t NameStart = FPos;
      while (FPos < FText.size() && !IsSpace(FText[FPos]) && FText[FPos] != u'=' &&
             FText[FPos] != u'>') {
        ++FPos;
      }
      Attribute A;
      A.Name = String(FText.substr(NameStart, FPos - NameStart));
      SkipSpaces();
      if (FPos < FText.size() && FText[FPos] == u'=') {
        ++FPos;
        SkipSpaces();
        A.Value = ReadValue();
      }
      Out.Attributes.push_back(std::move(A));
    }
  }

  String ReadValue() {
    if (FPos >= FText.size()) return String();
    const char16_t Quote = FText[FPos];
    if (Quote == u'"' || Quote == u'\'') {
      const size_t End = FText.find(Quote, FPos + 1);
      const size_t Stop = End == StringView::npos ? FText.size() : End;
      String Value(FText.substr(FPos + 1, Stop - FPos - 1));
      FPos = End == StringView::npos ? FText.size() : End + 1;
      return Value;
    }
    const size_t Start = FPos;
    while (FPos < FText.size() && !IsSpace(FText[FPos]) && FText[FPos] != u'>') ++FPos;
    return String(FText.substr(Start, FPos - Start));
  }

  StringView FText;
  size_t FPos = 0;
};

String AttributeValue(const Tag& T, StringView Name) {
  for (const Attribute& A : T.Attributes) {
    if (SameText(A.Name, Name)) return A.Value;
  }
  return String();
}

}  // namespace

void TNetMetaHTTPEquiv::ProcessMetaHTTPEquiv(TStream& AStream) {
  const int64_t Saved = AStream.Position();
  const int64_t Size = AStream.Size();
  std::string Bytes(static_cast<size_t>(Size), '\0');
  AStream.SetPosition(0);
  if (Size > 0) AStream.ReadBuffer(Bytes.data(), Size);
  AStream.SetPosition(Saved);
  // One character per byte: the tags are ASCII, and no byte can break the scan.
  String Text(Bytes.size(), u'\0');
  for (size_t I = 0; I < Bytes.size(); ++I) Text[I] = static_cast<unsigned char>(Bytes[I]);
  ProcessMetaHTTPEquivText(Text);
}

void TNetMetaHTTPEquiv::ProcessMetaHTTPEquivText(StringView AText) {
  enum class State { WaitHtml, WaitHead, Collecting };
  MetaScanner Scanner(AText);
  State S = State::WaitHtml;
  Tag T;
  while (Scanner.NextTag(T)) {
    if (T.Closing) continue;
    if (S == State::WaitHtml) {
      if (SameText(T.Word, u"HTML")) S = State::WaitHead;
      continue;
    }
    if (S == State::WaitHead) {
      if (SameText(T.Word, u"TITLE") || SameText(T.Word, u"BODY")) break;
      if (SameText(T.Word, u"HEAD")) S = State::Collecting;
      continue;
    }
    if (SameText(T.Word, u"TITLE") || SameText(T.Word, u"SCRIPT")) {
      Scanner.SkipTo(T.Word);  // their text may hold anything that looks like a tag
    } else if (SameText(T.Word, u"META") && !T.Attributes.empty() &&
               SameText(T.Attributes.front().Name, u"HTTP-EQUIV")) {
      RawHeaders().Add(T.Attributes.front().Value + u": " + AttributeValue(T, u"CONTENT"));
    }
    // LINK and every other tag carry nothing for the head.
  }
  if (RawHeaders().Count() > 0) ProcessHeaders();
}

}  // namespace vlm
