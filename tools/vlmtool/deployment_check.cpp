// tools/vlmtool/deployment_check.cpp -- the checks of a live deployment.
#include "tools/vlmtool/deployment_check.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>
#include <random>
#include <system_error>

#include "app/deployment_files.h"
#include "app/package_seal.h"
#include "http/net_http.h"
#include "http/net_uri.h"
#include "ini/mem_ini_file.h"
#include "runtime/file_system.h"
#include "runtime/memory_stream.h"
#include "runtime/string_list.h"
#include "runtime/upper_case.h"
#include "zip/zip_dialog.h"
#include "zip/zip_front.h"

namespace vlm::tool {

int TDeploymentReport::Count(TFinding::TSeverity Severity) const {
  return static_cast<int>(std::count_if(Findings.begin(), Findings.end(),
                                        [&](const TFinding& F) { return F.Severity == Severity; }));
}

int TDeploymentReport::ExitCode() const {
  if (Count(TFinding::Error) > 0) return 2;
  return Count(TFinding::Warning) > 0 ? 1 : 0;
}

namespace {

// An entry's name without its folders, as it is written when folder names are dropped.
StringView LastNamePart(StringView Name) {
  const size_t Slash = Name.find_last_of(u"/\\");
  return Slash == StringView::npos ? Name : Name.substr(Slash + 1);
}

bool SameText(StringView A, StringView B) {
  return A.size() == B.size() && UpperCase(A) == UpperCase(B);
}

String LowerAscii(StringView Text) {
  String Out(Text);
  for (char16_t& C : Out) {
    if (C >= u'A' && C <= u'Z') C = static_cast<char16_t>(C - u'A' + u'a');
  }
  return Out;
}

// An HTML page where a file was expected: a server's error or login page answered with 200.
bool LooksLikeHtml(TNetHTTP& Client, std::string_view Body) {
  const String Type = Client.Response().RawHeaders().Values(u"Content-Type");
  if (!Type.empty() && IsHeaderMediaType(Type, u"text/html")) return true;
  size_t Start = Body.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  while (Start < Body.size() && static_cast<unsigned char>(Body[Start]) <= ' ') ++Start;
  const std::string_view Head = Body.substr(Start, 16);
  const String Lower = LowerAscii(String(Head.begin(), Head.end()));
  return Lower.rfind(u"<!doctype html", 0) == 0 || Lower.rfind(u"<html", 0) == 0;
}

// The host of a URL, or empty when it has none.
String HostOf(const String& Url) {
  try {
    return TNetURI(Url).Host();
  } catch (const Exception&) {
    return String();
  }
}

// A fresh folder below the system's temporary folder, removed with this object.
class TScratchFolder {
public:
  TScratchFolder() {
    std::random_device Seed;
    for (int Attempt = 0; Attempt < 100 && FPath.empty(); ++Attempt) {
      const auto Candidate =
          std::filesystem::temp_directory_path() / ("vlmtool-check-" + std::to_string(Seed()));
      if (std::filesystem::create_directory(Candidate)) FPath = Candidate;
    }
    if (FPath.empty()) throw Exception(u"Cannot create a temporary folder for the package");
  }
  ~TScratchFolder() {
    std::error_code Ignored;
    std::filesystem::remove_all(FPath, Ignored);
  }
  TScratchFolder(const TScratchFolder&) = delete;
  TScratchFolder& operator=(const TScratchFolder&) = delete;

  String Path() const {
    const std::u8string Text = FPath.u8string();
    return Utf8ToString(std::string(Text.begin(), Text.end()));
  }

private:
  std::filesystem::path FPath;
};

class TDeploymentCheck {
public:
  TDeploymentCheck(const String& BaseUrl, int ReadTimeoutMs) {
    FReport.BaseUrl = BaseUrl;
    ApplyInstallerSettings(FClient);
    FClient.ReadTimeout = ReadTimeoutMs;
    FClient.ConnectTimeout = ReadTimeoutMs;
  }

  TDeploymentReport Run() {
    const String& Base = FReport.BaseUrl;
    auto Descriptor =
        Fetch(Base + u"/" + kDescriptorName, u"deployment descriptor", kDescriptorMaxSize);
    if (Descriptor) CheckDescriptor(*Descriptor);
    auto Release =
        Fetch(Base + u"/" + kReleaseInfoName, u"release information", kReleaseInfoMaxSize);
    if (Release && Release->View().empty()) Add(TFinding::Warning, u"release.inf is empty");
    return FReport;
  }

private:
  void Add(TFinding::TSeverity Severity, const String& Text) {
    FReport.Findings.push_back({Severity, Text});
  }

  // The body of Url, at most MaxSize bytes as the setup program takes it, or nothing after a
  // finding that says why not.
  std::unique_ptr<TMemoryStream> Fetch(const String& Url, const String& What, int64_t MaxSize) {
    auto Body = std::make_unique<TMemoryStream>();
    FClient.MaxBodySize = MaxSize;
    try {
      FClient.Get(Url, *Body);
    } catch (const Exception& E) {
      Add(TFinding::Error, u"the " + What + u" " + Url + u" cannot be fetched: " + E.Message());
      return nullptr;
    }
    if (LooksLikeHtml(FClient, Body->View())) {
      Add(TFinding::Error,
          u"the " + What + u" " + Url + u" is an HTML page (" + FClient.ResponseText() + u")");
      return nullptr;
    }
    return Body;
  }

  void CheckDescriptor(TMemoryStream& Body) {
    TStringList Lines;
    Body.SetPosition(0);
    Lines.LoadFromStream(Body);
    TMemIniFile Descriptor{String()};
    Descriptor.SetStrings(Lines);
    const String Url = Descriptor.ReadString(kSealSection, u"URL", String());
    if (Descriptor.ReadString(kSealSection, u"Release", String()).empty())
      Add(TFinding::Warning, u"the descriptor has no Release in section [vlmv2menu]");
    std::optional<TPackageSeal> Seal;
    try {
      Seal = ReadPackageSeal(Descriptor);
    } catch (const EPackageSeal& E) {
      Add(TFinding::Error, E.Message());
    }
    if (Url.empty()) {
      Add(TFinding::Error, u"the descriptor has no URL in section [vlmv2menu]");
      return;
    }
    const String BaseHost = HostOf(FReport.BaseUrl), PackageHost = HostOf(Url);
    if (!SameText(BaseHost, PackageHost))
      Add(TFinding::Warning,
          u"the package URL " + Url + u" is on another host than " + FReport.BaseUrl);
    if (Seal && !Seal->Present())
      Add(TFinding::Note,
          u"the descriptor has no Size or SHA256: a changed package would be "
          u"installed unnoticed");
    auto Package = Fetch(Url, u"menu package", PackageSizeLimit(Seal ? *Seal : TPackageSeal{}));
    if (!Package) return;
    if (Seal && Seal->Present()) {
      const TPackageCheck Check =
          CheckPackage(*Seal, Package->Memory(), static_cast<size_t>(Package->View().size()));
      if (!Check.Matches) Add(TFinding::Error, DamagedPackageMessage(Url, *Seal, Check));
    }
    CheckPackageContents(*Package);
  }

  // Unpacks the package as setup.exe does (no folder names, nothing replaced) into a fresh
  // folder and reports what would not be written.
  void CheckPackageContents(TMemoryStream& Package) {
    TScratchFolder Scratch;
    const String Folder = Scratch.Path() + PathDelimiter();
    const String File = Folder + kPackageName;
    const String Target = Folder + u"install";
    Package.SaveToFile(File);
    CreateDir(Target);

    TZipFront19 Zip;
    Zip.DialogPresenter = std::make_shared<TZFConsoleDialog>();  // no boxes, no questions
    // The engine reports a failed entry as a message followed by the entry's skip; a message that
    // no skip follows (a CRC error, a failure of the whole run) is a finding of its own.
    std::optional<String> Pending;
    const auto Flush = [&] {
      if (Pending) Add(TFinding::Error, u"unpacking: " + *Pending);
      Pending.reset();
    };
    Zip.OnMessage = [&](TObject*, int32_t, const String& Text) {
      Flush();
      Pending = Text;
    };
    Zip.OnSkipped = [&](TObject*, const String& EngineName, TZFSkipTypes Type, int&) {
      String Name = EngineName;  // as the archive names it, with "/" between folders
      std::replace(Name.begin(), Name.end(), u'\\', u'/');
      const String Reason = Pending.value_or(String());
      Pending.reset();
      if (Type == stBadName) {
        Add(TFinding::Warning, u"entry " + Name + u" would be skipped: its name is unsafe");
      } else if (Type == stFileExists || Type == stNoOverwrite) {
        Add(TFinding::Warning, u"entry " + Name +
                                   u" would not be written: an earlier entry has "
                                   u"its name once folders are dropped");
      } else {
        Add(TFinding::Error,
            u"entry " + Name + u" would not be written" + (Reason.empty() ? u"" : u": ") + Reason);
      }
    };
    Zip.SetZipFileName(File);
    Pending.reset();
    if (Zip.ErrCode() != 0) {
      Add(TFinding::Error, u"the menu package cannot be read: " + Zip.ErrMessage());
      return;
    }
    bool HasMenuProgram = false;
    for (int I = 0; I < Zip.Count(); ++I) {
      const auto Entry = Zip.DirEntry(I);
      if (Entry && !Entry->IsDirOnly() &&
          SameText(LastNamePart(Entry->FileName()), kMenuProgramName))
        HasMenuProgram = true;
    }
    if (!HasMenuProgram) Add(TFinding::Error, u"the menu package has no vlmv2menu.exe");
    Zip.FSpecArgs().Clear();
    Zip.SetExtrBaseDir(Target);
    Zip.Extract();
    Flush();
  }

  TNetHTTP FClient;
  TDeploymentReport FReport;
};

}  // namespace

TDeploymentReport CheckDeployment(const String& BaseUrl, int ReadTimeoutMs) {
  return TDeploymentCheck(BaseUrl, ReadTimeoutMs).Run();
}

}  // namespace vlm::tool
