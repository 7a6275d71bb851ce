// zip/zf_waux.h -- TZFWAux: the worker layer that owns the current archive and its directory view:
// ZipFileName, loading the directory (LoadZip) with its error reporting, the archive comment, and
// the settings that decide how the view looks (name encoding, UseDirOnlyEntries). The component
// (TZipFront19) puts its operation bracket around SetZipFileName; RunOperation is the part of that
// bracket this layer needs on its own: it turns the exceptions of a load into reports.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "zip/zf_cen_dir.h"
#include "zip/zf_core.h"
#include "zip/zf_work_file.h"
#include "zip/zf_zip_file.h"

namespace vlm {

class TZFWAux : public TZFCore {
public:
  TZFWAux();

  const String& ZipFileName() const { return FZipFileName; }
  // Nothing happens when Name equals the current name. Otherwise stores it and loads the
  // directory inside RunOperation; failures end in the error state (and a box, following the
  // reporting rules: none for a missing file, 11022 or 10203).
  void SetZipFileName(const String& Name);

  // Clears the error state, drops the current archive, and when a name is set opens and loads
  // it: a missing file sets ErrCode 11001 without a box, any other open failure is shown with
  // ShowZipMsg; OnDirUpdate always follows. Entry-level failures raise EZipFront.
  void LoadZip();

  // Runs Body with the cancel code cleared; an EZipFront is reported with ShowExceptionError,
  // running out of memory as 10103, any other exception as 10202 followed by its message.
  void RunOperation(const std::function<void()>& Body);

  TZFCenDir& CentralDir() { return FCentralDir; }
  const TZFCenDir& CentralDir() const { return FCentralDir; }
  // The archive comment of the last successful load (raw bytes).
  const std::string& ZipComment() const { return FZipComment; }
  // Position of the end record, of the central directory as used, physical size, data in front
  // of the archive, spanning; 0 / false without a loaded archive.
  int64_t ZipEOC() const;
  uint64_t ZipSOC() const;
  int64_t ZipFileSize() const;
  uint64_t SFXOffset() const;
  bool IsSpanned() const;

  bool UseDirOnlyEntries() const { return !FCentralDir.IgnoreDirOnly(); }
  void SetUseDirOnlyEntries(bool Value) { FCentralDir.SetIgnoreDirOnly(!Value); }

  // Name decoding of archives loaded from now on.
  TZFEncodingSettings Encoding;
  // Where archive bytes come from; empty: files (see TZFWorkFile).
  TZFStreamOpener Opener;

private:
  String FZipFileName;
  std::string FZipComment;
  TZFCenDir FCentralDir;
};

}  // namespace vlm
