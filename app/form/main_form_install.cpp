// app/form/main_form_install.cpp -- the install sequence, the Install button's click handler.
// It runs from start to end inside this one call on the GUI thread; the progress handlers, the
// socket waits (the window's idle hook), the package's check and saving, and the wait for the
// runtime-engine installer keep the window alive by processing pending messages.
// Each step reads the folder afresh from the edit, so a change typed meanwhile is seen by the
// later steps. A step that raises ends the sequence; the application shows the error box.
#include <cstdio>
#include <memory>

#include "app/deployment_files.h"
#include "app/install_paths.h"
#include "app/install_state.h"
#include "app/package_seal.h"
#include "app/shell_integration.h"
#include "app/startup_options.h"
#include "app/win32/child_process.h"
#include "http/net_http.h"
#include "http/tls_session.h"
#include "ini/ini_file.h"
#include "runtime/application.h"
#include "runtime/file_system.h"
#include "runtime/memory_stream.h"
#include "runtime/win32/win32_api.h"
#include "ui/main_form.h"
#include "zip/zip_front.h"

namespace vlm {

bool InstallDone = false;

namespace {

constexpr char16_t kRuntimeInstallerSwitches[] = u"/sp- /verysilent /norestart";
constexpr char16_t kLinkName[] = u"Velmora v2";
constexpr int kOverwriteConfirmed = 6;

// "0x" and eight hexadecimal digits, as the system's status codes are written.
String HexCode(int64_t ACode) {
  char Text[24];
  std::snprintf(Text, sizeof Text, "0x%08lX", static_cast<unsigned long>(ACode));
  return Utf8ToString(Text);
}

// Pending window messages, between the blocks of a long step.
void KeepWindowAnswering() {
  Application().ProcessMessages();
}

// A sealed package must match its seal before anything of it is saved; the log says what was
// checked either way. The digest goes in blocks, so the window answers meanwhile.
void CheckSealedPackage(const String& Url, const TPackageSeal& Seal, const TMemoryStream& Package) {
  const TPackageCheck Check = CheckPackage(
      Seal, Package.Memory(), static_cast<size_t>(Package.View().size()), KeepWindowAnswering);
  LogLine(u"menu package checked against its seal: expected " + DescribeSeal(Seal) +
          u", received " + Check.Received() + (Check.Matches ? u", intact" : u", damaged"));
  if (!Check.Matches) throw EPackageSeal(DamagedPackageMessage(Url, Seal, Check));
}

// The arguments the shortcuts pass to the installed program: the server the setup program used.
String ShortcutArguments() {
  if (StartupFlags & kFlagStaging) return u"/staging";
  if (StartupFlags & kFlagDevelopment) return u"/dev";
  return String();
}

}  // namespace

void TMainForm::InstallButtonClick(TObject* /*Sender*/) {
  if (InstallDone) {
    Application().Terminate();
    return;
  }
  // The folder text must name something: the path rules below need at least one character.
  if (InstallDirectory->Text().empty()) {
    Application().ShowErrorBox(u"Please enter the installation folder");
    return;
  }
  // The folder is read from the edit at every step that needs it.
  const auto Folder = [this] { return InstallDirectory->Text(); };
  const auto FolderWithBackslash = [&] { return IncludeTrailingBackslash(Folder()); };

  // 1. Lock the window.
  InstallButton->SetEnabled(false);
  ProgressText->SetVisible(true);
  ProgressBar->SetVisible(true);
  LogLine(u"Checking for installation folder");

  // 2. An existing folder is emptied only when the user confirms.
  if (DirectoryExists(Folder())) {
    if (OverwriteDialog->ExecuteDialog() != kOverwriteConfirmed) return;
    ClearFolder(Folder());
  } else {
    CreateDir(Folder());
  }

  // 3. The folder text ends with a backslash from now on, visibly.
  if (Folder().back() != u'\\') InstallDirectory->SetText(Folder() + u"\\");

  const String ExeFolder = ExecutableFolder();
  // Each download has its own limit; a body beyond it fails the download before it is saved.
  const auto Download = [this](const String& Url, const String& FileName, int64_t MaxSize,
                               const TPackageSeal& Seal = {}) {
    auto Buffer = std::make_unique<TMemoryStream>();
    NetHTTP1->MaxBodySize = MaxSize;
    try {
      NetHTTP1->Get(Url, *Buffer);
    } catch (const ENetTlsError& E) {
      // The error box says what is wrong in words; the log keeps the system's code as well.
      LogLine(u"secure connection refused: " + E.Message() + u" (system code " +
              HexCode(NetHTTP1->LastTlsSystemCode()) + u")");
      throw;
    }
    if (Seal.Present()) CheckSealedPackage(Url, Seal, *Buffer);
    Buffer->SaveToFile(FileName, KeepWindowAnswering);  // in parts, the window answering
  };

  // 4. The deployment descriptor, kept next to the executable.
  String Url = ServerBaseUrl() + u"/" + kDescriptorName;
  LogLine(u"Get deployment descriptor from " + Url);
  Download(Url, ExeFolder + kDescriptorName, kDescriptorMaxSize);

  // 5. The menu package, wherever the descriptor says it is, checked against the descriptor's
  //    seal when it has one (a malformed seal stops the sequence before the download). Its limit
  //    is 512 MiB, or the seal's Size when that says more.
  auto Descriptor = std::make_unique<TIniFile>(ExeFolder + kDescriptorName);
  Url = Descriptor->ReadString(u"vlmv2menu", u"URL", u"");
  LogLine(u"location for menu package is " + Url);
  const TPackageSeal Seal = ReadPackageSeal(*Descriptor);
  Download(Url, Folder() + kPackageName, PackageSizeLimit(Seal), Seal);

  // 6. Unpack; the zip component reports its own failures, the sequence goes on regardless.
  ProgressBar->SetMaximum(100);
  ProgressText->SetCaption(u"Unpacking...");
  Application().ProcessMessages();
  LogLine(u"unpacking");
  ZipFront->SetZipFileName(Folder() + kPackageName);
  ZipFront->FSpecArgs().Clear();
  ZipFront->SetExtrBaseDir(Folder());
  ZipFront->Extract();

  // 7. The release information, stored as received.
  Url = ServerBaseUrl() + u"/" + kReleaseInfoName;
  LogLine(u"Get release.inf from " + Url);
  Download(Url, Folder() + kReleaseInfoName, kReleaseInfoMaxSize);

  // 8. The runtime-engine installer, silently.
  LogLine(u"Installing Morfik runtime engine");
  ProgressText->SetCaption(u"Installing");
  ProgressBar->SetVisible(false);
  {
    TChildProcess Child(ExeFolder + kRuntimeInstallerName, kRuntimeInstallerSwitches,
                        Application().Handle());
    // 9. Wait for it with the window alive; closing the window ends the wait.
    if (Child.Launched()) {
      Timer1->SetEnabled(true);
      for (;;) {
        Application().ProcessMessages();
        if (!Child.StillRunning() || Application().Terminated()) break;
        Child.WaitForExitOrMessage(50);
      }
    }
    Timer1->SetEnabled(false);
  }

  // Steps 10 to 14 each take some tens of milliseconds (a large package's deletion, a shell link
  // made through COM): pending messages are processed between them, as everywhere else in the
  // sequence, so that their sum does not keep the window from answering.

  // 10. Remove what was downloaded and the installer.
  LogLine(u"Deleting downloaded package");
  DeleteFileOrLink(Folder() + kPackageName);
  KeepWindowAnswering();
  DeleteFileOrLink(ExeFolder + kRuntimeInstallerName);
  KeepWindowAnswering();

  // 11. The local deployment record.
  WriteLocalDeploymentRecord(Folder() + kDescriptorName,
                             Descriptor->ReadString(u"vlmv2menu", u"Release", u""));
  Descriptor.reset();
  KeepWindowAnswering();

  // 12. The shortcuts the toggles ask for, as they show now.
  const String Arguments = ShortcutArguments();
  const String Target = FolderWithBackslash() + kMenuProgramName;
  String LinkFile;
  if (StartMenuCheckbox->Caption() == u"V") {
    CreateShortcut(Target, kLinkGivenFolder, ProgramsFolder(), String(), Arguments, kLinkName,
                   LinkFile);
    KeepWindowAnswering();
  }
  if (DesktopShortcutCheckbox->Caption() == u"V") {
    CreateShortcut(Target, kLinkDesktop, String(), String(), Arguments, kLinkName, LinkFile);
    KeepWindowAnswering();
  }

  // 13. The system-module configuration.
  WriteSysModConfig(FolderWithBackslash() + kSysModConfigName);
  KeepWindowAnswering();

  // 14. The zip engine library beside the installed product.
  CopyFileW(WidePtr(ExeFolder + kZipEngineName), WidePtr(FolderWithBackslash() + kZipEngineName),
            FALSE);

  // 15. Done.
  InstallDone = true;
  ProgressText->SetVisible(false);
  InstallButton->SetCaption(u"Done !");
  InstallButton->SetEnabled(true);
}

}  // namespace vlm
