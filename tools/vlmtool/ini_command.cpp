// tools/vlmtool/ini_command.cpp -- the "ini" subcommand over TIniFile.
#include "tools/vlmtool/ini_command.h"

#include <string>
#include <vector>

#include "ini/ini_file.h"
#include "runtime/console_output.h"
#include "runtime/string_list.h"

namespace vlm::tool {

const char kIniUsage[] =
    "  vlmtool ini [--case-sensitive] FILE read SECTION IDENT [DEFAULT]\n"
    "  vlmtool ini [--case-sensitive] FILE readint SECTION IDENT DEFAULT\n"
    "  vlmtool ini [--case-sensitive] FILE readbool SECTION IDENT 0|1\n"
    "  vlmtool ini [--case-sensitive] FILE sections\n"
    "  vlmtool ini [--case-sensitive] FILE keys SECTION\n"
    "  vlmtool ini [--case-sensitive] FILE values SECTION\n"
    "  vlmtool ini [--case-sensitive] FILE exists SECTION [IDENT]\n"
    "  vlmtool ini [--case-sensitive] FILE write SECTION IDENT VALUE [SECTION IDENT VALUE]...\n"
    "  vlmtool ini [--case-sensitive] FILE erase SECTION\n"
    "  vlmtool ini [--case-sensitive] FILE delete SECTION IDENT\n";

namespace {

// The lines an operation prints, kept as text until the INI file is released: a value as long as
// the file is then never held three times over.
using TOutput = std::vector<String>;

// One operation: its name, how many arguments it takes after its name, and what it does.
struct Operation {
  const char16_t* Name;
  size_t MinArgs;
  size_t MaxArgs;
  void (*Run)(TIniFile& Ini, const Arguments& Args, TOutput& Out);
};

void Line(TOutput& Out, String&& Text) {
  Out.push_back(std::move(Text));
}

void Lines(TOutput& Out, TStringList& List) {
  for (int I = 0; I < List.Count(); ++I) Line(Out, List.TakeString(I));
}

int32_t IntegerArgument(const String& Text) {
  int32_t Value = 0;
  if (!TryStrToInt(Text, Value)) {
    throw UsageError("DEFAULT must be a 32-bit integer, not \"" + StringToUtf8(Text) + "\"");
  }
  return Value;
}

bool BoolArgument(const String& Text) {
  if (Text == u"0" || Text == u"1") return Text == u"1";
  throw UsageError("DEFAULT must be 0 or 1, not \"" + StringToUtf8(Text) + "\"");
}

void Read(TIniFile& Ini, const Arguments& A, TOutput& Out) {
  Line(Out, Ini.ReadString(A[0], A[1], A.size() > 2 ? A[2] : String()));
}

void ReadInt(TIniFile& Ini, const Arguments& A, TOutput& Out) {
  Line(Out, S(std::to_string(Ini.ReadInteger(A[0], A[1], IntegerArgument(A[2])))));
}

void ReadBool(TIniFile& Ini, const Arguments& A, TOutput& Out) {
  Line(Out, Ini.ReadBool(A[0], A[1], BoolArgument(A[2])) ? u"1" : u"0");
}

void Sections(TIniFile& Ini, const Arguments&, TOutput& Out) {
  TStringList List;
  Ini.ReadSections(List);
  Lines(Out, List);
}

void Keys(TIniFile& Ini, const Arguments& A, TOutput& Out) {
  TStringList List;
  Ini.ReadSection(A[0], List);
  Lines(Out, List);
}

void Values(TIniFile& Ini, const Arguments& A, TOutput& Out) {
  TStringList List;
  Ini.ReadSectionValues(A[0], List);
  Lines(Out, List);
}

void Exists(TIniFile& Ini, const Arguments& A, TOutput& Out) {
  const bool Found = A.size() > 1 ? Ini.ValueExists(A[0], A[1]) : Ini.SectionExists(A[0]);
  Line(Out, Found ? u"yes" : u"no");
}

void Write(TIniFile& Ini, const Arguments& A, TOutput&) {
  for (size_t I = 0; I < A.size(); I += 3) Ini.WriteString(A[I], A[I + 1], A[I + 2]);
  Ini.UpdateFile();
}

void Erase(TIniFile& Ini, const Arguments& A, TOutput&) {
  Ini.EraseSection(A[0]);
  Ini.UpdateFile();
}

void Delete(TIniFile& Ini, const Arguments& A, TOutput&) {
  Ini.DeleteKey(A[0], A[1]);
  Ini.UpdateFile();
}

constexpr size_t kUnbounded = static_cast<size_t>(-1);

const Operation kOperations[] = {
    {u"read", 2, 3, Read},         {u"readint", 3, 3, ReadInt},
    {u"readbool", 3, 3, ReadBool}, {u"sections", 0, 0, Sections},
    {u"keys", 1, 1, Keys},         {u"values", 1, 1, Values},
    {u"exists", 1, 2, Exists},     {u"write", 3, kUnbounded, Write},
    {u"erase", 1, 1, Erase},       {u"delete", 2, 2, Delete},
};

}  // namespace

int RunIniCommand(const Arguments& Args) {
  size_t Next = 0;
  bool CaseSensitive = false;
  if (Next < Args.size() && Args[Next] == u"--case-sensitive") {
    CaseSensitive = true;
    ++Next;
  }
  if (Args.size() - Next < 2) throw UsageError("ini needs FILE and an operation");
  const String& FileName = Args[Next];
  const String& Name = Args[Next + 1];
  const Arguments Rest(Args.begin() + static_cast<std::ptrdiff_t>(Next + 2), Args.end());

  const Operation* Op = nullptr;
  for (const Operation& Candidate : kOperations) {
    if (Name == Candidate.Name) Op = &Candidate;
  }
  if (Op == nullptr) throw UsageError("unknown ini operation \"" + StringToUtf8(Name) + "\"");
  const bool CountFits = Rest.size() >= Op->MinArgs && Rest.size() <= Op->MaxArgs &&
                         (Op->Run != Write || Rest.size() % 3 == 0);
  if (!CountFits) throw UsageError("wrong number of arguments for ini " + StringToUtf8(Name));
  // Checked before the file is touched, so that a usage error never depends on the file.
  if (Op->Run == ReadInt) IntegerArgument(Rest[2]);
  if (Op->Run == ReadBool) BoolArgument(Rest[2]);

  TOutput Out;
  {
    TIniFile Ini(FileName);
    Ini.SetCaseSensitive(CaseSensitive);
    Op->Run(Ini, Rest, Out);
  }
  for (String& Text : Out) {
    WriteStdout(StringToUtf8(Text));
    WriteStdout("\n");
    Text = String();
  }
  return 0;
}

}  // namespace vlm::tool
