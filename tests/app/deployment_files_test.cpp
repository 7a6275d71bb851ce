// The files the installer writes itself: the local deployment record, the system-module
// configuration, and the payloads next to the executable.
#include <gtest/gtest.h>

#include "app/deployment_files.h"
#include "app/payload_file.h"
#include "runtime/exception.h"
#include "runtime/file_system.h"
#include "tests/support/temp_folder.h"

namespace vlm {
namespace {

TEST(DeploymentRecordTest, FreshRecordIsExactlySixLines) {
  test::TempFolder Temp;
  WriteLocalDeploymentRecord(Temp.File("deploy.vlm"), u"2.0.1");
  EXPECT_EQ(test::ReadBytes(Temp.Path() / "deploy.vlm"),
            "[Packages]\r\nPackageList=vlmv2menu\r\n\r\n[vlmv2menu]\r\nRelease=2.0.1\r\n\r\n");
}

TEST(DeploymentRecordTest, EmptyReleaseIsWrittenToo) {
  test::TempFolder Temp;
  WriteLocalDeploymentRecord(Temp.File("deploy.vlm"), u"");
  EXPECT_EQ(test::ReadBytes(Temp.Path() / "deploy.vlm"),
            "[Packages]\r\nPackageList=vlmv2menu\r\n\r\n[vlmv2menu]\r\nRelease=\r\n\r\n");
}

TEST(DeploymentRecordTest, AnExistingRecordKeepsItsOtherSectionsAndKeys) {
  test::TempFolder Temp;
  test::WriteBytes(Temp.Path() / "deploy.vlm",
                   "[Server]\r\nPort=8080\r\n\r\n[vlmv2menu]\r\nRelease=1.0\r\nChannel=beta\r\n");
  WriteLocalDeploymentRecord(Temp.File("deploy.vlm"), u"2.0");
  EXPECT_EQ(test::ReadBytes(Temp.Path() / "deploy.vlm"),
            "[Server]\r\nPort=8080\r\n\r\n[vlmv2menu]\r\nRelease=2.0\r\nChannel=beta\r\n\r\n"
            "[Packages]\r\nPackageList=vlmv2menu\r\n\r\n");
}

TEST(DeploymentRecordTest, UnwritableRecordRaisesTheFileLayersError) {
  test::TempFolder Temp;
  try {
    WriteLocalDeploymentRecord(Temp.File("missing/deploy.vlm"), u"1");
    FAIL() << "no error";
  } catch (const EFCreateError& E) {
    EXPECT_EQ(E.Message().rfind(u"Cannot create file \"", 0), 0u);
  }
}

TEST(SysModConfigTest, TwoLinesOf42BytesReplacingAnyOldFile) {
  test::TempFolder Temp;
  test::WriteBytes(Temp.Path() / "vlmv2.ini", std::string(500, 'x'));
  WriteSysModConfig(Temp.File("vlmv2.ini"));
  const std::string Bytes = test::ReadBytes(Temp.Path() / "vlmv2.ini");
  EXPECT_EQ(Bytes, "[SysMod]\r\nsysmods=vlmv2sysmodhttpsvr.bpl\r\n");
  EXPECT_EQ(Bytes.size(), 42u);
}

TEST(SysModConfigTest, UnwritableConfigRaisesTheRuntimesIoError) {
  test::TempFolder Temp;
  try {
    WriteSysModConfig(Temp.File("missing/vlmv2.ini"));
    FAIL() << "no error";
  } catch (const EInOutError& E) {
    EXPECT_EQ(E.Message(), u"Invalid filename");  // the runtime's text for "path not found"
  }
}

TEST(PathRuleTest, BackslashIsAppendedOnlyWhenMissing) {
  EXPECT_EQ(IncludeTrailingBackslash(u"c:\\vlmv2"), u"c:\\vlmv2\\");
  EXPECT_EQ(IncludeTrailingBackslash(u"c:\\vlmv2\\"), u"c:\\vlmv2\\");
  EXPECT_EQ(IncludeTrailingBackslash(u""), u"\\");
}

TEST(PayloadFileTest, WritesTheBytesOnceAndLaterUsesWhatIsThere) {
  test::TempFolder Temp;
  std::string Payload(3 * kPayloadCopyPiece + 17, '\0');  // several pieces and a short tail
  for (size_t I = 0; I < Payload.size(); ++I) Payload[I] = static_cast<char>(I * 131 % 251);
  WritePayloadFile(Temp.File("vlmzip190.dll"), Payload.data(), Payload.size());
  EXPECT_EQ(test::ReadBytes(Temp.Path() / "vlmzip190.dll"), Payload);
  EXPECT_FALSE(FileExists(Temp.File("vlmzip190.dll.partial")));

  // A file of that name put there by someone else, even an empty one, is used as it is.
  test::WriteBytes(Temp.Path() / "vlmv2install.exe", "");
  WritePayloadFile(Temp.File("vlmv2install.exe"), Payload.data(), Payload.size());
  EXPECT_EQ(test::ReadBytes(Temp.Path() / "vlmv2install.exe"), "");
}

TEST(PayloadFileTest, AFailedWriteNamesThePayloadAndLeavesNothingBehind) {
  test::TempFolder Temp;
  const String Target = Temp.File("missing/vlmzip190.dll");
  try {
    WritePayloadFile(Target, "abc", 3);
    FAIL() << "no error";
  } catch (const EFCreateError& E) {
    EXPECT_EQ(E.Message().rfind(u"Cannot create file \"" + ExpandFileName(Target) + u"\". ", 0), 0u)
        << StringToUtf8(E.Message());
  }
  EXPECT_FALSE(FileExists(Target));
  EXPECT_FALSE(FileExists(Target + u".partial"));
}

}  // namespace
}  // namespace vlm
