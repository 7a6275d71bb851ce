// app/deployment_files.cpp -- the local deployment record and the system-module configuration.
#include "app/deployment_files.h"

#include "ini/ini_file.h"
#include "runtime/text_file.h"

namespace vlm {

String IncludeTrailingBackslash(const String& Folder) {
  if (!Folder.empty() && Folder.back() == u'\\') return Folder;
  return Folder + u"\\";
}

void WriteLocalDeploymentRecord(const String& RecordFile, const String& Release) {
  TIniFile Record(RecordFile);  // loads what a previous installation left there
  Record.WriteString(u"Packages", u"PackageList", u"vlmv2menu");
  Record.WriteString(u"vlmv2menu", u"Release", Release);
  Record.UpdateFile();
}

void WriteSysModConfig(const String& FileName) {
  TTextFileWriter Config;
  Config.Rewrite(FileName);
  Config.WriteLine(u"[SysMod]");
  Config.WriteLine(u"sysmods=vlmv2sysmodhttpsvr.bpl");
  Config.Close();
}

}  // namespace vlm
