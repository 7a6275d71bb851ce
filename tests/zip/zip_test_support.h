// tests/zip/zip_test_support.h -- doubles shared by the zip front end's tests: a dialog presenter
// that records every box and answers from a script, and a worker whose reports are recorded.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "runtime/memory_stream.h"
#include "zip/zf_waux.h"
#include "zip/zip_dialog.h"

namespace vlm::ziptest {

class RecordingPresenter : public TZFDialogPresenter {
public:
  int ShowModal(const TZFDialogDescription& Box, String& Entered) override {
    Shown.push_back(Box);
    Entered = Typed;
    if (Answers.empty()) return mrOk;
    const int Answer = Answers.front();
    Answers.pop_front();
    return Answer;
  }
  std::vector<TZFDialogDescription> Shown;
  std::deque<int> Answers;  // next modal results; mrOk when empty
  String Typed;             // what the password box's edit holds
};

struct ReportedMessage {
  int32_t Code;
  String Text;
};

// A worker with its boxes, messages and directory events recorded. Archives come from memory
// through LoadBytes, or from files through SetZipFileName.
struct RecordingWorker {
  RecordingWorker() {
    Worker.DialogPresenter = Presenter;
    Worker.OnMessage = [this](TObject*, int32_t Code, const String& Text) {
      Messages.push_back({Code, Text});
    };
    Worker.CentralDir().OnDirUpdate = [this](TObject*) { ++DirUpdates; };
    Worker.CentralDir().OnNewName = [this](TObject*, int SeqNo) { NewNames.push_back(SeqNo); };
  }

  // Loads Bytes as an archive held in memory (a fresh name each time, so it always loads).
  void LoadBytes(const std::string& Bytes) {
    Worker.Opener = [Bytes](const String&) -> std::unique_ptr<TStream> {
      auto Stream = std::make_unique<TMemoryStream>();
      Stream->Write(Bytes.data(), static_cast<int64_t>(Bytes.size()));
      Stream->SetPosition(0);
      return Stream;
    };
    Worker.SetZipFileName(u"memory" + ZipIntToStr(++Loads) + u".zip");
  }

  void ClearRecords() {
    Presenter->Shown.clear();
    Messages.clear();
    DirUpdates = 0;
    NewNames.clear();
  }

  TZFWAux Worker;
  std::shared_ptr<RecordingPresenter> Presenter = std::make_shared<RecordingPresenter>();
  std::vector<ReportedMessage> Messages;
  int DirUpdates = 0;
  std::vector<int> NewNames;
  int Loads = 0;
};

}  // namespace vlm::ziptest
