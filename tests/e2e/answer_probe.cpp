// tests/e2e/answer_probe.cpp -- measures how long a window takes to answer, as Windows judges a
// window "not responding": it sends WM_NULL to the first top-level window of a class with
// SendMessageTimeout every INTERVAL ms and records how long each send waited for the answer.
//   answer_probe CLASS OUT STOP SECONDS [INTERVAL_MS]
// Waits up to SECONDS for the window, then probes until the file STOP exists, the window is
// gone or SECONDS have passed. OUT gets one line per send, "<start> <wait>": the start as
// milliseconds since 1970 (the host's wall clock under wine, so a script on the host can put the
// sends beside its own observations) and the wait in milliseconds, both with three decimals. A
// send that gets no answer within 10 s is recorded as a wait of 10000 or more. Exit code 0, or 1
// when the window never appeared.
#include <cstdio>
#include <cwchar>

#include "runtime/win32/win32_api.h"

namespace {

constexpr UINT kAnswerLimitMs = 10000;

double WallClockMs() {
  FILETIME Now;
  GetSystemTimePreciseAsFileTime(&Now);
  const unsigned long long Ticks =
      (static_cast<unsigned long long>(Now.dwHighDateTime) << 32) | Now.dwLowDateTime;
  constexpr unsigned long long kUnixEpoch = 116444736000000000ULL;  // 1970 in 100 ns ticks
  return static_cast<double>(Ticks - kUnixEpoch) / 10000.0;
}

double Ms(LARGE_INTEGER From, LARGE_INTEGER To, LARGE_INTEGER Frequency) {
  return static_cast<double>(To.QuadPart - From.QuadPart) * 1000.0 /
         static_cast<double>(Frequency.QuadPart);
}

bool Exists(const wchar_t* Path) {
  return GetFileAttributesW(Path) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

int wmain(int Count, wchar_t** Arguments) {
  if (Count != 5 && Count != 6) {
    std::fprintf(stderr, "usage: answer_probe CLASS OUT STOP SECONDS [INTERVAL_MS]\n");
    return 2;
  }
  const wchar_t* Class = Arguments[1];
  const wchar_t* Stop = Arguments[3];
  const double Seconds = std::wcstod(Arguments[4], nullptr);
  const int Interval = Count == 6 ? static_cast<int>(std::wcstol(Arguments[5], nullptr, 10)) : 10;
  FILE* Out = _wfopen(Arguments[2], L"w");
  if (Out == nullptr) return 2;

  LARGE_INTEGER Frequency, Begin, Now;
  QueryPerformanceFrequency(&Frequency);
  QueryPerformanceCounter(&Begin);
  auto Elapsed = [&] {
    QueryPerformanceCounter(&Now);
    return Ms(Begin, Now, Frequency) / 1000.0;
  };
  HWND Window = nullptr;
  while (!(Window = FindWindowW(Class, nullptr))) {
    if (Elapsed() >= Seconds || Exists(Stop)) {
      std::fclose(Out);
      return 1;
    }
    Sleep(20);
  }
  while (IsWindow(Window) && !Exists(Stop) && Elapsed() < Seconds) {
    LARGE_INTEGER Sent, Answered;
    const double Start = WallClockMs();
    QueryPerformanceCounter(&Sent);
    DWORD_PTR Result = 0;
    SendMessageTimeoutW(Window, WM_NULL, 0, 0, SMTO_NORMAL, kAnswerLimitMs, &Result);
    QueryPerformanceCounter(&Answered);
    const double Wait = Ms(Sent, Answered, Frequency);
    std::fprintf(Out, "%.3f %.3f\n", Start, Wait);
    std::fflush(Out);
    if (Wait < Interval) Sleep(static_cast<DWORD>(Interval - Wait));
  }
  std::fclose(Out);
  return 0;
}
