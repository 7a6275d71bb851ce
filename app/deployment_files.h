// app/deployment_files.h -- the names of the files the installation fetches and leaves behind,
// the folder-path rule, and the two files the installer writes itself.
#pragma once

#include "runtime/string.h"

namespace vlm {

inline constexpr char16_t kDescriptorName[] = u"deploy.vlm";
inline constexpr char16_t kReleaseInfoName[] = u"release.inf";
inline constexpr char16_t kPackageName[] = u"vlmv2menu.pkg";
inline constexpr char16_t kSysModConfigName[] = u"vlmv2.ini";
inline constexpr char16_t kZipEngineName[] = u"vlmzip190.dll";
inline constexpr char16_t kRuntimeInstallerName[] = u"vlmv2install.exe";
inline constexpr char16_t kMenuProgramName[] = u"vlmv2menu.exe";
inline constexpr char16_t kDefaultInstallFolder[] = u"c:\\vlmv2";

// Folder with a backslash appended when it does not already end with one.
String IncludeTrailingBackslash(const String& Folder);

// Writes the local deployment record RecordFile: the file's existing sections and keys stay, the
// package list and the package's release are set. Raises the file layer's error when it cannot be
// written.
void WriteLocalDeploymentRecord(const String& RecordFile, const String& Release);

// Creates or replaces FileName with the two lines of the system-module configuration. A failure
// raises the runtime's I/O error.
void WriteSysModConfig(const String& FileName);

}  // namespace vlm
