// tests/ui/support/main_form_app_double.cpp -- test definitions of the handlers the installer
// core gives the main window.
#include "support/main_form_app_double.h"

#include "ui/main_form.h"

namespace vlm {

MainFormAppDouble& AppDouble() {
  static MainFormAppDouble Double;
  return Double;
}

void TMainForm::FormCreate(TObject*) {
  ++AppDouble().FormCreateCalls;
  InstallDirectory->SetDirectory(u"c:\\vlmv2");
  if (AppDouble().OnFormCreate) AppDouble().OnFormCreate(*this);
}

void TMainForm::InstallButtonClick(TObject*) {
  ++AppDouble().InstallClicks;
  if (AppDouble().OnInstallClick) AppDouble().OnInstallClick(*this);
}

void TMainForm::ExtractZipEngine() {}

void TMainForm::ExtractRuntimeInstaller() {}

}  // namespace vlm
