// runtime/application.cpp -- the portable share of the application object: the terminate
// request, the error box's text and title rules, exception dispatch.
#include "runtime/application.h"

#include "runtime/exception.h"
#include "runtime/file_system.h"

namespace vlm {

namespace {

// Lower-cases one UTF-16 unit for the title: ASCII and Latin-1 capitals, which is what
// executable names hold in practice.
char16_t LowerUnit(char16_t C) {
  if ((C >= u'A' && C <= u'Z') || (C >= 0xC0 && C <= 0xDE && C != 0xD7)) return C + 0x20;
  return C;
}

}  // namespace

TApplication::TApplication() { PlatformInit(); }

TApplication::~TApplication() { PlatformDone(); }

void TApplication::ProcessMessages() {
  PlatformProcessMessages();
  if (OnProcessMessages) OnProcessMessages();
}

void TApplication::Run() {
  if (!FTerminated) PlatformRun();
}

void TApplication::Terminate() {
  FTerminated = true;
  PlatformTerminate();
}

void TApplication::HandleException(std::exception_ptr Error) {
  try {
    std::rethrow_exception(Error);
  } catch (const EAbort&) {
    // Abort-type exceptions end a handler silently.
  } catch (const Exception& E) {
    ShowErrorBox(E.Message());
  } catch (const std::exception& E) {
    ShowErrorBox(Utf8ToString(E.what()));
  }
}

void TApplication::ShowErrorBox(const String& Message) {
  const String Text = ErrorBoxText(Message);
  if (OnShowErrorBox)
    OnShowErrorBox(Title(), Text);
  else
    PlatformErrorBox(Title(), Text);
}

String TApplication::Title() const { return ApplicationTitleFromPath(ExecutablePath()); }

TApplication& Application() {
  static TApplication Instance;
  return Instance;
}

String ErrorBoxText(const String& Message) {
  if (!Message.empty() && Message.back() > u'.') return Message + u".";
  return Message;
}

String ApplicationTitleFromPath(const String& ExecutablePath) {
  // Either delimiter ends a folder name: Windows accepts both.
  const size_t Slash = ExecutablePath.find_last_of(u"\\/");
  String Name = Slash == String::npos ? ExecutablePath : ExecutablePath.substr(Slash + 1);
  const size_t Dot = Name.find(u'.');
  if (Dot != String::npos) Name.resize(Dot);
  for (size_t I = 1; I < Name.size(); ++I) Name[I] = LowerUnit(Name[I]);
  return Name;
}

}  // namespace vlm
