// The application object's error box rules and its pump hook.
#include <gtest/gtest.h>

#include "runtime/application.h"
#include "runtime/exception.h"

namespace vlm {
namespace {

TEST(ApplicationTest, ErrorBoxTextGetsAFullStopAfterCharactersAboveIt) {
  EXPECT_EQ(ErrorBoxText(u"HTTP/1.1 404 Not Found"), u"HTTP/1.1 404 Not Found.");
  EXPECT_EQ(ErrorBoxText(u"Disk full."), u"Disk full.");
  EXPECT_EQ(ErrorBoxText(u"Really?"), u"Really?.");  // '?' sorts above '.'
  EXPECT_EQ(ErrorBoxText(u"Stopped!"), u"Stopped!");  // '!' sorts below '.'
  EXPECT_EQ(ErrorBoxText(u"a-"), u"a-");
  EXPECT_EQ(ErrorBoxText(u""), u"");
}

TEST(ApplicationTest, TitleIsTheFileNameUpToItsFirstDotWithTheRestLowered) {
  EXPECT_EQ(ApplicationTitleFromPath(u"C:\\Downloads\\SETUP.EXE"), u"Setup");
  EXPECT_EQ(ApplicationTitleFromPath(u"/opt/bin/VlmV2Setup.v2.exe"), u"Vlmv2setup");
  EXPECT_EQ(ApplicationTitleFromPath(u"c:\\x\\setup"), u"setup");
}

TEST(ApplicationTest, HandleExceptionShowsMessagesButNeverAborts) {
  TApplication& App = Application();
  std::vector<String> Shown;
  App.OnShowErrorBox = [&](const String&, const String& Text) { Shown.push_back(Text); };
  App.HandleException(std::make_exception_ptr(EFCreateError(u"Cannot create file \"x\". Denied")));
  App.HandleException(std::make_exception_ptr(EAbort(u"ignored")));
  App.OnShowErrorBox = nullptr;
  ASSERT_EQ(Shown.size(), 1u);
  EXPECT_EQ(Shown[0], u"Cannot create file \"x\". Denied.");
}

TEST(ApplicationTest, ProcessMessagesCallsTheHook) {
  TApplication& App = Application();
  int Calls = 0;
  App.OnProcessMessages = [&] { ++Calls; };
  App.ProcessMessages();
  App.ProcessMessages();
  App.OnProcessMessages = nullptr;
  EXPECT_EQ(Calls, 2);
}

}  // namespace
}  // namespace vlm
