// zip/zip_dialog.cpp -- preparation of the zip dialog box and the window-less presenter.
#include "zip/zip_dialog.h"

#include <iterator>

#include "zip/zip_messages.h"

namespace vlm {
namespace {

struct TButtonRow {
  TMsgDlgBtn Kind;
  int32_t CaptionId;
  int ModalResult;
};

// The fixed order of the buttons on the box; mbHelp is never created.
constexpr TButtonRow kButtonRows[] = {
    {mbYes, 10220, mrYes},
    {mbNo, 10221, mrNo},
    {mbOK, 10222, mrOk},
    {mbCancel, 10223, mrCancel},
    {mbAbort, 10224, mrAbort},
    {mbRetry, 10225, mrRetry},
    {mbIgnore, 10226, mrIgnore},
    {mbAll, 10227, mrAll},
    {mbNoToAll, 10228, mrNoToAll},
    {mbYesToAll, 10229, mrYesToAll},
    {mbClose, kZipMsgButtonClose, mrNone},
};

int IndexOfKind(const std::vector<TZFDialogButton>& Buttons, TMsgDlgBtn Kind) {
  for (size_t I = 0; I < Buttons.size(); ++I) {
    if (Buttons[I].Kind == Kind) return static_cast<int>(I);
  }
  return -1;
}

int FirstPresent(const std::vector<TZFDialogButton>& Buttons,
                 std::initializer_list<TMsgDlgBtn> Preference) {
  for (const TMsgDlgBtn Kind : Preference) {
    const int Index = IndexOfKind(Buttons, Kind);
    if (Index >= 0) return Index;
  }
  return -1;
}

std::shared_ptr<TZFDialogPresenter>& DefaultPresenterSlot() {
  static std::shared_ptr<TZFDialogPresenter> Slot = std::make_shared<TZFConsoleDialog>();
  return Slot;
}

}  // namespace

uint32_t ZipDialogType(uint32_t Context) {
  const uint32_t Type = (Context >> 16) & 0x1F;
  return Type < kZipDlgWarning ? kZipDlgWarning : Type;
}

TZFDialogDescription DescribeZipDialog(const String& Title, const String& Text,
                                       TMsgDlgButtons Buttons, uint32_t Context) {
  TZFDialogDescription Box;
  Box.Title = Title;
  Box.Text = Text;
  Box.HelpContext = static_cast<uint16_t>(Context & 0xFFFF);
  switch (ZipDialogType(Context)) {
    case kZipDlgWarning:
      Box.Kind = TZFDialogKind::Warning, Box.Icon = TZFDialogIcon::Exclamation, Box.Beep = 0x30;
      break;
    case kZipDlgError:
      Box.Kind = TZFDialogKind::Error, Box.Icon = TZFDialogIcon::Hand, Box.Beep = 0x10;
      break;
    case kZipDlgInformation:
      Box.Kind = TZFDialogKind::Information, Box.Icon = TZFDialogIcon::Asterisk, Box.Beep = 0x40;
      break;
    case kZipDlgConfirmation:
      Box.Kind = TZFDialogKind::Confirmation, Box.Icon = TZFDialogIcon::Question, Box.Beep = 0x20;
      break;
    default:
      Box.Kind = TZFDialogKind::Password, Box.Icon = TZFDialogIcon::None, Box.Beep = 0;
      break;
  }
  int Number = 0;
  for (const TButtonRow& Row : kButtonRows) {
    if (!Buttons.Contains(Row.Kind)) continue;
    Box.Buttons.push_back(
        {Row.Kind, u"ZFDlg19" + ZipIntToStr(++Number), LoadZipStr(Row.CaptionId), Row.ModalResult});
  }
  Box.DefaultButton = FirstPresent(Box.Buttons, {mbOK, mbYes, mbRetry});
  Box.CancelButton = FirstPresent(Box.Buttons, {mbCancel, mbNo, mbOK});
  return Box;
}

int TZFConsoleDialog::ShowModal(const TZFDialogDescription& Box, String& Entered) {
  if (Box.IsPassword()) {
    if (FOutput) FOutput(u"password " + Box.Text);
    if (!FPassword) return mrCancel;
    Entered = *FPassword;
    return mrOk;
  }
  if (FOutput) FOutput(u"dialog " + Box.Text);
  return Box.DefaultButton >= 0 ? Box.Buttons[Box.DefaultButton].ModalResult : mrNone;
}

std::shared_ptr<TZFDialogPresenter> DefaultZipDialogPresenter() {
  return DefaultPresenterSlot();
}

void SetDefaultZipDialogPresenter(std::shared_ptr<TZFDialogPresenter> Presenter) {
  DefaultPresenterSlot() = std::move(Presenter);
}

}  // namespace vlm
