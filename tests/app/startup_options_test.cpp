// The command-line options, the server choice and the log channels.
#include <gtest/gtest.h>

#include <cstdlib>

#include "app/startup_options.h"
#include "runtime/exception.h"
#include "runtime/file_system.h"
#include "tests/support/temp_folder.h"

namespace vlm {
namespace {

class StartupOptionsTest : public ::testing::Test {
protected:
  void SetUp() override { StartupFlags = 0; }
  void TearDown() override {
    CloseLogChannels();
    StartupFlags = 0;
  }
  static uint8_t Parse(std::vector<String> Parameters) {
    StartupFlags = 0;
    Parameters.insert(Parameters.begin(), u"setup.exe");
    ParseCommandLine(Parameters);
    return StartupFlags;
  }
};

TEST_F(StartupOptionsTest, OptionsAreCaseSensitiveSubstringsOfAnyParameter) {
  EXPECT_EQ(Parse({}), 0);
  EXPECT_EQ(Parse({u"/staging", u"/dev"}), kFlagStaging | kFlagDevelopment);
  EXPECT_EQ(Parse({u"/dev/staging"}), kFlagStaging | kFlagDevelopment);  // one parameter, two bits
  EXPECT_EQ(Parse({u"/device"}), kFlagDevelopment);                     // embedded option
  EXPECT_EQ(Parse({u"/DEV", u"-dev", u"dev", u"hello"}), 0);
  EXPECT_EQ(Parse({u"/nowebinterface", u"/fixedmonitor", u"/noupdates", u"/genhlpfiles"}),
            1 | 32 | 64 | 128);
  EXPECT_EQ(Parse({u"x/loglevel0y", u"/loglevel1"}), kFlagLogToConsole | kFlagLogToFile);
}

TEST_F(StartupOptionsTest, TheProgramPathIsNoParameter) {
  StartupFlags = 0;
  ParseCommandLine({u"c:\\tools\\/staging\\setup.exe"});
  EXPECT_EQ(StartupFlags, 0);
}

TEST_F(StartupOptionsTest, StagingWinsOverDevelopmentWhichWinsOverProduction) {
  const String Production = ServerBaseUrl();
  Parse({u"/dev"});
  const String Development = ServerBaseUrl();
  Parse({u"/dev", u"/staging"});
  const String Staging = ServerBaseUrl();
  EXPECT_EQ(Staging, S(VLM_TEST_STAGING_URL));
  EXPECT_EQ(Development, S(VLM_TEST_DEVELOPMENT_URL));
  EXPECT_EQ(Production, S(VLM_TEST_PRODUCTION_URL));
  // Base URLs carry no trailing "/": callers append "/" and a file name.
  for (const String& Url : {Production, Development, Staging}) {
    ASSERT_FALSE(Url.empty());
    EXPECT_NE(Url.back(), u'/');
    EXPECT_EQ(Url.rfind(u"http://", 0), 0u);
  }
}

// Points the user's temporary folder at Folder for the lifetime of the object.
class TempFolderOverride {
public:
  explicit TempFolderOverride(const std::string& Folder) {
#ifdef _WIN32
    _putenv_s("TMP", Folder.c_str());
    _putenv_s("TEMP", Folder.c_str());
#else
    setenv("TMPDIR", Folder.c_str(), 1);
#endif
  }
  ~TempFolderOverride() {
#ifdef _WIN32
    _putenv_s("TMP", "");
    _putenv_s("TEMP", "");
#else
    unsetenv("TMPDIR");
#endif
  }
};

TEST_F(StartupOptionsTest, LogFileGetsAnsiLinesAndIsAppendedPerRun) {
  test::TempFolder Temp;
  TempFolderOverride Override(test::PathToUtf8(Temp.Path()));
  EXPECT_EQ(LogFileName(), Temp.File("vlmv2setup.log"));

  LogLine(u"before the flags");  // no channel selected yet: nothing written anywhere
  EXPECT_FALSE(FileExists(LogFileName()));

  Parse({u"/loglevel1"});
  OpenLogChannels();
  LogLine(u"Checking for installation folder");
  LogLine(u"Caf\u00e9");
  CloseLogChannels();
  EXPECT_EQ(test::ReadBytes(Temp.Path() / "vlmv2setup.log"),
            "Checking for installation folder\r\nCaf\xe9\r\n");

  // A later run appends to the same file.
  OpenLogChannels();
  LogLine(u"unpacking");
  CloseLogChannels();
  EXPECT_EQ(test::ReadBytes(Temp.Path() / "vlmv2setup.log"),
            "Checking for installation folder\r\nCaf\xe9\r\nunpacking\r\n");
}

TEST_F(StartupOptionsTest, AnUnopenableLogFileRaisesTheRuntimesIoError) {
  test::TempFolder Temp;
  TempFolderOverride Override(test::PathToUtf8(Temp.Path() / "missing" / ""));
  Parse({u"/loglevel1"});
  EXPECT_THROW(OpenLogChannels(), EInOutError);
}

}  // namespace
}  // namespace vlm
