// Shell links in special folders, read back through the shell-link class, and the registry rules
// that find the folders. The per-user "Shell Folders" values a test changes are restored after it.
#include <gtest/gtest.h>

#include <objbase.h>
#include <shlobj.h>

#include <optional>

#include "app/shell_integration.h"
#include "app/win32/shell_folders.h"
#include "runtime/file_system.h"
#include "runtime/win32/win32_api.h"
#include "tests/support/temp_folder.h"

namespace vlm {
namespace {

const wchar_t kShellFolders[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// Saves one value of the per-user "Shell Folders" key and puts it back afterwards.
class ShellFolderValue {
public:
  explicit ShellFolderValue(const wchar_t* Name) : FName(Name) {
    RegCreateKeyExW(HKEY_CURRENT_USER, kShellFolders, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &FKey,
                    nullptr);
    DWORD Type = 0, Size = sizeof FSaved;
    if (RegQueryValueExW(FKey, Name, nullptr, &Type, reinterpret_cast<BYTE*>(FSaved), &Size) ==
        ERROR_SUCCESS) {
      FSavedType = Type;
      FSavedSize = Size;
    }
  }
  ~ShellFolderValue() {
    if (FSavedType)
      RegSetValueExW(FKey, FName, 0, *FSavedType, reinterpret_cast<const BYTE*>(FSaved), FSavedSize);
    else
      RegDeleteValueW(FKey, FName);
    RegCloseKey(FKey);
  }
  void Set(const String& Folder) {
    RegSetValueExW(FKey, FName, 0, REG_SZ, reinterpret_cast<const BYTE*>(WidePtr(Folder)),
                   static_cast<DWORD>((Folder.size() + 1) * sizeof(wchar_t)));
  }
  void SetNumber(DWORD Value) {
    RegSetValueExW(FKey, FName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&Value), sizeof Value);
  }
  void Remove() { RegDeleteValueW(FKey, FName); }

private:
  const wchar_t* FName;
  HKEY FKey = nullptr;
  wchar_t FSaved[1024] = {};
  std::optional<DWORD> FSavedType;
  DWORD FSavedSize = 0;
};

struct LinkContent {
  String Path, Arguments, Description, WorkingDir;
};

LinkContent ReadLink(const String& LinkFile) {
  LinkContent Content;
  IShellLinkW* Link = nullptr;
  IPersistFile* File = nullptr;
  EXPECT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                         IID_IShellLinkW, reinterpret_cast<void**>(&Link))));
  if (!Link) return Content;
  Link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&File));
  if (File && SUCCEEDED(File->Load(WidePtr(LinkFile), STGM_READ))) {
    wchar_t Text[MAX_PATH] = {};
    Link->GetPath(Text, MAX_PATH, nullptr, SLGP_RAWPATH);
    Content.Path = FromWide(Text);
    Link->GetArguments(Text, MAX_PATH);
    Content.Arguments = FromWide(Text);
    Link->GetDescription(Text, MAX_PATH);
    Content.Description = FromWide(Text);
    Link->GetWorkingDirectory(Text, MAX_PATH);
    Content.WorkingDir = FromWide(Text);
  }
  if (File) File->Release();
  Link->Release();
  return Content;
}

class ShellLinkTest : public ::testing::Test {
protected:
  void SetUp() override { CoInitialize(nullptr); }
  void TearDown() override { CoUninitialize(); }
  test::TempFolder Temp;
};

TEST_F(ShellLinkTest, GivenFolderGetsTheLinkDirectlyInsideIt) {
  const String Folder = Utf8ToString(test::PathToUtf8(Temp.Path()));
  const String Target = u"c:\\vlmv2\\vlmv2menu.exe";
  String LinkFile = u"unchanged";
  CreateShortcut(Target, kLinkGivenFolder, Folder, u"", u"/staging", u"Velmora v2", LinkFile);
  EXPECT_EQ(LinkFile, Folder + u"\\Velmora v2.lnk");
  ASSERT_TRUE(FileExists(LinkFile));
  const LinkContent Content = ReadLink(LinkFile);
  EXPECT_EQ(Content.Path, Target);
  EXPECT_EQ(Content.Arguments, u"/staging");
  EXPECT_EQ(Content.Description, u"Velmora v2");
  EXPECT_EQ(Content.WorkingDir, u"c:\\vlmv2\\");  // the target's folder, up to its backslash
}

TEST_F(ShellLinkTest, DesktopLinkFollowsTheRegistryAndNeedsExistingFolders) {
  ShellFolderValue Desktop(L"Desktop");
  const String Folder = Utf8ToString(test::PathToUtf8(Temp.Path()));
  Desktop.Set(Folder);
  String LinkFile;
  CreateShortcut(u"c:\\p\\m.exe", kLinkDesktop, u"", u"d:\\work", u"", u"Velmora v2", LinkFile);
  EXPECT_EQ(LinkFile, Folder + u"\\Velmora v2.lnk");
  EXPECT_TRUE(FileExists(LinkFile));
  EXPECT_EQ(ReadLink(LinkFile).WorkingDir, u"d:\\work");

  // A sub-folder that does not exist: no link, no error (the path is still reported).
  String Other;
  CreateShortcut(u"c:\\p\\m.exe", kLinkDesktop, u"Nowhere", u"", u"", u"Second", Other);
  EXPECT_FALSE(FileExists(Folder + u"\\Nowhere\\Second.lnk"));

  // No desktop value at all: no link and LinkFile left as it was.
  Desktop.Remove();
  String Untouched = u"as before";
  CreateShortcut(u"c:\\p\\m.exe", kLinkDesktop, u"", u"", u"", u"Third", Untouched);
  EXPECT_EQ(Untouched, u"as before");
}

TEST_F(ShellLinkTest, ANonStringShellFolderValueRaises) {
  ShellFolderValue Desktop(L"Desktop");
  Desktop.SetNumber(7);
  String LinkFile;
  try {
    CreateShortcut(u"c:\\p\\m.exe", kLinkDesktop, u"", u"", u"", u"X", LinkFile);
    FAIL() << "no error";
  } catch (const ERegistryException& E) {
    EXPECT_EQ(E.Message(), u"Invalid data type for 'Desktop'");
  }
}

TEST_F(ShellLinkTest, ProgramsFolderReadsThePerUserValue) {
  ShellFolderValue Programs(L"Programs");
  Programs.Set(u"c:\\somewhere\\Programs");
  EXPECT_EQ(ProgramsFolder(), u"c:\\somewhere\\Programs");
  Programs.Remove();
  EXPECT_EQ(ProgramsFolder(), u"");
}

TEST_F(ShellLinkTest, UnknownLocationMakesNoLink) {
  String LinkFile = u"kept";
  CreateShortcut(u"c:\\p\\m.exe", 9, Utf8ToString(test::PathToUtf8(Temp.Path())), u"", u"", u"N",
                 LinkFile);
  EXPECT_EQ(LinkFile, u"kept");
}

}  // namespace
}  // namespace vlm
