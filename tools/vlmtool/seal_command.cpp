// tools/vlmtool/seal_command.cpp -- the "seal" subcommand.
#include "tools/vlmtool/seal_command.h"

#include <string>

#include "app/deployment_files.h"
#include "app/package_seal.h"
#include "http/net_uri.h"
#include "ini/ini_line_edit.h"
#include "ini/mem_ini_file.h"
#include "runtime/console_output.h"
#include "runtime/file_system.h"
#include "runtime/memory_stream.h"
#include "runtime/string_list.h"

namespace vlm::tool {

const char kSealUsage[] = "  vlmtool seal SITE_DIR\n";

namespace {

String Ascii(const std::string& Text) {
  return String(Text.begin(), Text.end());
}

// The file below SiteDir that Url's path names; raises EPackageSeal for a path that could leave
// the folder or that a web server would read otherwise.
String PackageFileOf(const String& SiteDir, const String& Descriptor, const String& Url) {
  if (Url.empty())
    throw EPackageSeal(Descriptor + u" has no URL in section [" + kSealSection + u"]");
  const TNetURI Uri(Url);
  const String Path = Uri.Path() + Uri.Document();
  String File = SiteDir;
  size_t Start = 0;
  while (Start <= Path.size()) {
    const size_t End = std::min(Path.find(u'/', Start), Path.size());
    const String Segment = Path.substr(Start, End - Start);
    if (Segment == u"." || Segment == u".." || Segment.find_first_of(u"\\%:") != String::npos)
      throw EPackageSeal(u"The URL " + Url + u" of " + Descriptor +
                         u" names no file inside the site folder");
    if (!Segment.empty()) File += PathDelimiter() + Segment;
    Start = End + 1;
  }
  return File;
}

void Seal(const String& SiteDir, const String& Descriptor) {
  String Url;
  {
    TMemIniFile Ini(Descriptor);
    Url = Ini.ReadString(kSealSection, u"URL", String());
  }
  const String Package = PackageFileOf(SiteDir, Descriptor, Url);
  if (!FileExists(Package))
    throw EPackageSeal(u"The package " + Package + u" that " + Descriptor + u" names is missing");
  TMemoryStream Bytes;
  Bytes.LoadFromFile(Package);
  const TPackageCheck Measured =
      CheckPackage(TPackageSeal{}, Bytes.Memory(), static_cast<size_t>(Bytes.View().size()));

  TStringList Lines;
  Lines.LoadFromFile(Descriptor);
  WriteKeyInPlace(Lines, kSealSection, kSealSizeKey, Ascii(std::to_string(Measured.Size)));
  WriteKeyInPlace(Lines, kSealSection, kSealHashKey, Ascii(Sha256Hex(Measured.Sha256)));
  Lines.SaveToFile(Descriptor);
  WriteStdout("sealed " + StringToUtf8(Descriptor) + ": " + StringToUtf8(Package) + ", " +
              StringToUtf8(Measured.Received()) + "\n");
}

}  // namespace

int RunSealCommand(const Arguments& Args) {
  if (Args.size() != 1) throw UsageError("seal needs SITE_DIR");
  String SiteDir = Args[0];
  while (SiteDir.size() > 1 && (SiteDir.back() == u'/' || SiteDir.back() == u'\\'))
    SiteDir.pop_back();
  const String Main = SiteDir + PathDelimiter() + kDescriptorName;
  if (!FileExists(Main)) throw EPackageSeal(u"There is no descriptor " + Main);
  Seal(SiteDir, Main);
  const String Staging = SiteDir + PathDelimiter() + u"staging" + PathDelimiter() + kDescriptorName;
  if (FileExists(Staging)) Seal(SiteDir, Staging);
  return 0;
}

}  // namespace vlm::tool
