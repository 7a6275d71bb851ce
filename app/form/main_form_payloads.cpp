// app/form/main_form_payloads.cpp -- the payloads the setup executable carries, written next to
// it when the main window is created: the zip engine library and the runtime-engine installer.
#include "app/deployment_files.h"
#include "app/install_paths.h"
#include "app/payload_file.h"
#include "app/win32/module_resource.h"
#include "runtime/file_system.h"
#include "ui/main_form.h"

namespace vlm {

namespace {

void ExtractPayload(const String& ResourceName, const String& FileName) {
  const String Target = ExecutableFolder() + FileName;
  if (FileExists(Target)) return;  // whatever lies there is used as it is
  const TRawResource Payload = FindRawResource(ResourceName);
  WritePayloadFile(Target, Payload.Data, Payload.Size);
}

}  // namespace

void TMainForm::ExtractZipEngine() { ExtractPayload(u"vzipdll", kZipEngineName); }

void TMainForm::ExtractRuntimeInstaller() { ExtractPayload(u"mxsetup", kRuntimeInstallerName); }

}  // namespace vlm
