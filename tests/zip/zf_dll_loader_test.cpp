// tests/zip/zf_dll_loader_test.cpp -- finding, checking, sharing and releasing the engine library.
#include <gtest/gtest.h>

#include "runtime/dynamic_library.h"
#include "runtime/file_system.h"
#include "tests/zip/zip_front_support.h"
#include "zip/zf_dll_loader.h"

namespace vlm::ziptest {
namespace {

class LoaderTest : public ::testing::Test {
protected:
  void SetUp() override {
    Archive = F.WriteArchive("pkg.zip", {{"dir/a.txt", "alpha"}, {"b.txt", "bravo!"}});
  }
  FrontFixture F;
  String Archive;
};

TEST(DynamicLibraryTest, LoadsTheEngineAndFindsItsExports) {
  unsigned Error = 99;
  void* Handle = LoadDynamicLibrary(EngineFile(), Error);
  ASSERT_NE(Handle, nullptr) << Error;
  EXPECT_EQ(Error, 0u);
  EXPECT_NE(DynamicLibrarySymbol(Handle, "VZ_Exec"), nullptr);
  EXPECT_EQ(DynamicLibrarySymbol(Handle, "VZ_NoSuchExport"), nullptr);
  FreeDynamicLibrary(Handle);
}

TEST(DynamicLibraryTest, MissingFileReportsModuleNotFound) {
  test::TempFolder Folder;
  unsigned Error = 0;
  EXPECT_EQ(LoadDynamicLibrary(Folder.File("absent") + SharedLibraryExtension(), Error), nullptr);
  EXPECT_EQ(Error, kErrorModNotFound);
#if defined(_WIN32)
  EXPECT_FALSE(DynamicLibraryErrorMessage(Error).empty());  // the system's text
#else
  EXPECT_EQ(DynamicLibraryErrorMessage(Error), u"The specified module could not be found.");
#endif
}

TEST(DynamicLibraryTest, FileThatIsNoLibraryIsRefused) {
  test::TempFolder Folder;
  test::WriteBytes(Folder.Path() / "junk.bin", "this is not a library");
  unsigned Error = 0;
  EXPECT_EQ(LoadDynamicLibrary(Folder.File("junk.bin"), Error), nullptr);
  EXPECT_NE(Error, 0u);
}

TEST(ZipEngineVersionTextTest, FormatsBuildNumbers) {
  EXPECT_EQ(ZipEngineVersionText(1900100), u"1.9.0.0100");
  EXPECT_EQ(ZipEngineVersionText(1900113), u"1.9.0.0113");
  EXPECT_EQ(ZipEngineVersionText(0), u"0.0.0.0000");
}

TEST_F(LoaderTest, MissingLibraryShowsOneBoxAndWritesNothing) {
  std::filesystem::create_directory(F.Folder.Path() / "empty");
  F.Zip.DLLDirectory = F.Path("empty");
  EXPECT_EQ(F.ExtractFrom(Archive), 10650);
  const String Expected =
      F.Path("empty") + FrontFixture::PathDelimiterText() + ZipEngineLibraryName();
  ASSERT_EQ(F.Presenter->Shown.size(), 1u);
  EXPECT_EQ(F.Presenter->Shown[0].Text, u"Failed to load " + Expected);
  EXPECT_EQ(F.Zip.ErrMessage(), u"Failed to load " + Expected);
  EXPECT_EQ(F.Zip.SuccessCnt(), 0);
  EXPECT_FALSE(F.OutExists("a.txt"));
  EXPECT_FALSE(ZipEngineLoader().IsLoaded());
  EXPECT_FALSE(ZipEngineLoader().Loaded(&F.Zip.Worker()));
}

TEST_F(LoaderTest, UnattendedFailureOpensNoBox) {
  std::filesystem::create_directory(F.Folder.Path() / "empty");
  F.Zip.DLLDirectory = F.Path("empty");
  F.Zip.Unattended = true;
  EXPECT_EQ(F.ExtractFrom(Archive), 10650);
  EXPECT_TRUE(F.Presenter->Shown.empty());
}

TEST_F(LoaderTest, DirectoryWhoseParentIsMissingFallsBackToTheSearchByName) {
  // Whether the search by name finds a library depends on what the process has loaded already;
  // what is asked of the system loader does not.
  F.Zip.DLLDirectory = F.Path("no-such-parent/engines");
  F.ExtractFrom(Archive);
  EXPECT_EQ(ZipEngineLoader().LoadPath(), ZipEngineLibraryName());
}

TEST_F(LoaderTest, DirectoryWithExistingParentIsSearched) {
  F.Zip.DLLDirectory = F.Path("engines");  // the folder's parent exists, the folder does not
  EXPECT_EQ(F.ExtractFrom(Archive), 10650);
  EXPECT_EQ(ZipEngineLoader().LoadPath(),
            F.Path("engines") + FrontFixture::PathDelimiterText() + ZipEngineLibraryName());
}

TEST_F(LoaderTest, TooOldLibraryIsRejectedNamingItsReportedPath) {
  F.Zip.DLLDirectory = FakeEngineDir("old");
  EXPECT_EQ(F.ExtractFrom(Archive), 10651);
  EXPECT_EQ(F.BoxTexts(),
            std::vector<std::string>{"Unable to load fake-engine - It is old or corrupt"});
  EXPECT_FALSE(ZipEngineLoader().IsLoaded());
  EXPECT_FALSE(F.OutExists("a.txt"));
}

TEST_F(LoaderTest, LibraryWithoutAnExportIsRejected) {
  F.Zip.DLLDirectory = FakeEngineDir("nopath");
  EXPECT_EQ(F.ExtractFrom(Archive), 10651);
  EXPECT_EQ(F.Zip.ErrCode(), 10651);
  EXPECT_FALSE(ZipEngineLoader().IsLoaded());
}

TEST_F(LoaderTest, VerboseReportsLoadingAndTheSystemError) {
  std::filesystem::create_directory(F.Folder.Path() / "empty");
  F.Zip.DLLDirectory = F.Path("empty");
  F.Zip.Verbose = true;
  F.ExtractFrom(Archive);
  bool SawLoadError = false;
  for (const auto& M : F.Messages) {
    if (StringToUtf8(M.Text).rfind("Error [", 0) == 0) {
      SawLoadError = true;
      EXPECT_NE(StringToUtf8(M.Text).find(StringToUtf8(F.Path("empty"))), std::string::npos);
    }
  }
  EXPECT_TRUE(SawLoadError);
}

TEST_F(LoaderTest, EngineIsLoadedForTheExtractOnlyAndReportsItsName) {
  bool LoadedDuringProgress = false;
  F.Zip.OnProgress = [&](TObject*, TZFProgressDetails&) {
    LoadedDuringProgress = ZipEngineLoader().IsLoaded();
  };
  F.Zip.Verbose = true;
  EXPECT_EQ(F.ExtractFrom(Archive), 0);
  EXPECT_TRUE(LoadedDuringProgress);
  EXPECT_FALSE(ZipEngineLoader().IsLoaded());
  std::vector<std::string> Texts;
  for (const auto& M : F.Messages) Texts.push_back(StringToUtf8(M.Text));
  const auto Has = [&](const std::string& Prefix) {
    for (const auto& T : Texts) {
      if (T.rfind(Prefix, 0) == 0) return true;
    }
    return false;
  };
  EXPECT_TRUE(Has("Loaded ")) << ::testing::PrintToString(Texts);
  EXPECT_TRUE(Has("Unloaded "));
  EXPECT_EQ(F.OutFile("a.txt"), "alpha");
}

TEST_F(LoaderTest, ExactLibraryFileIsLoaded) {
  F.Zip.DLLDirectory = EngineFile();
  EXPECT_EQ(F.ExtractFrom(Archive), 0);
  EXPECT_EQ(F.OutFile("b.txt"), "bravo!");
}

TEST_F(LoaderTest, DLLLoadKeepsTheLibraryUntilSwitchedOff) {
  F.Zip.SetDLL_Load(true);
  EXPECT_EQ(F.ExtractFrom(Archive), 0);
  EXPECT_TRUE(ZipEngineLoader().IsLoaded());
  EXPECT_TRUE(F.Zip.Worker().DidLoad());
  EXPECT_EQ(F.Zip.DLL_Build(), 1900100);
  EXPECT_EQ(F.Zip.DLL_Version(), u"1.9.0.0100");
  F.Zip.SetDLL_Load(false);
  EXPECT_FALSE(ZipEngineLoader().IsLoaded());
  EXPECT_EQ(F.Zip.DLL_Build(), 0);
}

TEST_F(LoaderTest, DestroyingTheComponentReleasesItsPermanentReference) {
  {
    FrontFixture Other;
    Other.Zip.SetDLL_Load(true);
    Other.ExtractFrom(Other.WriteArchive("x.zip", {{"x.txt", "x"}}));
    EXPECT_TRUE(ZipEngineLoader().IsLoaded());
  }
  EXPECT_FALSE(ZipEngineLoader().IsLoaded());
}

TEST_F(LoaderTest, FullVersionStringLoadsTheLibraryForTheQuery) {
  EXPECT_EQ(F.Zip.FullVersionString(), u"ZipFront 1.9.0.0113, DLL 1.9.0.0100");
  EXPECT_FALSE(ZipEngineLoader().IsLoaded());
}

TEST_F(LoaderTest, ReferencesAreCountedPerWorker) {
  TZFDLLLoader Loader;
  TZFDLLOpr A, B;
  A.DLLDirectory = B.DLLDirectory = FakeEngineDir("current");
  EXPECT_EQ(Loader.Load(&A), 190);
  EXPECT_EQ(Loader.Load(&B), 190);
  EXPECT_EQ(Loader.Load(&A), 190);
  EXPECT_EQ(Loader.Path(), u"fake-engine");
  Loader.Unload(&A);
  Loader.Unload(&B);
  EXPECT_TRUE(Loader.IsLoaded());  // A still holds one
  EXPECT_TRUE(Loader.Loaded(&A));
  EXPECT_FALSE(Loader.Loaded(&B));
  Loader.Unload(&A);
  EXPECT_FALSE(Loader.IsLoaded());
  EXPECT_EQ(Loader.Path(), u"");
}

}  // namespace
}  // namespace vlm::ziptest
