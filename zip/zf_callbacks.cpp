// zip/zf_callbacks.cpp -- the worker's answers to the engine's callbacks.
#include <algorithm>

#include "runtime/exception.h"
#include "zip/zf_dll_opr.h"
#include "zip/zf_exception.h"

namespace vlm {
namespace {

constexpr uint32_t kMaxRepeatCount = 15;

String ExceptionText(const std::exception& Error) {
  if (const auto* Own = dynamic_cast<const Exception*>(&Error)) return Own->Message();
  return Utf8ToString(Error.what());
}

}  // namespace

int32_t VZ_CALL TZFDLLOpr::CallbackEntry(TZCallBackStruct* Record) {
  if (!Record || Record->Check != VZ_CALLBACK_CHECK) return VZ_ANSWER_BAD_RECORD;
  auto* Worker = static_cast<TZFDLLOpr*>(Record->Caller);
  if (!Worker) return VZ_ANSWER_BAD_RECORD;
  return Worker->DispatchCallback(*Record);
}

int32_t TZFDLLOpr::DispatchCallback(TZCallBackStruct& Record) {
  if (FDestroying) return 0;
  FCallback.Bind(&Record);
  const int Action = FCallback.Action();
  int32_t Answer = 0;
  try {
    switch (Action) {
      case VZ_ACT_KEEP_ALIVE:
      case VZ_ACT_NEW_ITEM:
      case VZ_ACT_PROGRESS:
      case VZ_ACT_END_OF_BATCH:
      case VZ_ACT_TOTAL_COUNT:
      case VZ_ACT_TOTAL_SIZE:
      case VZ_ACT_NEW_EXTRA:
      case VZ_ACT_EXTRA_UPDATE: Answer = Progress(Action); break;
      case VZ_ACT_MESSAGE: Answer = EngineMessage(); break;
      case VZ_ACT_PASSWORD: Answer = PasswordRequest(); break;
      case VZ_ACT_CRC_ERROR: Answer = CrcError(); break;
      case VZ_ACT_OVERWRITE: Answer = Overwrite(); break;
      case VZ_ACT_SKIPPED: Answer = Skipped(); break;
      case VZ_ACT_EXTRACT_NAME: Answer = ExtractName(); break;
      case VZ_ACT_SET_ADD_NAME:
      case VZ_ACT_FILE_COMMENT:
      case VZ_ACT_FILE_EXTRA: Answer = 0; break;  // adding operations only
      case VZ_ACT_OPERATION_KEY: fDLLOperKey = Record.Arg1; break;
      case VZ_ACT_ARGUMENT: Answer = ArgumentRequest(); break;
      default: Answer = -1; break;
    }
    if (Action >= 9 && Action <= 17) KeepAlive();
    if (CancelCode() != 0) Answer = VZ_ANSWER_CANCEL;
  } catch (...) {
    // Nothing may travel through the engine's frames: every exception becomes an answer.
    if (fEventErr.empty()) {
      String Message;
      try {
        throw;
      } catch (const std::exception& Error) {
        Message = ExceptionText(Error);
      } catch (...) {
      }
      fEventErr = u" #" + ZipIntToStr(Action) + u" \"" + Message + u"\"";
    }
    SetCancelCode(kZipMsgEventException);
    Answer = VZ_ANSWER_EXCEPTION;
  }
  return Answer;
}

int32_t TZFDLLOpr::ArgumentRequest() {
  TZCallBackStruct& R = FCallback.Record();
  const uint32_t Which = R.Arg1;
  if (Which > VZ_ARG_TEMP_DIR) return VZ_ANSWER_BAD_RECORD;
  if ((Which == VZ_ARG_FSPEC || Which == VZ_ARG_FSPEC_EXCL) && R.Arg3 < 0)
    return VZ_ANSWER_BAD_RECORD;
  switch (Which) {
    case VZ_ARG_FILE_NAME: FCallback.SetMsg(ZipFileName()); break;
    case VZ_ARG_PASSWORD: FCallback.SetMsg(FSettings.Password); break;
    case VZ_ARG_ROOT_DIR: FCallback.SetMsg(FSettings.RootDir); break;
    case VZ_ARG_BASE_DIR: FCallback.SetMsg(FSettings.ExtrBaseDir); break;
    case VZ_ARG_COMMENT: FCallback.SetMsgBytes(ZipComment()); break;
    case VZ_ARG_FSPEC:
    case VZ_ARG_FSPEC_EXCL: {
      const TStringList& List = Which == VZ_ARG_FSPEC ? FSpecArgsList : FSpecArgsExclList;
      const int Index = R.Arg3;
      R.Arg3 = List.Count();
      if (Index >= List.Count()) {
        FCallback.SetMsg(String());
        return 0;
      }
      FCallback.SetMsg(List.Strings(Index));
      break;
    }
    case VZ_ARG_NO_COMPRESS: FCallback.SetMsg(String()); break;
    case VZ_ARG_TEMP_DIR: FCallback.SetMsg(FSettings.TempDir); break;
    default: break;
  }
  return 1;
}

int32_t TZFDLLOpr::Progress(int Action) {
  const TZCallBackStruct& R = FCallback.Record();
  if (Action == VZ_ACT_KEEP_ALIVE) {
    KeepAlive();
    return 0;
  }
  const int64_t Size = Action == VZ_ACT_TOTAL_COUNT ? static_cast<int64_t>(R.Arg1) : R.File_Size;
  const String Text =
      (Action == VZ_ACT_NEW_ITEM || Action == VZ_ACT_NEW_EXTRA) ? FCallback.Msg() : String();
  if (Action <= VZ_ACT_END_OF_BATCH) FProgress.SetBytesWritten(R.Written);
  const int Phase = static_cast<int>(R.Arg1);
  if (!FDestroying && FProgress.Apply(Action, Size, Text, Phase) && OnProgress) {
    OnProgress(Sender(), FProgress);
  }
  KeepAlive();
  return (Action == VZ_ACT_NEW_ITEM && Size == -1 && FProgress.Stop()) ? 1 : 0;
}

int32_t TZFDLLOpr::EngineMessage() {
  const TZCallBackStruct& R = FCallback.Record();
  String Text = FCallback.Msg();
  const uint32_t Value = R.Arg1;
  if (static_cast<int32_t>(Value) > 0 && DllErrCode() == 0)
    SetDllErrCode(static_cast<int32_t>(Value));
  const int32_t Id = EngineErrorId(Value & 0xFF);
  if ((Value & 0x700) >= 0x200 && (Value & 0x800) != 0) Text = LoadZipStr(Id) + Text;
  ReportMessage1(Id, Text);
  return 0;
}

int32_t TZFDLLOpr::Overwrite() {
  const TZCallBackStruct& R = FCallback.Record();
  if (!OnExtractOverwrite) return 0;
  bool DoOverwrite = R.Arg1 != 0;
  OnExtractOverwrite(Sender(), FCallback.Msg(), R.Arg3 != 2, DoOverwrite, static_cast<int>(R.Arg2));
  return DoOverwrite ? 1 : 2;
}

int32_t TZFDLLOpr::Skipped() {
  const TZCallBackStruct& R = FCallback.Record();
  const int32_t Raw = static_cast<int32_t>(R.Arg1);
  const uint32_t Err = static_cast<uint32_t>(Raw < 0 ? -static_cast<int64_t>(Raw) : Raw);
  if (Err != 0) SetDllErrCode(static_cast<int32_t>(Err));
  const int Reason = static_cast<int>(R.Arg2) - 1;
  return ReportSkipping(FCallback.Msg(), EngineErrorId(Err), Reason) ? 1 : 0;
}

bool TZFDLLOpr::ReportSkipping(const String& Name, int32_t Err, int Reason) {
  const bool Aborts = Reason >= 0 && Reason <= stSizeChange &&
                      FSettings.NoSkipping.Contains(static_cast<TZFSkipTypes>(Reason));
  if (Aborts && Err == 0) Err = kZipMsgSkippingNotAllowed;
  int Ext = Err < 0 ? -Err : Err;
  if (Ext != 0 && Aborts) Ext = -Ext;
  if (OnSkipped) {
    OnSkipped(Sender(), Name, static_cast<TZFSkipTypes>(Reason), Ext);
  } else if (Verbose && OnMessage) {
    OnMessage(Sender(), kZipMsgUnknownError,
              ZipFmtLoadStr(kZipMsgSkipped, {Name, static_cast<int64_t>(Reason)}));
  }
  return Ext < 0;
}

int32_t TZFDLLOpr::PasswordRequest() {
  TZCallBackStruct& R = FCallback.Record();
  unsigned RepeatCount = R.Arg1;
  TMsgDlgBtn Action = mbOK;
  String Password;
  const String ForFile = FCallback.Msg();
  if (OnPasswordError) {
    OnPasswordError(Sender(), R.IsOperationZip != 0, Password, ForFile, RepeatCount, Action);
    if (Action != mbOK) Password.clear();
  } else if (Unattended) {
    ShowZipMsg(kZipMsgNoExtractPassword, false);
  } else {
    String Text = LoadZipStr(kZipMsgEnterPassword);
    const int Result = ZipMessageDialog(LoadZipStr(kZipMsgPassword), Text, {mbOK, mbCancel, mbAll},
                                        kPasswordContext);
    switch (Result) {
      case mrOk:
        Action = mbOK;
        Password = Text;
        break;
      case mrCancel: Action = mbCancel; break;
      case mrAll: Action = mbNoToAll; break;
      default: Action = mbAbort; break;
    }
  }
  int32_t Answer;
  if (!Password.empty()) {
    FCallback.SetMsg(Password);
    Answer = 1;
  } else {
    RepeatCount = 0;
    Answer = 2;
  }
  R.Arg1 = std::min<unsigned>(RepeatCount, kMaxRepeatCount);
  if (Action == mbCancel) Answer = 2;
  if (Action == mbNoToAll) Answer = 3;
  if (Action == mbAbort) {
    SetCancelCode(kZipMsgUserAbort);
    Answer = VZ_ANSWER_ABORT;
  }
  return Answer;
}

int32_t TZFDLLOpr::CrcError() {
  const TZCallBackStruct& R = FCallback.Record();
  if (!OnCRC32Error) return 0;
  bool DoExtract = true;
  OnCRC32Error(Sender(), FCallback.Msg(), R.Arg1, R.Arg2, DoExtract);
  return DoExtract ? 2 : 3;  // keep the file with the message, or delete it
}

int32_t TZFDLLOpr::ExtractName() {
  if (!OnSetExtName) return 0;
  String Name = FCallback.Msg();
  bool IsChanged = false;
  OnSetExtName(Sender(), Name, FCallback.Msg2(), IsChanged);
  if (!IsChanged) return 0;
  FCallback.SetMsg(Name);
  return 1;
}

}  // namespace vlm
