// zip/zf_core.cpp -- error state, reports and the message dialog of the zip front end's worker.
#include "zip/zf_core.h"

#include <cstdint>

#include "runtime/exception.h"
#include "runtime/file_system.h"
#include "zip/zf_exception.h"

namespace vlm {
namespace {

constexpr int kLowestModalResult = 1;
constexpr int kHighestModalResult = 10;

char16_t LowerCaseAscii(char16_t C) {
  return (C >= u'A' && C <= u'Z') ? C + (u'a' - u'A') : C;
}

int32_t Magnitude(int32_t Code) {
  // The most negative value has no positive counterpart; it stays as it is rather than overflow.
  return (Code < 0 && Code != INT32_MIN) ? -Code : Code;
}

// The text of Id for a box: ShowZipMessage and ShowZipMsg name an id without text plainly.
String BoxTextOf(int32_t Id) {
  String Text = FindZipStr(Id);
  if (!Text.empty()) return Text;
  return ZipFormat(
      u"ZFRes19_???.res is probably not linked to the executable\r\nMissing String ID is: %d ",
      {static_cast<int64_t>(Id)});
}

}  // namespace

String ApplicationTitleFor(const String& ExecutableFileName) {
  String Name = ExtractFileName(ExecutableFileName);
  const size_t Dot = Name.find(u'.');
  if (Dot != String::npos) Name.resize(Dot);
  for (size_t I = 1; I < Name.size(); ++I) {
    // The platform's lower-casing; ASCII is what executable names hold in practice.
    Name[I] = LowerCaseAscii(Name[I]);
  }
  return Name;
}

TZFCore::TZFCore() : ApplicationTitle(ApplicationTitleFor(ExecutablePath())) {}

String TZFCore::ErrMessage() const {
  if (fErrCode == 0) return String();
  if (!fErrMessage.empty()) return fErrMessage;
  String Text = FindZipStr(fErrCode);
  if (!Text.empty()) return Text;
  return vlm::ZipFmtLoadStr(kZipMsgUnknownError, {static_cast<int64_t>(fErrCode)});
}

void TZFCore::ClearErrors() {
  fErrCode = 0;
  fErrMessage.clear();
  fDllErrCode = 0;
}

bool TZFCore::IsSilentCode(int32_t Code) {
  return Code == kZipMsgUserAbort || Code == kZipMsgUserCancel || Code == kZipMsgReadComment ||
         Code == kZipMsgStructureWarning;
}

void TZFCore::ShowMsg(const String& Text, int32_t Code, bool Display) {
  fErrMessage = Text;
  fErrCode = Magnitude(Code);
  if (Display && !Unattended && !IsSilentCode(fErrCode)) ZipMessageDlg(Text, kShowMsgContext);
  ReportMessage(fErrCode, Text);
}

void TZFCore::ShowZipMessage(int32_t Id, const String& Extra) {
  const int32_t Ident = Magnitude(Id);
  ShowMsg(BoxTextOf(Ident) + Extra, Ident, true);
}

void TZFCore::ShowZipMsg(int32_t Id, bool Display) {
  const int32_t Ident = Magnitude(Id);
  ShowMsg(BoxTextOf(Ident), Ident, Display);
}

void TZFCore::ShowZipFmtMsg(int32_t Id, const std::vector<TZFArg>& Args, bool Display) {
  const int32_t Ident = Magnitude(Id);
  ShowMsg(ZipFormat(BoxTextOf(Ident), Args), Ident, Display);
}

void TZFCore::ShowExceptionError(const std::exception& Error) {
  if (const auto* ZipError = dynamic_cast<const EZFException*>(&Error)) {
    ShowMsg(ZipError->Message(), ZipError->ResIdent(), ZipError->DisplayMsg());
    return;
  }
  if (const auto* Error2 = dynamic_cast<const Exception*>(&Error)) {
    ShowMsg(Error2->Message(), kZipMsgErrorException, true);
    return;
  }
  ShowMsg(Utf8ToString(Error.what()), kZipMsgErrorException, true);
}

void TZFCore::ReportMessage1(int32_t Code, const String& Text) {
  if (Code != 0 && fErrCode == 0) {
    if (fDllErrCode == 0) fDllErrCode = Code;
    fErrCode = Code;
    fErrMessage = Text;
  }
  if (OnMessage) OnMessage(FSender, Code, Text);
  KeepAlive();
}

void TZFCore::ReportMessage(int32_t Code, const String& Text) {
  // A diagnostic listener would receive its copy here; this build supports none.
  ReportMessage1(Code, Text);
}

void TZFCore::ReportMsg(int32_t Id, const std::vector<TZFArg>& Args) {
  String Text = vlm::ZipFmtLoadStr(Id, Args);
  if (!Text.empty() && Text[0] == u'!') {
    Text.replace(0, 1, LoadZipStr(kZipMsgInfo));
  } else if (!Text.empty() && Text[0] == u'#') {
    Text.replace(0, 1, LoadZipStr(kZipMsgTrace));
  }
  ReportMessage(0, Text);
}

void TZFCore::Diag(const String& Text) {
  if (!Verbose) return;
  // Reported as an information line; routing it through ShowMsg would overwrite the recorded
  // error with code 0, making a failed operation look successful.
  ReportMessage(0, LoadZipStr(kZipMsgTrace) + Text);
}

int TZFCore::ZipMessageDialog(const String& Title, String& Text, TMsgDlgButtons Buttons,
                              uint32_t Context) {
  String Caption = Title.empty() ? ApplicationTitle : Title;
  if (Verbose) Caption = ZipFormat(u"%s   (%d)", {Caption, static_cast<int64_t>(Context & 0xFFFF)});
  if (OnZipDialog) {
    String Msg = Text;
    int Result = static_cast<int>(Context);
    OnZipDialog(FSender, Caption, Msg, Result, Buttons);
    if (Result >= kLowestModalResult && Result <= kHighestModalResult) {
      Text = std::move(Msg);
      return Result;
    }
  }
  const TZFDialogDescription Box = DescribeZipDialog(Caption, Text, Buttons, Context);
  std::shared_ptr<TZFDialogPresenter> Presenter =
      DialogPresenter ? DialogPresenter : DefaultZipDialogPresenter();
  String Entered;
  const int Result = Presenter ? Presenter->ShowModal(Box, Entered) : mrNone;
  if (Box.IsPassword()) Text = (Result == mrOk) ? Entered : String();
  return Result;
}

int TZFCore::ZipMessageDlg(const String& Text, uint32_t Context) {
  String Copy = Text;
  return ZipMessageDialog(String(), Copy, {mbOK}, Context);
}

int TZFCore::ZipMessageDlgEx(const String& Title, const String& Text, TMsgDlgButtons Buttons,
                             uint32_t Context) {
  String Copy = Text;
  return ZipMessageDialog(Title, Copy, Buttons, Context);
}

bool TZFCore::KeepAlive() {
  const bool Cancelled = fCancel != 0;
  if (OnTick) OnTick(FSender);
  if (OnCheckTerminate) {
    bool Abort = Cancelled;
    OnCheckTerminate(FSender, Abort);
    if (Abort) fCancel = kZipMsgUserCancel;
  } else if (ProcessMessages) {
    ProcessMessages();
  }
  return Cancelled;
}

}  // namespace vlm
