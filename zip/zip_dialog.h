// zip/zip_dialog.h -- the zip front end's dialog box as the portable code sees it: the button
// kinds and their order, captions and modal results; the dialog type carried in the context
// (icon and beep); the default and cancel buttons; and the presenter that shows a prepared box.
// The Windows build supplies a presenter that builds a real modal TZipDialogBox from a
// TZFDialogDescription; TZFConsoleDialog answers without a window (tests, vlmtool, unattended
// runs).
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <vector>

#include "runtime/string.h"

namespace vlm {

// The platform's dialog-button kinds, numbered as the engine's password protocol numbers them.
enum TMsgDlgBtn : uint8_t {
  mbYes,
  mbNo,
  mbOK,
  mbCancel,
  mbAbort,
  mbRetry,
  mbIgnore,
  mbAll,
  mbNoToAll,
  mbYesToAll,
  mbHelp,
  mbClose
};

// A set of button kinds (bit n = kind n).
class TMsgDlgButtons {
public:
  constexpr TMsgDlgButtons() = default;
  constexpr TMsgDlgButtons(std::initializer_list<TMsgDlgBtn> Kinds) {
    for (const TMsgDlgBtn Kind : Kinds) FBits |= Bit(Kind);
  }
  constexpr bool Contains(TMsgDlgBtn Kind) const { return (FBits & Bit(Kind)) != 0; }
  constexpr bool operator==(const TMsgDlgButtons&) const = default;

private:
  static constexpr uint16_t Bit(TMsgDlgBtn Kind) { return static_cast<uint16_t>(1u << Kind); }
  uint16_t FBits = 0;
};

// Modal results of the box (0: closed without a button).
inline constexpr int mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5,
                     mrYes = 6, mrNo = 7, mrAll = 8, mrNoToAll = 9, mrYesToAll = 10;

// Dialog types, bits 16 to 20 of a context; the low 16 bits are the help context.
inline constexpr uint32_t kZipDlgWarning = 0x10;
inline constexpr uint32_t kZipDlgError = 0x11;
inline constexpr uint32_t kZipDlgInformation = 0x12;
inline constexpr uint32_t kZipDlgConfirmation = 0x13;
inline constexpr uint32_t kZipDlgPassword = 0x14;  // and above

constexpr uint32_t ZipDialogContext(uint32_t Type, uint16_t HelpContext) {
  return (Type << 16) | HelpContext;
}

enum class TZFDialogKind { Warning, Error, Information, Confirmation, Password };

// The system icon a box shows (none for the password box).
enum class TZFDialogIcon { None, Exclamation, Hand, Asterisk, Question };

struct TZFDialogButton {
  TMsgDlgBtn Kind;
  String Name;     // "ZFDlg19" followed by the running number from 1
  String Caption;  // the message text of the kind ("&Yes", ...)
  int ModalResult;
};

// Everything a presenter needs to build and show the box; built by DescribeZipDialog.
struct TZFDialogDescription {
  String Title;
  String Text;
  TZFDialogKind Kind = TZFDialogKind::Warning;
  TZFDialogIcon Icon = TZFDialogIcon::Exclamation;
  uint32_t Beep = 0x30;  // the system beep to sound before showing (MessageBeep type); 0: none
  uint16_t HelpContext = 0;
  std::vector<TZFDialogButton> Buttons;  // in the fixed kind order; mbHelp is never created
  int DefaultButton = -1;  // index into Buttons: OK, else Yes, else Retry; -1 when none
  int CancelButton = -1;   // index into Buttons: Cancel, else No, else OK; -1 when none
  bool IsPassword() const { return Kind == TZFDialogKind::Password; }
};

// The dialog type of a context: bits 16 to 20, where no type bits (or a value below 0x10) mean a
// warning.
uint32_t ZipDialogType(uint32_t Context);

// Prepares a box: kind, icon and beep from the context's type, the buttons of Buttons in the fixed
// order with their captions (looked up as messages, so OnLoadStr can translate them) and modal
// results, and the default and cancel buttons.
TZFDialogDescription DescribeZipDialog(const String& Title, const String& Text,
                                       TMsgDlgButtons Buttons, uint32_t Context);

// Shows a prepared box modally and returns its modal result. For the password box Entered
// receives the typed text (the caller keeps it only for result mrOk).
class TZFDialogPresenter {
public:
  virtual ~TZFDialogPresenter() = default;
  virtual int ShowModal(const TZFDialogDescription& Box, String& Entered) = 0;
};

// A presenter without a window: writes "dialog <text>" (or "password <text>") through Output and
// answers at once. An ordinary box answers its default button (mrOk for an OK box; mrNone when it
// has no default button). The password box answers mrOk with Password when one is set, else
// mrCancel.
class TZFConsoleDialog : public TZFDialogPresenter {
public:
  using TLineSink = std::function<void(const String& Line)>;
  explicit TZFConsoleDialog(TLineSink Output = {}, std::optional<String> Password = std::nullopt)
      : FOutput(std::move(Output)), FPassword(std::move(Password)) {}
  int ShowModal(const TZFDialogDescription& Box, String& Entered) override;

private:
  TLineSink FOutput;
  std::optional<String> FPassword;
};

// The presenter used by a worker that has none of its own. Initially a TZFConsoleDialog without
// output; the Windows program installs its window-based presenter at start-up. Not synchronised:
// set it before any dialog can open.
std::shared_ptr<TZFDialogPresenter> DefaultZipDialogPresenter();
void SetDefaultZipDialogPresenter(std::shared_ptr<TZFDialogPresenter> Presenter);

}  // namespace vlm
