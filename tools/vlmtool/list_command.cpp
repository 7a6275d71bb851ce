// tools/vlmtool/list_command.cpp -- the "list" subcommand over TZipFront19.
#include "tools/vlmtool/list_command.h"

#include <cstdio>
#include <string>

#include "runtime/console_output.h"
#include "zip/zip_front.h"

namespace vlm::tool {

const char kListUsage[] = "  vlmtool list PKG\n";

namespace {

std::string Hex(const std::string& Bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string Out;
  for (const unsigned char C : Bytes) {
    Out += kDigits[C >> 4];
    Out += kDigits[C & 15];
  }
  return Out;
}

std::string Hex8(uint32_t Value) {
  char Buffer[9];
  std::snprintf(Buffer, sizeof Buffer, "%08x", static_cast<unsigned>(Value));
  return Buffer;
}

}  // namespace

int RunListCommand(const Arguments& Args) {
  if (Args.size() != 1) throw UsageError("list needs PKG");
  TZipFront19 Zip;
  Zip.Unattended = true;
  Zip.SetZipFileName(Args[0]);
  std::string Out = "errcode " + std::to_string(Zip.ErrCode()) + "\n";
  Out += "count " + std::to_string(Zip.Count()) + "\n";
  Out += "dironly " + std::to_string(Zip.DirOnlyCnt()) + "\n";
  Out += "comment " + Hex(Zip.ZipComment()) + "\n";
  for (int I = 0; I < Zip.Count(); ++I) {
    const auto Entry = Zip.DirEntry(I);
    if (!Entry) continue;
    String Name = Entry->FileName();
    for (char16_t& C : Name) {
      if (C == u'/') C = u'\\';
    }
    Out += "entry " + StringToUtf8(Name) + " " + std::to_string(Entry->UncompressedSize()) + " " +
           std::to_string(Entry->CompressedSize()) + " " +
           std::to_string(Entry->CompressionMethod()) + " " + Hex8(Entry->CRC32()) + "\n";
  }
  WriteStdout(Out);
  return 0;
}

}  // namespace vlm::tool
