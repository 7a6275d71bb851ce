// app/main/setup_main.cpp -- the setup program's entry point: the application object (which
// initialises COM for the GUI thread), the main window (whose creation runs the installer's
// start-up), then the message loop until the application is asked to end.
#include <memory>

#include "runtime/application.h"
#include "runtime/win32/win32_api.h"
#include "ui/main_form.h"
#include "zip/win32/zip_dialog_box.h"
#include "zip/zip_dialog.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  vlm::TApplication& Application = vlm::Application();
  // The zip component's messages and questions appear in its own modal dialog box.
  vlm::SetDefaultZipDialogPresenter(std::make_shared<vlm::TZFWindowDialog>());
  auto MainForm = std::make_unique<vlm::TMainForm>();
  MainForm->Show();
  Application.Run();
  return 0;
}
