// Emptying an existing installation folder and the file-deletion rule.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/shell_integration.h"
#include "runtime/file_system.h"
#include "tests/support/temp_folder.h"

#ifdef _WIN32
#include "runtime/win32/win32_api.h"
#else
#include <sys/stat.h>
#endif

namespace vlm {
namespace {

namespace fs = std::filesystem;

void MakeHidden(const fs::path& Path) {
#ifdef _WIN32
  SetFileAttributesW(Path.c_str(), FILE_ATTRIBUTE_HIDDEN);
#else
  (void)Path;  // a hidden file natively is a dot file: the name already says so
#endif
}

void MakeReadOnly(const fs::path& Path) {
#ifdef _WIN32
  SetFileAttributesW(Path.c_str(), FILE_ATTRIBUTE_READONLY);
#else
  chmod(Path.c_str(), 0444);
#endif
}

void MakeWritable(const fs::path& Path) {
#ifdef _WIN32
  SetFileAttributesW(Path.c_str(), FILE_ATTRIBUTE_NORMAL);
#else
  chmod(Path.c_str(), 0644);
#endif
}

// A folder link (a directory symbolic link) at Link pointing to Target; false where the platform
// refuses to make one.
bool MakeFolderLink(const fs::path& Target, const fs::path& Link) {
#ifdef _WIN32
  // A directory symbolic link; unprivileged creation is allowed where developer mode is on.
  constexpr DWORD kDirectoryLink = 0x1, kAllowUnprivileged = 0x2;
  if (CreateSymbolicLinkW(Link.c_str(), Target.c_str(), kDirectoryLink | kAllowUnprivileged))
    return (GetFileAttributesW(Link.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
#endif
  std::error_code Error;
  fs::create_directory_symlink(Target, Link, Error);
  return !Error;
}

String WithDelimiter(const fs::path& Folder) {
  return Utf8ToString(test::PathToUtf8(Folder)) + PathDelimiter();
}

class ClearFolderTest : public ::testing::Test {
protected:
  void SetUp() override {
    Root = Temp.Path() / "vlmv2";
    fs::create_directories(Root / "sub");
    test::WriteBytes(Root / "plain.txt", "a");
    test::WriteBytes(Root / ".hidden.txt", "b");
    MakeHidden(Root / ".hidden.txt");
    test::WriteBytes(Root / "locked.txt", "c");
    MakeReadOnly(Root / "locked.txt");
    test::WriteBytes(Root / "sub" / "inner.txt", "d");
  }
  void TearDown() override { MakeWritable(Root / "locked.txt"); }

  test::TempFolder Temp;
  fs::path Root;
};

TEST_F(ClearFolderTest, FilesGoReadOnlyFilesAndSubfoldersStay) {
  ClearFolder(Utf8ToString(test::PathToUtf8(Root)));
  EXPECT_FALSE(fs::exists(Root / "plain.txt"));
  EXPECT_FALSE(fs::exists(Root / ".hidden.txt"));
  EXPECT_TRUE(fs::exists(Root / "locked.txt"));
  EXPECT_TRUE(fs::exists(Root / "sub" / "inner.txt"));
  EXPECT_TRUE(fs::is_directory(Root));
}

TEST_F(ClearFolderTest, ATrailingDelimiterClearsTheSameEntries) {
  ClearFolder(WithDelimiter(Root));
  EXPECT_FALSE(fs::exists(Root / "plain.txt"));
  EXPECT_TRUE(fs::exists(Root / "sub" / "inner.txt"));
}

TEST_F(ClearFolderTest, AFolderLinkGoesButNotWhatItPointsTo) {
  const fs::path Elsewhere = Temp.Path() / "elsewhere";
  fs::create_directories(Elsewhere);
  test::WriteBytes(Elsewhere / "keep.txt", "k");
  if (!MakeFolderLink(Elsewhere, Root / "link"))
    GTEST_SKIP() << "this platform made no folder link here";
  ClearFolder(Utf8ToString(test::PathToUtf8(Root)));
  EXPECT_FALSE(fs::exists(fs::symlink_status(Root / "link")));
  EXPECT_TRUE(fs::exists(Elsewhere / "keep.txt"));
}

TEST(DeleteFileOrLinkTest, ReportsWhetherSomethingWasDeleted) {
  test::TempFolder Temp;
  test::WriteBytes(Temp.Path() / "a.txt", "a");
  EXPECT_TRUE(DeleteFileOrLink(Temp.File("a.txt")));
  EXPECT_FALSE(fs::exists(Temp.Path() / "a.txt"));
  EXPECT_FALSE(DeleteFileOrLink(Temp.File("a.txt")));  // gone already
  fs::create_directories(Temp.Path() / "folder");
  EXPECT_FALSE(DeleteFileOrLink(Temp.File("folder")));  // a real folder is not removed
  EXPECT_TRUE(fs::is_directory(Temp.Path() / "folder"));
}

}  // namespace
}  // namespace vlm
