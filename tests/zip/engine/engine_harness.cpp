// tests/zip/engine/engine_harness.cpp -- library loading (through runtime/dynamic_library.h), the
// recording callback, test archives.
#include "tests/zip/engine/engine_harness.h"

#include <cstdlib>
#include <stdexcept>

#include "runtime/dynamic_library.h"
#include "tests/support/temp_folder.h"

namespace vlm::test {
namespace {

// Unix paths handed to a Windows program under wine name the drive that maps the Unix root.
std::string ForTarget(std::string Path) {
#if defined(_WIN32)
  if (!Path.empty() && Path[0] == '/') Path = "Z:" + Path;
#endif
  return Path;
}

template <class F>
F Resolve(void* Module, const char* Name, std::string& Error) {
  void* P = DynamicLibrarySymbol(Module, Name);
  if (!P) Error += std::string("missing export ") + Name + "; ";
  return reinterpret_cast<F>(P);
}

EngineLibrary LoadEngine() {
  EngineLibrary L;
  const std::string File = EngineFileName();
  unsigned Error = 0;
  void* Module = LoadDynamicLibrary(Utf8ToString(File), Error);
  if (!Module) {
    L.LoadError = "cannot load " + File + " (error " + std::to_string(Error) + ")";
    return L;
  }
  L.Exec = Resolve<VZExecFunc>(Module, "VZ_Exec", L.LoadError);
  L.Abort = Resolve<VZAbortFunc>(Module, "VZ_Abort", L.LoadError);
  L.Version = Resolve<VZVersionFunc>(Module, "VZ_Version", L.LoadError);
  L.PrivVersion = Resolve<VZVersionFunc>(Module, "VZ_PrivVersion", L.LoadError);
  L.Name = Resolve<VZNameFunc>(Module, "VZ_Name", L.LoadError);
  L.Banner = Resolve<VZTextFunc>(Module, "VZ_Banner", L.LoadError);
  L.Path = Resolve<VZTextFunc>(Module, "VZ_Path", L.LoadError);
  return L;  // stays loaded for the whole test program
}

String ReadText(const void* P, bool Wide) {
  if (!P) return {};
  if (Wide) return String(static_cast<const char16_t*>(P));
  return Utf8ToString(static_cast<const char*>(P));
}

}  // namespace

std::string EngineFileName() {
  return ForTarget(VLM_ZIP_ENGINE_FILE);
}

const EngineLibrary& Engine() {
  static const EngineLibrary Library = LoadEngine();
  return Library;
}

String PathString(const std::filesystem::path& Path) {
  return Utf8ToString(PathToUtf8(Path));
}
std::string ToUtf8(const String& Text) {
  return StringToUtf8(Text);
}

EngineRun::EngineRun() {
  Command.fVersion = VZ_INTERFACE_VERSION;
  Command.fCaller = this;
  Command.fOptions = VZ_OPT_QUIET | VZ_OPT_OP_EXTRACT;
  Command.fPwdReqCount = 1;
  Command.fCheck = VZ_COMMAND_CHECK;
}

void EngineRun::SetAnswerText(const String& Text) {
  FAnswer = Text;
  FCurrent->HaveWide = 1;
  FCurrent->MsgP = FAnswer.c_str();
}

void EngineRun::SetAnswerArg1(uint32_t Value) {
  FCurrent->Arg1 = Value;
}

int32_t EngineRun::Run() {
  Command.fCaller = this;
  Command.ZCallbackFunc = &EngineRun::Callback;
  if (!Engine().Exec) throw std::runtime_error(Engine().LoadError);
  return Engine().Exec(&Command);
}

int32_t VZ_CALL EngineRun::Callback(TZCallBackStruct* Record) {
  if (Record->Check != VZ_CALLBACK_CHECK) return VZ_ANSWER_BAD_RECORD;
  return static_cast<EngineRun*>(Record->Caller)->Answer(*Record);
}

int32_t EngineRun::Answer(TZCallBackStruct& Record) {
  FCurrent = &Record;
  CallbackEvent E;
  E.Action = Record.ActionCode & 0x3F;
  E.Text = ReadText(Record.MsgP, Record.HaveWide != 0);
  E.Text2 = ReadText(Record.Msg2P, Record.HaveWide != 0);
  E.Size = Record.File_Size;
  E.Written = Record.Written;
  E.Arg1 = Record.Arg1;
  E.Arg2 = Record.Arg2;
  E.Arg3 = Record.Arg3;
  if (E.Action != VZ_ACT_ARGUMENT) {
    Events.push_back(E);
    return OnCallback ? OnCallback(E, *this) : 0;
  }
  Requests.push_back(E);
  auto Give = [&](const String& Text) {
    SetAnswerText(Text);
    return 1;
  };
  auto FromList = [&](const std::vector<String>& List) {
    if (Record.Arg3 < 0) return static_cast<int>(VZ_ANSWER_BAD_RECORD);
    const size_t Index = static_cast<size_t>(Record.Arg3);
    Record.Arg3 = static_cast<int32_t>(List.size());
    if (Index >= List.size()) {
      SetAnswerText(u"");
      return 0;
    }
    return Give(List[Index]);
  };
  switch (Record.Arg1) {
    case VZ_ARG_FILE_NAME: return Give(ArchiveName);
    case VZ_ARG_PASSWORD: return Give(Password);
    case VZ_ARG_ROOT_DIR: return Give(u"");
    case VZ_ARG_BASE_DIR: return Give(BaseDir);
    case VZ_ARG_FSPEC: return FromList(FileSpecs);
    case VZ_ARG_FSPEC_EXCL: return FromList(ExcludeFileSpecs);
    case VZ_ARG_TEMP_DIR: return Give(u"");
    default: return VZ_ANSWER_BAD_RECORD;
  }
}

std::vector<CallbackEvent> EngineRun::Of(int32_t Action) const {
  std::vector<CallbackEvent> Result;
  for (const auto& E : Events) {
    if (E.Action == Action) Result.push_back(E);
  }
  return Result;
}

std::vector<String> EngineRun::TextsOf(int32_t Action) const {
  std::vector<String> Result;
  for (const auto& E : Of(Action)) Result.push_back(E.Text);
  return Result;
}

std::vector<int32_t> EngineRun::Actions() const {
  std::vector<int32_t> Result;
  for (const auto& E : Events) Result.push_back(E.Action);
  return Result;
}

std::filesystem::path ArchiveFolder() {
  static const std::filesystem::path Folder = [] {
    if (const char* Given = std::getenv("VLM_ZIP_TEST_ARCHIVES"); Given && *Given) {
      return std::filesystem::path(ForTarget(Given));
    }
#if defined(_WIN32)
    throw std::runtime_error("VLM_ZIP_TEST_ARCHIVES is not set (run the test through CTest)");
#else
    // Run by hand: make the archives once in a fresh folder.
    static TempFolder Made;
    const std::string Command =
        std::string("python3 '") + VLM_ZIP_ARCHIVE_SCRIPT + "' '" + PathToUtf8(Made.Path()) + "'";
    if (std::system(Command.c_str()) != 0)
      throw std::runtime_error("cannot make the test archives");
    return Made.Path();
#endif
  }();
  return Folder;
}

String ArchivePath(const std::string& Name) {
  return PathString(ArchiveFolder() / Name);
}

String SharedArchivePath(const std::string& Name) {
  return Utf8ToString(ForTarget(std::string(VLM_SHARED_TESTDATA) + "/" + Name));
}

bool SharedArchivesPresent() {
  return std::filesystem::exists(std::filesystem::path(ForTarget(VLM_SHARED_TESTDATA)));
}

std::string SharedArchivesMissingNote() {
  return std::string("public archive corpus not found, expected at ") + VLM_SHARED_TESTDATA;
}

}  // namespace vlm::test
