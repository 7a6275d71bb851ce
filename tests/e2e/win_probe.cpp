// tests/e2e/win_probe.cpp -- reads what a Windows program shows, for the end-to-end tests that
// drive setup.exe under wine: every top-level window with its class, text, screen rectangle,
// state and child windows, one JSON object per line. Run in the same prefix as the program.
//   win_probe            list the windows of every process
//   win_probe link FILE  read a shell link through the platform's shell-link object and print
//                        {"path": ..., "arguments": ..., "working_folder": ..., "description": ...}
//                        (exit code 1 and {"error": STEP HRESULT} when it cannot be loaded)
//   win_probe close HWND ask a window to close, as the close button of its title bar does
#include <cstdio>
#include <cwchar>
#include <memory>
#include <string>

#include "runtime/win32/win32_api.h"
#include "tests/e2e/probe_json.h"

#include <objbase.h>
#include <shlobj.h>

namespace {

using probe::Json;

std::string Describe(HWND Window) {
  wchar_t Class[256] = {}, Text[1024] = {};
  GetClassNameW(Window, Class, 256);
  // WM_GETTEXT, not GetWindowText: for another process's window GetWindowText returns only the
  // stored window name, never an edit control's contents. A program that does not answer within
  // the timeout (busy in a blocking step) gets the stored name instead.
  DWORD_PTR Copied = 0;
  if (!SendMessageTimeoutW(Window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(Text),
                           SMTO_ABORTIFHUNG | SMTO_BLOCK, 2000, &Copied)) {
    Text[0] = 0;
    GetWindowTextW(Window, Text, 1024);
  }
  RECT Box{};
  GetWindowRect(Window, &Box);
  RECT Client{};
  GetClientRect(Window, &Client);
  POINT Origin{0, 0};
  ClientToScreen(Window, &Origin);
  DWORD Process = 0;
  GetWindowThreadProcessId(Window, &Process);
  char Line[512];
  std::snprintf(Line, sizeof Line,
                "\"hwnd\": %llu, \"pid\": %lu, \"rect\": [%ld, %ld, %ld, %ld], "
                "\"client\": [%ld, %ld, %ld, %ld], \"visible\": %s, \"enabled\": %s, "
                "\"exstyle\": %lu",
                static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(Window)), Process,
                Box.left, Box.top, Box.right, Box.bottom, Origin.x, Origin.y,
                Origin.x + Client.right, Origin.y + Client.bottom,
                IsWindowVisible(Window) ? "true" : "false",
                IsWindowEnabled(Window) ? "true" : "false",
                static_cast<unsigned long>(GetWindowLongW(Window, GWL_EXSTYLE)));
  return "\"class\": " + Json(Class) + ", \"text\": " + Json(Text) + ", " + Line;
}

BOOL CALLBACK ListChild(HWND Window, LPARAM Out) {
  auto* Children = reinterpret_cast<std::string*>(Out);
  if (!Children->empty()) *Children += ", ";
  *Children += "{" + Describe(Window) + "}";
  return TRUE;
}

BOOL CALLBACK ListTopLevel(HWND Window, LPARAM) {
  std::string Children;
  EnumChildWindows(Window, ListChild, reinterpret_cast<LPARAM>(&Children));
  // The keyboard focus of the window's thread (another process's focus is not ours to ask).
  GUITHREADINFO Info{};
  Info.cbSize = sizeof Info;
  GetGUIThreadInfo(GetWindowThreadProcessId(Window, nullptr), &Info);
  std::printf("{%s, \"focus_hwnd\": %llu, \"children\": [%s]}\n", Describe(Window).c_str(),
              static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(Info.hwndFocus)),
              Children.c_str());
  return TRUE;
}

struct ComRelease {
  void operator()(IUnknown* P) const { P->Release(); }
};
template <class I>
using ComPtr = std::unique_ptr<I, ComRelease>;

// Loads the link the way the shell does and prints what it starts; on failure prints the step
// and its HRESULT as {"error": ...} and returns 1.
int PrintLink(const wchar_t* File) {
  HRESULT Status = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  const char* Step = "CoInitializeEx";
  if (SUCCEEDED(Status)) {
    IShellLinkW* RawLink = nullptr;
    Step = "CoCreateInstance";
    Status = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&RawLink));
    if (SUCCEEDED(Status)) {
      ComPtr<IShellLinkW> Link(RawLink);
      IPersistFile* RawFile = nullptr;
      Step = "QueryInterface";
      Status = Link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&RawFile));
      if (SUCCEEDED(Status)) {
        ComPtr<IPersistFile> Persist(RawFile);
        Step = "Load";
        Status = Persist->Load(File, STGM_READ);
        if (SUCCEEDED(Status)) {
          wchar_t Path[MAX_PATH] = {}, Arguments[1024] = {}, Folder[MAX_PATH] = {},
                  Description[1024] = {};
          // SLGP_RAWPATH: the stored target as written, not resolved against the disk.
          Link->GetPath(Path, MAX_PATH, nullptr, SLGP_RAWPATH);
          Link->GetArguments(Arguments, 1024);
          Link->GetWorkingDirectory(Folder, MAX_PATH);
          Link->GetDescription(Description, 1024);
          std::printf(
              "{\"path\": %s, \"arguments\": %s, \"working_folder\": %s, "
              "\"description\": %s}\n",
              Json(Path).c_str(), Json(Arguments).c_str(), Json(Folder).c_str(),
              Json(Description).c_str());
        }
      }
    }
    CoUninitialize();
  }
  if (FAILED(Status)) {
    std::printf("{\"error\": \"%s 0x%08lx\"}\n", Step, static_cast<unsigned long>(Status));
    return 1;
  }
  return 0;
}

}  // namespace

int wmain(int Count, wchar_t** Arguments) {
  if (Count == 3 && std::wcscmp(Arguments[1], L"link") == 0) {
    const int Result = PrintLink(Arguments[2]);
    std::fflush(stdout);
    return Result;
  }
  if (Count == 3 && std::wcscmp(Arguments[1], L"close") == 0) {
    const HWND Window =
        reinterpret_cast<HWND>(static_cast<uintptr_t>(std::wcstoull(Arguments[2], nullptr, 10)));
    return PostMessageW(Window, WM_SYSCOMMAND, SC_CLOSE, 0) ? 0 : 1;
  }
  if (Count != 1) {
    std::fprintf(stderr, "usage: win_probe [link FILE | close HWND]\n");
    return 2;
  }
  EnumWindows(ListTopLevel, 0);
  std::fflush(stdout);
  return 0;
}
