// app/win32/child_process_win32.cpp -- the shell's execute call with the process handle kept.
#include "app/win32/child_process.h"
#include "runtime/win32/win32_api.h"

#include <shellapi.h>

namespace vlm {

TChildProcess::TChildProcess(const String& FileName, const String& Parameters, void* Owner) {
  SHELLEXECUTEINFOW Info;
  ZeroMemory(&Info, sizeof Info);
  Info.cbSize = sizeof Info;
  Info.fMask = SEE_MASK_NOCLOSEPROCESS;
  Info.hwnd = static_cast<HWND>(Owner);
  Info.lpFile = WidePtr(FileName);
  Info.lpParameters = WidePtr(Parameters);
  Info.nShow = SW_SHOWNORMAL;
  if (ShellExecuteExW(&Info)) FProcess = Info.hProcess;
}

TChildProcess::~TChildProcess() {
  if (FProcess) CloseHandle(static_cast<HANDLE>(FProcess));
}

bool TChildProcess::StillRunning() const {
  DWORD Code = 0;
  GetExitCodeProcess(static_cast<HANDLE>(FProcess), &Code);
  return Code == STILL_ACTIVE;
}

void TChildProcess::WaitForExitOrMessage(unsigned Millis) const {
  HANDLE Process = static_cast<HANDLE>(FProcess);
  MsgWaitForMultipleObjects(1, &Process, FALSE, Millis, QS_ALLINPUT);
}

}  // namespace vlm
