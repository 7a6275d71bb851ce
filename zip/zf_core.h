// zip/zf_core.h -- TZFCore, the root of the zip front end's worker: the error state (ErrCode,
// ErrMessage, DllErrCode, the cancel code), the central report ShowMsg with its silent codes, the
// text-only reports, the message dialog through OnZipDialog or a TZFDialogPresenter, and
// KeepAlive. Everything runs on the calling thread; nothing here is synchronised.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>

#include "runtime/object.h"
#include "runtime/string.h"
#include "zip/zip_dialog.h"
#include "zip/zip_messages.h"

namespace vlm {

// The component's events, with the component as Sender (nullptr before one is attached).
using TZFMessageEvent = std::function<void(TObject* Sender, int32_t ErrCode, const String& ErrMsg)>;
using TZFZipDialogEvent = std::function<void(TObject* Sender, const String& Title, String& Msg,
                                             int& Result, TMsgDlgButtons Btns)>;
using TZFNotifyEvent = std::function<void(TObject* Sender)>;
using TZFCheckTerminateEvent = std::function<void(TObject* Sender, bool& Abort)>;

// The context of ShowMsg's box: information type, help context 10000.
inline constexpr uint32_t kShowMsgContext = ZipDialogContext(kZipDlgInformation, 10000);

// The application title that an untitled box gets: the executable's file name up to its first
// ".", every character after the first in lower case.
String ApplicationTitleFor(const String& ExecutableFileName);

class TZFCore {
public:
  TZFCore();
  virtual ~TZFCore() = default;
  TZFCore(const TZFCore&) = delete;
  TZFCore& operator=(const TZFCore&) = delete;

  // --- error state -------------------------------------------------------------------------
  int32_t ErrCode() const { return fErrCode; }
  // Empty when ErrCode is 0; else the stored message, or the text of id ErrCode, or the text of
  // 10125 (" Unknown error %d") formatted with ErrCode.
  String ErrMessage() const;
  int32_t DllErrCode() const { return fDllErrCode; }
  void SetDllErrCode(int32_t Value) { fDllErrCode = Value; }
  // 0, or the id that ends the running operation (11007, 10106 or 10128).
  int32_t CancelCode() const { return fCancel; }
  void SetCancelCode(int32_t Value) { fCancel = Value; }
  // ErrCode 0, ErrMessage empty, DllErrCode 0 (the start of every operation).
  void ClearErrors();
  // Records an error without reporting it anywhere (no box, no OnMessage).
  void SetErrorState(int32_t Code, const String& Message) {
    fErrCode = Code;
    fErrMessage = Message;
  }

  // --- settings copied from the component -------------------------------------------------------
  bool Unattended = false;
  bool Verbose = false;  // verbosity on: Diag lines are reported, dialog titles carry the context
  bool Trace = false;
  String ApplicationTitle;  // preset from the executable's name

  // --- events -------------------------------------------------------------------------------
  TZFMessageEvent OnMessage;
  TZFZipDialogEvent OnZipDialog;
  TZFNotifyEvent OnTick;
  TZFCheckTerminateEvent OnCheckTerminate;
  // Processes the application's pending window messages (the message pump); empty: nothing to do.
  std::function<void()> ProcessMessages;
  // The component passed as Sender to the events.
  void SetSender(TObject* Sender) { FSender = Sender; }
  TObject* Sender() const { return FSender; }
  // The presenter that shows boxes when OnZipDialog does not answer; null: the process default.
  std::shared_ptr<TZFDialogPresenter> DialogPresenter;

  // --- messages -----------------------------------------------------------------------------
  String ZipLoadStr(int32_t Id) const { return LoadZipStr(Id); }
  String ZipFmtLoadStr(int32_t Id, const std::vector<TZFArg>& Args) const {
    return vlm::ZipFmtLoadStr(Id, Args);
  }

  // The central report: ErrMessage := Text, ErrCode := |Code| (whatever they held); when Display
  // is set, the worker is not Unattended and the code is not silent, an information box with the
  // text; then ReportMessage(ErrCode, Text).
  void ShowMsg(const String& Text, int32_t Code, bool Display);
  // Whether Code never opens a box: 10128 user abort, 11007 user cancel, 11022 comment read
  // error and 10203 structure warning.
  static bool IsSilentCode(int32_t Code);
  // The text of |Id| followed by Extra, always displayed (subject to the silent codes).
  void ShowZipMessage(int32_t Id, const String& Extra = String());
  void ShowZipMsg(int32_t Id, bool Display);
  void ShowZipFmtMsg(int32_t Id, const std::vector<TZFArg>& Args, bool Display);
  // An EZFException with its id and display flag; any other exception as 10130, displayed.
  void ShowExceptionError(const std::exception& Error);

  // Reports that never open a box. ReportMessage1: a nonzero Code while no error is recorded
  // becomes the error (and DllErrCode when that is 0); OnMessage always follows, then KeepAlive.
  void ReportMessage1(int32_t Code, const String& Text);
  // ReportMessage: the same (a diagnostic listener copy would go first; none is supported).
  void ReportMessage(int32_t Code, const String& Text);
  // The formatted text of Id as an information line (code 0); a leading "!" becomes "info: ",
  // a leading "#" becomes "Trace: ".
  void ReportMsg(int32_t Id, const std::vector<TZFArg>& Args);
  // With verbosity on, "Trace: " + Text as an information line; the error state is kept.
  void Diag(const String& Text);

  // --- dialogs ------------------------------------------------------------------------------
  // The modal box: OnZipDialog first (its Result, preset to Context, counts when it is 1..10,
  // and its text is returned in Text); otherwise the presenter. For the password type, Text
  // returns the typed text after OK and empty text after anything else.
  int ZipMessageDialog(const String& Title, String& Text, TMsgDlgButtons Buttons, uint32_t Context);
  // An untitled box with only an OK button.
  int ZipMessageDlg(const String& Text, uint32_t Context);
  int ZipMessageDlgEx(const String& Title, const String& Text, TMsgDlgButtons Buttons,
                      uint32_t Context);

  // Lets the application live during long work: true when the cancel code is set (noted before
  // the handlers run); OnTick; OnCheckTerminate may set the cancel code 11007; without that
  // handler the pending window messages are processed.
  bool KeepAlive();

private:
  int32_t fErrCode = 0;
  String fErrMessage;
  int32_t fDllErrCode = 0;
  int32_t fCancel = 0;
  TObject* FSender = nullptr;  // not owned
};

}  // namespace vlm
