// zip/zf_waux.cpp -- loading the archive directory for the worker.
#include "zip/zf_waux.h"

#include <new>

#include "zip/zf_exception.h"

namespace vlm {

TZFWAux::TZFWAux() = default;

void TZFWAux::SetZipFileName(const String& Name) {
  if (Name == FZipFileName) return;
  FZipFileName = Name;
  RunOperation([this] { LoadZip(); });
}

void TZFWAux::RunOperation(const std::function<void()>& Body) {
  SetCancelCode(0);
  try {
    Body();
  } catch (const EZipFront& Error) {
    ShowExceptionError(Error);
  } catch (const std::bad_alloc&) {
    ShowZipMsg(kZipMsgNoMemory, true);
  } catch (const std::exception& Error) {
    const auto* Own = dynamic_cast<const Exception*>(&Error);
    const String Detail = Own ? Own->Message() : Utf8ToString(Error.what());
    ShowMsg(LoadZipStr(kZipMsgUnknownListError) + Detail, kZipMsgUnknownListError, true);
  }
}

void TZFWAux::LoadZip() {
  ClearErrors();
  FZipComment.clear();
  FCentralDir.Sender = Sender();
  if (FZipFileName.empty()) {
    FCentralDir.SetCurrent(nullptr);  // the view empties and says so
    return;
  }
  auto Archive = std::make_shared<TZFZipFile>(*this);
  Archive->SetFileName(FZipFileName);
  Archive->Opener = Opener;
  Archive->SetEncoding(Encoding);
  // The old archive goes now: its handles turn stale and the (empty) view reports the change.
  FCentralDir.SetCurrent(Archive);
  // A load that reaches the central directory ends with the view's rebuild and OnDirUpdate,
  // also when it raises.
  const int Result = Archive->Open(/*Load=*/true);
  if (Result >= 0) {
    Archive->Close();
    FZipComment = Archive->FZipComment;
    return;
  }
  if (Result == -kZipMsgInputNotExist) {
    // A package that is not there yet is an expected state, not a failure to show or report.
    SetErrorState(kZipMsgInputNotExist, LoadZipStr(kZipMsgInputNotExist));
  } else {
    ShowZipMsg(-Result, /*Display=*/true);
  }
  if (FCentralDir.OnDirUpdate) FCentralDir.OnDirUpdate(Sender());
}

int64_t TZFWAux::ZipEOC() const {
  const auto& Archive = FCentralDir.Current();
  return Archive && Archive->IsLoaded() ? Archive->fEOCOffset : 0;
}

int64_t TZFWAux::ZipFileSize() const {
  const auto& Archive = FCentralDir.Current();
  return Archive && Archive->IsLoaded() ? Archive->fRealFileSize : 0;
}

uint64_t TZFWAux::ZipSOC() const {
  const auto& Archive = FCentralDir.Current();
  return Archive && Archive->IsLoaded() ? Archive->fCentralOffset : 0;
}

uint64_t TZFWAux::SFXOffset() const {
  const auto& Archive = FCentralDir.Current();
  return Archive && Archive->IsLoaded() ? Archive->SFXOfs() : 0;
}

bool TZFWAux::IsSpanned() const {
  const auto& Archive = FCentralDir.Current();
  return Archive && Archive->IsLoaded() && Archive->fMultiDisk;
}

}  // namespace vlm
