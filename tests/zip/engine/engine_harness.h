// tests/zip/engine/engine_harness.h -- drives the engine library as the front end will: loads
// vlmzip190 with the platform loader, fills a command record, records every callback and answers
// argument requests and questions as a test scripts them. Also finds the test archives.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "runtime/string.h"
#include "zip/engine/engine_interface.h"

namespace vlm::test {

// The loaded library and its entry points; loaded once per test program.
struct EngineLibrary {
  VZExecFunc Exec = nullptr;
  VZAbortFunc Abort = nullptr;
  VZVersionFunc Version = nullptr;
  VZVersionFunc PrivVersion = nullptr;
  VZNameFunc Name = nullptr;
  VZTextFunc Banner = nullptr;
  VZTextFunc Path = nullptr;
  std::string LoadError;  // empty when every export was found
};
const EngineLibrary& Engine();
// The path the library was loaded from.
std::string EngineFileName();

// One callback as the engine made it.
struct CallbackEvent {
  int32_t Action = 0;
  String Text, Text2;
  int64_t Size = 0;
  int64_t Written = 0;
  uint32_t Arg1 = 0, Arg2 = 0;
  int32_t Arg3 = 0;
};

// What a test sets up for one VZ_Exec call, and what it saw.
class EngineRun {
public:
  EngineRun();

  // Inputs answered to argument requests.
  String ArchiveName;
  String Password;
  String BaseDir;
  std::vector<String> FileSpecs, ExcludeFileSpecs;
  TDLLCommands Command{};  // fOptions 0x24, fPwdReqCount 1, fCheck set; ZCallbackFunc set by Run

  // Answers for actions other than argument requests (default: 0). The handler may change the
  // record (Arg1, MsgP through SetAnswerText) before returning its answer.
  std::function<int32_t(const CallbackEvent&, EngineRun&)> OnCallback;
  void SetAnswerText(const String& Text);  // HaveWide 1, MsgP to a copy owned by this run
  void SetAnswerArg1(uint32_t Value);

  int32_t Run();

  std::vector<CallbackEvent> Events;    // every callback except argument requests
  std::vector<CallbackEvent> Requests;  // argument requests (action 19)

  // Events of one action, and their texts.
  std::vector<CallbackEvent> Of(int32_t Action) const;
  std::vector<String> TextsOf(int32_t Action) const;
  // The sequence of action codes (argument requests left out).
  std::vector<int32_t> Actions() const;

private:
  static int32_t VZ_CALL Callback(TZCallBackStruct* Record);
  int32_t Answer(TZCallBackStruct& Record);
  TZCallBackStruct* FCurrent = nullptr;
  String FAnswer;
};

// Folder holding the archives made by make_test_archives.py (VLM_ZIP_TEST_ARCHIVES, or made on
// first use when running natively without it).
std::filesystem::path ArchiveFolder();
String ArchivePath(const std::string& Name);
// The public sample archives (../shared/testdata/zip from the project root), by relative name.
String SharedArchivePath(const std::string& Name);
bool SharedArchivesPresent();
// The one line a test prints when it skips for want of the corpus: where it is expected.
std::string SharedArchivesMissingNote();

String PathString(const std::filesystem::path& Path);
std::string ToUtf8(const String& Text);

}  // namespace vlm::test
