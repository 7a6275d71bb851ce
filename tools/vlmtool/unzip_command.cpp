// tools/vlmtool/unzip_command.cpp -- the "unzip" subcommand over TZipFront19.
#include "tools/vlmtool/unzip_command.h"

#include <memory>
#include <optional>
#include <string>

#include "runtime/console_output.h"
#include "zip/zip_front.h"

namespace vlm::tool {

const char kUnzipUsage[] =
    "  vlmtool unzip [--events] [--dirnames] [--overwrite] [--test] [--only PATTERN]...\n"
    "                [--password PW] PKG DIR\n";

const char* ProgressTypeName(int Order) {
  static const char* const kNames[] = {"NewFile",    "ProgressUpdate",     "EndOfItem",
                                       "EndOfBatch", "TotalFiles2Process", "TotalSize2Process",
                                       "NewExtra",   "ExtraUpdate"};
  return Order >= 0 && Order < 8 ? kNames[Order] : "Unknown";
}

namespace {

void Line(const String& Text) {
  WriteStdout(StringToUtf8(Text) + "\n");
}

}  // namespace

int RunUnzipCommand(const Arguments& Args) {
  bool Events = false;
  TZFExtrOpts Options;
  std::vector<String> Patterns;
  std::optional<String> Password;
  std::vector<String> Plain;
  for (size_t I = 0; I < Args.size(); ++I) {
    const String& A = Args[I];
    auto Value = [&](const char* Flag) {
      if (I + 1 >= Args.size()) throw UsageError(std::string(Flag) + " needs a value");
      return Args[++I];
    };
    if (A == u"--events") {
      Events = true;
    } else if (A == u"--dirnames") {
      Options.Include(ExtrDirNames);
    } else if (A == u"--overwrite") {
      Options.Include(ExtrOverWrite);
    } else if (A == u"--test") {
      Options.Include(ExtrTest);
    } else if (A == u"--only") {
      Patterns.push_back(Value("--only"));
    } else if (A == u"--password") {
      Password = Value("--password");
    } else if (A.size() > 2 && A.compare(0, 2, u"--") == 0) {
      throw UsageError("unknown option \"" + StringToUtf8(A) + "\"");
    } else {
      Plain.push_back(A);
    }
  }
  if (Plain.size() != 2) throw UsageError("unzip needs PKG and DIR");

  TZipFront19 Zip;
  Zip.DialogPresenter = std::make_shared<TZFConsoleDialog>(Line, Password);
  if (Events) {
    Zip.OnProgress = [](TObject*, TZFProgressDetails& D) {
      WriteStdout(std::string("progress ") + ProgressTypeName(D.Order()) + " " +
                  StringToUtf8(D.ItemName()) + " " + std::to_string(D.ItemSize()) + " " +
                  std::to_string(D.ItemPerCent()) + "\n");
    };
    Zip.OnMessage = [](TObject*, int32_t Code, const String& Text) {
      WriteStdout("message " + std::to_string(Code) + " " + StringToUtf8(Text) + "\n");
    };
  }
  Zip.SetZipFileName(Plain[0]);
  Zip.FSpecArgs().Clear();
  for (const String& Pattern : Patterns) Zip.FSpecArgs().Add(Pattern);
  Zip.SetExtrBaseDir(Plain[1]);
  Zip.SetExtrOptions(Options);
  const int Result = Zip.Extract();
  WriteStdout("result " + std::to_string(Result) + " " + std::to_string(Zip.SuccessCnt()) + "\n");
  return 0;
}

}  // namespace vlm::tool
