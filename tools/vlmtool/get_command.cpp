// tools/vlmtool/get_command.cpp -- the "get" subcommand over TNetHTTP.
#include "tools/vlmtool/get_command.h"

#include <string>

#include "app/package_seal.h"
#include "http/net_http.h"
#include "runtime/console_output.h"
#include "runtime/memory_stream.h"

namespace vlm::tool {

const char kGetUsage[] =
    "  vlmtool get [--events] [--max-size BYTES] URL OUT [URL OUT]...\n"
    "      each body at most BYTES long (default 536870912, the setup program's package limit)\n";

namespace {

const char* ModeName(TWorkMode AMode) {
  return AMode == TWorkMode::wmRead ? "read" : "write";
}

// Each event line goes out at once, so a reader of the pipe sees progress as it happens.
void AttachEventLines(TNetHTTP& AClient) {
  AClient.OnWorkBegin = [](TNetComponent&, TWorkMode AMode, int64_t AMax) {
    WriteStdout(std::string("begin ") + ModeName(AMode) + " " + std::to_string(AMax) + "\n");
  };
  AClient.OnWork = [](TNetComponent&, TWorkMode AMode, int64_t ACount) {
    WriteStdout(std::string("work ") + ModeName(AMode) + " " + std::to_string(ACount) + "\n");
  };
  AClient.OnWorkEnd = [](TNetComponent&, TWorkMode AMode) {
    WriteStdout(std::string("end ") + ModeName(AMode) + "\n");
  };
}

}  // namespace

// A byte count of 1 to 2,147,483,647 written in decimal; a usage error otherwise.
int64_t ParseMaxSize(const String& AText) {
  int64_t Value = 0;
  for (char16_t C : AText) {
    if (C < u'0' || C > u'9' || Value > (kNetStreamLimit - (C - u'0')) / 10)
      throw UsageError("--max-size needs a byte count from 1 to 2147483647");
    Value = Value * 10 + (C - u'0');
  }
  if (Value < 1) throw UsageError("--max-size needs a byte count from 1 to 2147483647");
  return Value;
}

int RunGetCommand(const Arguments& Args) {
  size_t Next = 0;
  bool Events = false;
  int64_t MaxSize = kPackageDefaultMaxSize;
  for (;;) {
    if (Next < Args.size() && Args[Next] == u"--events") {
      Events = true;
      ++Next;
    } else if (Next < Args.size() && Args[Next] == u"--max-size") {
      if (Next + 1 >= Args.size()) throw UsageError("--max-size needs a byte count");
      MaxSize = ParseMaxSize(Args[Next + 1]);
      Next += 2;
    } else {
      break;
    }
  }
  const size_t Count = Args.size() - Next;
  if (Count == 0 || Count % 2 != 0) throw UsageError("get needs pairs of URL and OUT");

  TNetHTTP Client;
  ApplyInstallerSettings(Client);
  Client.MaxBodySize = MaxSize;  // for every URL; a longer body fails before its file is written
  if (Events) AttachEventLines(Client);
  for (size_t I = Next; I < Args.size(); I += 2) {
    TMemoryStream Body;
    Client.Get(Args[I], Body);
    // The body is not needed after the save, so its memory goes back as the file is written.
    Body.SaveToFileAndClear(Args[I + 1]);
    if (Events)
      WriteStdout("status " + std::to_string(Client.ResponseCode()) + " " +
                  StringToUtf8(Client.ResponseText()) + "\n");
  }
  return 0;
}

}  // namespace vlm::tool
