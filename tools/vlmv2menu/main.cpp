// tools/vlmv2menu/main.cpp -- vlmv2menu.exe, the demo product's menu program: the program that the
// installed shortcuts start. It shows its own folder and its command-line arguments in a window
// titled "Velmora v2". With the argument --print it writes them to standard output instead:
//     Folder=<folder>
//     Argument=<argument>        (one line per argument other than --print, in order)
// and ends with exit code 0. The folder is the executable's, without a trailing backslash unless
// it is a drive's root.
#include <cstdlib>  // __argc, __argv
#include <string>
#include <vector>

#include "runtime/console_output.h"
#include "runtime/program_args.h"
#include "runtime/win32/win32_api.h"
#include "tools/vlmv2install/command_tail.h"
#include "tools/vlmv2menu/menu_window.h"

namespace {

using vlm::String;

String ExecutablePath() {
  std::vector<wchar_t> Buffer(MAX_PATH);
  for (;;) {
    const DWORD Length =
        ::GetModuleFileNameW(nullptr, Buffer.data(), static_cast<DWORD>(Buffer.size()));
    if (Length == 0) return String();
    if (Length < Buffer.size()) return vlm::FromWide(Buffer.data(), Length);
    Buffer.resize(Buffer.size() * 2);  // the path was cut short: try with more room
  }
}

String FolderOf(const String& Path) {
  const size_t Slash = Path.find_last_of(u"\\/");
  if (Slash == String::npos) return String();
  // "C:\menu.exe" lives in "C:\", not in the drive-relative "C:".
  if (Slash == 2 && Path[1] == u':') return Path.substr(0, 3);
  return Path.substr(0, Slash);
}

// A GUI program started from a console has no standard output of its own unless it was
// redirected; then it borrows the parent's console.
void EnsureStandardOutput() {
  const HANDLE Output = ::GetStdHandle(STD_OUTPUT_HANDLE);
  if (Output != nullptr && Output != INVALID_HANDLE_VALUE) return;
  if (!::AttachConsole(ATTACH_PARENT_PROCESS)) return;
  const HANDLE Console = ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE,
                                       nullptr, OPEN_EXISTING, 0, nullptr);
  if (Console != INVALID_HANDLE_VALUE) ::SetStdHandle(STD_OUTPUT_HANDLE, Console);
}

int Print(const String& Folder, const std::vector<String>& Arguments) {
  EnsureStandardOutput();
  std::string Text = "Folder=" + vlm::StringToUtf8(Folder) + "\n";
  for (size_t I = 1; I < Arguments.size(); ++I) {
    if (Arguments[I] == u"--print") continue;
    Text += "Argument=" + vlm::StringToUtf8(Arguments[I]) + "\n";
  }
  vlm::WriteStdout(Text);
  return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int ShowCommand) {
  const String Folder = FolderOf(ExecutablePath());
  const std::vector<String> Arguments = vlm::ProgramArguments(__argc, __argv);
  for (size_t I = 1; I < Arguments.size(); ++I) {
    if (Arguments[I] == u"--print") return Print(Folder, Arguments);
  }
  const String Tail = vlm::standin::CommandTail(vlm::FromWide(::GetCommandLineW()));
  return vlm::standin::RunMenuWindow(Folder, Tail, ShowCommand);
}
