// http/header_list.h -- an HTTP header block as an ordered list of "Name: value" lines.
// Lines are kept exactly as received or written; a line that begins with a space or a tab
// continues the header line before it (a folded header). Lookups unfold, writes may fold.
#pragma once

#include "runtime/string.h"
#include "runtime/string_list.h"

namespace vlm {

class TNetHeaderList : public TStringList {
public:
  // AFoldLength: the longest line that SetValue and AddValue write before folding.
  explicit TNetHeaderList(int AFoldLength = 78);

  // Separator written between a header's name and its value.
  static constexpr StringView NameValueSeparator = u": ";

  // Join continuation lines on lookup (default true).
  bool UnfoldLines = true;
  // Break long lines on writing (default true).
  bool FoldLines = true;
  // Longest line written before folding, in characters.
  int FoldLength;

  // The header name of line Index: the text before its first ":", not trimmed; the whole line
  // when it has no ":". Raises EListError for an index out of range.
  String GetName(int Index) const;
  // Index of the first header line (not a continuation line) whose name equals Name without
  // regard to letter case, or -1. A name written with a blank before its ":" does not match.
  int IndexOfName(const String& Name) const override;

  // The value of the first line named Name, unfolded when UnfoldLines is set, trimmed; empty when
  // there is no such line.
  String Values(const String& Name) const;
  // A non-empty Value replaces the first line named Name in place (its continuation lines go) or
  // appends a line; an empty Value deletes that line and its continuation lines.
  void SetValue(const String& Name, const String& Value);
  // Appends one more "Name: Value" line, even when the name is already present.
  void AddValue(const String& Name, const String& Value);
  // Appends the unfolded value of every line named Name to AList, in order.
  void Extract(const String& Name, TStringList& AList) const;

  // Splits Line into pieces of at most ALength characters where it can: after a space, tab or
  // comma outside double quotes. Every piece after the first starts with one space. A line with
  // no usable break stays longer than ALength.
  static void FoldLine(const String& Line, int ALength, TStringList& Pieces);

private:
  // The unfolded value of line Index.
  String ValueAt(int Index) const;
  // Deletes line Index and the continuation lines that follow it.
  void DeleteWithContinuations(int Index);
  // Adds Line at Index (or at the end when Index is -1), folded when FoldLines is set.
  void PutLine(int Index, const String& Line);
};

// Whether Line continues the header line before it (begins with a space or a tab).
bool IsHeaderContinuation(StringView Line);

// Text without leading and trailing spaces and tabs.
String TrimBlanks(StringView Text);

}  // namespace vlm
