// ui/main_form.h -- TMainForm, the program's only window: the two shortcut toggles, the
// installation folder, the Install button, the progress label and bar, and the non-visual
// workers of the installation (HTTP client, zip front end, overwrite dialog, dot timer).
// The constructor builds every component (creation order is painting order), binds the events
// and runs FormCreate; the window's own handlers live in main_form.cpp; the creation and install
// handlers belong to the installer core.
#pragma once

#include <chrono>
#include <memory>
#include <optional>

#include "http/net_http.h"
#include "ui/controls/smooth_button.h"
#include "ui/controls/smooth_label.h"
#include "ui/controls/smooth_progress_bar.h"
#include "ui/controls/smooth_status_indicator.h"
#include "ui/dialog/smooth_message_dialog.h"
#include "ui/diredit/directory_edit.h"
#include "ui/forms/form.h"
#include "ui/forms/image.h"
#include "ui/forms/timer.h"
#include "zip/zip_front.h"

namespace vlm {

// Toggle colours: on shows lime with "V", off red with "X".
inline constexpr TColor kToggleOnColor = 0x00FF00;
inline constexpr TColor kToggleOffColor = 0xFF0000;

// The bar position for an unpacking progress report of kind Order: 0 for a new file and the end
// of the batch, ItemPerCent for a progress update, none (unchanged) for every other kind.
std::optional<double> UnpackBarPosition(TZFProgressType Order, int ItemPerCent);

class TMainForm : public TForm {
public:
  // Builds the window and its components and runs FormCreate; an exception from FormCreate is
  // shown in the application's error box and the window is made all the same. Makes the
  // window the application's window (the owner of child processes' windows).
  TMainForm();
  ~TMainForm() override;

  std::unique_ptr<TImage> Image1;
  std::unique_ptr<TSmoothLabel> SmoothLabel1, SmoothLabel2, SmoothLabel3, SmoothLabel4,
      SmoothLabel5, ProgressText;
  std::unique_ptr<TSmoothStatusIndicator> StartMenuCheckbox, DesktopShortcutCheckbox;
  std::unique_ptr<TSmoothButton> InstallButton;
  std::unique_ptr<TSmoothProgressBar> ProgressBar;
  std::unique_ptr<TDirectoryEdit> InstallDirectory;
  std::unique_ptr<TNetHTTP> NetHTTP1;
  std::unique_ptr<TZipFront19> ZipFront;
  std::unique_ptr<TSmoothMessageDialog> OverwriteDialog;
  std::unique_ptr<TTimer> Timer1;

  // Whether InstallButtonClick is running (closing the window then only asks the application
  // to terminate; the install sequence runs on).
  bool InstallRunning() const { return FInstallRunning; }

  // The close button: during an installation only the terminate request; otherwise the window
  // goes away and the program ends.
  void CloseRequested() override;

  // --- the window's own handlers ---
  // Flip the clicked indicator: red becomes lime with "V", anything else red with "X".
  void StartMenuCheckboxClick(TObject* Sender);
  void DesktopShortcutCheckboxClick(TObject* Sender);
  // Appends "." to ProgressText's caption.
  void Timer1Timer(TObject* Sender);
  // Download progress: begin sets the maximum to the expected count and the position to 0;
  // work sets the position to the count so far; end sets it to 0. Each then processes messages
  // (work: unless that was done within the last kPumpInterval).
  void NetHTTP1WorkBegin(TNetComponent& Sender, TWorkMode AWorkMode, int64_t AWorkCountMax);
  void NetHTTP1Work(TNetComponent& Sender, TWorkMode AWorkMode, int64_t AWorkCount);
  void NetHTTP1WorkEnd(TNetComponent& Sender, TWorkMode AWorkMode);
  // Unpacking progress (UnpackBarPosition), then processes messages unless that was done within
  // the last kPumpInterval.
  void ZipFrontProgress(TObject* Sender, TZFProgressDetails& Details);

  // --- defined by the installer core ---
  void FormCreate(TObject* Sender);
  void InstallButtonClick(TObject* Sender);
  void ExtractZipEngine();
  void ExtractRuntimeInstaller();

  // Alt+S flips the Start-menu toggle, Alt+D the desktop toggle; the focus stays where it is.
  bool Mnemonic(char16_t Key) override;

private:
  void CreateComponents();
  void BindEvents();
  // What screen readers see of the window (main_form_access.cpp).
  void DescribeForScreenReaders();
  void RunInstallButtonClick(TObject* Sender);
  static void FlipToggle(TObject* Sender);
  // Processes pending messages unless it last did so less than kPumpInterval ago. The progress
  // events come by the thousand (one per 32 KiB received, several per unpacked file), and
  // looking at an empty queue costs about 60 us under wine: pumping at most once per animation
  // tick keeps the window as live as the bar can show while costing next to nothing.
  void ProcessMessagesPerTick();

  bool FInstallRunning = false;
  std::chrono::steady_clock::time_point FLastPump{};
};

}  // namespace vlm
