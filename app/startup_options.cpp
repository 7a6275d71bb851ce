// app/startup_options.cpp -- option flags and log channels.
#include "app/startup_options.h"

#include <memory>

#include "runtime/file_system.h"
#include "runtime/text_file.h"

namespace vlm {

uint8_t StartupFlags = 0;

namespace {

// The log channels live as long as the process: the log file is opened once per run and appended
// to, so the lines of successive runs follow each other.
std::unique_ptr<TTextFileWriter> ConsoleChannel;
std::unique_ptr<TTextFileWriter> LogFileChannel;

}  // namespace

void ParseCommandLine(const std::vector<String>& Arguments) {
  if (Arguments.size() <= 1) return;
  for (size_t P = 1; P < Arguments.size(); ++P)
    for (int Bit = 0; Bit < 8; ++Bit)
      if (Arguments[P].find(kOptionTexts[Bit]) != String::npos) StartupFlags |= uint8_t(1u << Bit);
}

String LogFileName() { return TempFolder() + u"vlmv2setup.log"; }

void OpenLogChannels() {
  if ((StartupFlags & kFlagLogToFile) && !LogFileChannel) {
    auto Channel = std::make_unique<TTextFileWriter>();
    Channel->Append(LogFileName());
    LogFileChannel = std::move(Channel);
  }
}

void LogLine(const String& Text) {
  if (StartupFlags & kFlagLogToConsole) {
    if (!ConsoleChannel) {
      auto Channel = std::make_unique<TTextFileWriter>();
      Channel->AssignStandardOutput();
      ConsoleChannel = std::move(Channel);
    }
    ConsoleChannel->WriteLine(Text);
  }
  if (StartupFlags & kFlagLogToFile) {
    OpenLogChannels();
    LogFileChannel->WriteLine(Text);
  }
}

void CloseLogChannels() {
  ConsoleChannel.reset();
  if (LogFileChannel) LogFileChannel->Close();
  LogFileChannel.reset();
}

}  // namespace vlm
