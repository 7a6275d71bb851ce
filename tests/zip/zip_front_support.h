// tests/zip/zip_front_support.h -- what the component tests share: engine folders, archives made
// on the fly, and a TZipFront19 whose boxes, messages, progress events and skips are recorded.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/temp_folder.h"
#include "tests/zip/archive_builder.h"
#include "tests/zip/zip_test_support.h"
#include "zip/zip_front.h"

namespace vlm::ziptest {

inline String EngineDir() {
  return Utf8ToString(VLM_ZIP_ENGINE_DIR);
}
inline String EngineFile() {
  return Utf8ToString(VLM_ZIP_ENGINE_FILE);
}
inline String FakeEngineDir(const char* Which) {
  return Utf8ToString(std::string(VLM_ZIP_FAKE_ENGINES) + "/" + Which);
}
// An archive made by tests/zip/engine/make_test_archives.py (the engine tests' fixture).
inline String EngineArchive(const char* Name) {
  return Utf8ToString(std::string(VLM_ZIP_ENGINE_ARCHIVES) + "/" + Name);
}

// Sets the script of the fake engine (see fake_engine.cpp).
inline void SetFakeScript(const std::string& Script) {
#if defined(_WIN32)
  _putenv_s("VLM_FAKE_ENGINE", Script.c_str());
#else
  setenv("VLM_FAKE_ENGINE", Script.c_str(), 1);
#endif
}

struct ProgressRecord {
  TZFProgressType Order;
  std::string Name;
  int64_t Size;
  int PerCent;
};

struct SkipRecord {
  std::string Name;
  TZFSkipTypes Reason;
  int ExtError;
};

// A component with every report recorded, a temporary folder with an output folder "out/".
struct FrontFixture {
  FrontFixture() {
    std::filesystem::create_directory(Folder.Path() / "out");
    Zip.DialogPresenter = Presenter;
    Zip.DLLDirectory = EngineDir();
    Zip.OnMessage = [this](TObject*, int32_t Code, const String& Text) {
      Messages.push_back({Code, Text});
    };
    Zip.OnProgress = [this](TObject*, TZFProgressDetails& D) {
      Progress.push_back({D.Order(), StringToUtf8(D.ItemName()), D.ItemSize(), D.ItemPerCent()});
    };
  }

  String Path(const std::string& Name) const {
    return Utf8ToString(test::PathToUtf8(Folder.Path() / Name));
  }
  String OutDir() const { return Path("out") + PathDelimiterText(); }
  static String PathDelimiterText() {
#if defined(_WIN32)
    return u"\\";
#else
    return u"/";
#endif
  }
  std::string OutFile(const std::string& Name) const {
    return test::ReadBytes(Folder.Path() / "out" / Name);
  }
  bool OutExists(const std::string& Name) const {
    return std::filesystem::exists(Folder.Path() / "out" / Name);
  }
  // Writes a stored archive into the folder and returns its path.
  String WriteArchive(const std::string& Name, const std::vector<TestEntry>& Entries) {
    test::WriteBytes(Folder.Path() / Name, BuildArchive(Entries).Bytes);
    return Path(Name);
  }
  // Points the component at Archive and the output folder.
  int ExtractFrom(const String& Archive) {
    Zip.SetZipFileName(Archive);
    Zip.FSpecArgs().Clear();
    Zip.SetExtrBaseDir(OutDir());
    return Zip.Extract();
  }
  std::vector<std::string> BoxTexts() const {
    std::vector<std::string> Texts;
    for (const auto& Box : Presenter->Shown) Texts.push_back(StringToUtf8(Box.Text));
    return Texts;
  }
  std::vector<int32_t> MessageCodes() const {
    std::vector<int32_t> Codes;
    for (const auto& M : Messages) Codes.push_back(M.Code);
    return Codes;
  }

  test::TempFolder Folder;
  std::shared_ptr<RecordingPresenter> Presenter = std::make_shared<RecordingPresenter>();
  TZipFront19 Zip;
  std::vector<ReportedMessage> Messages;
  std::vector<ProgressRecord> Progress;
};

}  // namespace vlm::ziptest
