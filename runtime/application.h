// runtime/application.h -- the application object: one per process, on the GUI thread.
// It owns the message loop, pumps pending messages for long blocking operations (downloads,
// extraction, the wait for a child process), carries the terminate request and shows the error
// box for exceptions that leave an event handler. On Windows it initialises COM for the GUI
// thread; natively there are no windows, and the pump is a hook that tests can observe.
#pragma once

#include <exception>
#include <functional>

#include "runtime/string.h"

namespace vlm {

class TApplication {
public:
  TApplication();
  ~TApplication();
  TApplication(const TApplication&) = delete;
  TApplication& operator=(const TApplication&) = delete;

  // Processes every pending window message, then calls OnProcessMessages when assigned.
  void ProcessMessages();
  // Runs the message loop until Terminate has been called.
  void Run();
  // Asks the application to end: the message loop returns when it sees the request.
  void Terminate();
  bool Terminated() const { return FTerminated; }

  // Shows the error box for the exception being handled (call from a catch block). Abort-type
  // exceptions (EAbort) are shown nowhere.
  void HandleException(std::exception_ptr Error);
  // The error box: MessageText(Message) under Title(), error icon, one OK button.
  void ShowErrorBox(const String& Message);

  // The executable's file name up to its first ".", every character after the first in lower
  // case ("SETUP.EXE" -> "Setup").
  String Title() const;
  // The platform handle of the application's window (the owner of child processes' windows);
  // null where there are no windows.
  void* Handle() const { return FHandle; }
  void SetHandle(void* Handle) { FHandle = Handle; }

  // Test hook: called at the end of every ProcessMessages.
  std::function<void()> OnProcessMessages;
  // Replaces the error box (tests, console tools): receives the text the box would show.
  std::function<void(const String& Title, const String& Text)> OnShowErrorBox;

private:
  void PlatformInit();
  void PlatformDone();
  void PlatformProcessMessages();
  void PlatformRun();
  void PlatformTerminate();
  void PlatformErrorBox(const String& Title, const String& Text);

  bool FTerminated = false;
  void* FHandle = nullptr;
};

// The process's application object, created on first use on the GUI thread.
TApplication& Application();

// The text the error box shows for a message: "." appended when the message is not empty and its
// last character's code is greater than that of ".".
String ErrorBoxText(const String& Message);

// An executable's file name turned into the application title (see TApplication::Title).
String ApplicationTitleFromPath(const String& ExecutablePath);

}  // namespace vlm
