// runtime/string_list.h -- the ordered string list: strings with attached objects, text files.
// The list is never sorted and accepts duplicates. It does not own the attached objects. After
// every change of content it runs Changed() (and then OnChange), which derived lists use to
// invalidate what they cache.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/object.h"
#include "runtime/stream.h"
#include "runtime/string.h"

namespace vlm {

class TStringList : public TObject {
public:
  TStringList() = default;
  TStringList(const TStringList&) = delete;
  TStringList& operator=(const TStringList&) = delete;

  int Count() const { return static_cast<int>(FItems.size()); }
  // Index must lie in 0..Count-1 (checked: an index out of range raises EListError).
  const String& Strings(int Index) const;
  TObject* Objects(int Index) const;
  void Put(int Index, const String& S);  // replaces the string, keeps the object
  void PutObject(int Index, TObject* Object);

  // Append at the end and return the new index.
  int Add(const String& S) { return AddObject(S, nullptr); }
  // Takes S over instead of copying it (a long line is never held twice).
  int Add(String&& S) { return AddObject(std::move(S), nullptr); }
  int AddObject(const String& S, TObject* Object) { return AddObject(String(S), Object); }
  int AddObject(String&& S, TObject* Object);
  void Insert(int Index, const String& S) { InsertObject(Index, S, nullptr); }
  void InsertObject(int Index, const String& S, TObject* Object);
  void Delete(int Index);
  void Exchange(int Index1, int Index2);
  void Clear();
  // Replaces the own content with Source's strings and attached objects.
  void Assign(const TStringList& Source);

  // The text before the first "=" of entry Index, or the empty string when it has none.
  String Names(int Index) const;

  bool CaseSensitive() const { return FCaseSensitive; }
  // Changing the flag does not run Changed(); callers that cache lookups must say so themselves.
  void SetCaseSensitive(bool Value) { FCaseSensitive = Value; }

  // Index of the first entry equal to S (without regard to letter case unless CaseSensitive),
  // or -1. A linear search; hashed lists override it.
  virtual int IndexOf(const String& S) const;
  // Index of the first entry whose name is Name (same comparison), or -1.
  virtual int IndexOfName(const String& Name) const;

  // The whole content as text: every string followed by CR LF.
  String Text() const;
  // Replaces the content by the lines of Value (split at CR LF, lone CR, lone LF; a last line
  // without a break counts; the text ends at the first U+0000).
  void SetText(StringView Value);

  // Reads the whole stream or file as text: a leading byte-order mark selects UTF-8, UTF-16 LE or
  // UTF-16 BE and is skipped; otherwise the bytes are in the ANSI code page. Raises EFOpenError.
  void LoadFromStream(TStream& Stream);
  void LoadFromFile(const String& FileName);
  // Writes Text() in the ANSI code page without a byte-order mark; the file is created or
  // replaced (EFCreateError, EWriteError).
  void SaveToStream(TStream& Stream) const;
  void SaveToFile(const String& FileName) const;

  // Runs after every change of content, after Changed().
  std::function<void()> OnChange;

  // Moves the string of entry Index out, leaving it empty (for a reader that takes the lines
  // over instead of copying them).
  String TakeString(int Index);

protected:
  // The change notification: runs after append, insert, replace, delete, clear and exchange.
  virtual void Changed();
  bool SameString(StringView A, StringView B) const;

private:
  struct Item {
    String FString;
    TObject* FObject;  // not owned
  };
  void CheckIndex(int Index) const;

  std::vector<Item> FItems;
  bool FCaseSensitive = false;
};

// The rest of Stream as bytes, in one buffer of exactly that size.
std::string ReadRestOfStream(TStream& Stream);

// Splits a text file's bytes into lines the way LoadFromStream reads them (byte-order mark or the
// ANSI code page; CR LF, lone CR or lone LF; a last line without a break counts; the text ends at
// the first U+0000) and hands each line to Line, decoded, one at a time: no decoded copy of the
// whole text exists at any moment.
void ForEachTextLine(std::string_view Bytes, const std::function<void(String&& Line)>& Line);

}  // namespace vlm
