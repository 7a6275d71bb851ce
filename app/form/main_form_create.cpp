// app/form/main_form_create.cpp -- the main window's creation handler: the default folder, the
// payloads next to the executable, the command-line flags, the log channels and the console.
#include "app/startup_options.h"
#include "app/deployment_files.h"
#include "runtime/win32/win32_api.h"
#include "ui/main_form.h"

namespace vlm {

void TMainForm::FormCreate(TObject* /*Sender*/) {
  InstallDirectory->SetDirectory(kDefaultInstallFolder);
  ExtractZipEngine();
  ExtractRuntimeInstaller();
  ParseCommandLine();
  OpenLogChannels();
  if (StartupFlags & kFlagLogToConsole) AllocConsole();
}

}  // namespace vlm
