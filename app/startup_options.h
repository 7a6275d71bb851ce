// app/startup_options.h -- the command-line options of the setup program, the log routine and
// the choice of deployment server. The flags are set once while the main window is created and
// only read afterwards.
#pragma once

#include <cstdint>
#include <vector>

#include "runtime/string.h"

namespace vlm {

// The option texts; the index is the bit the option sets in StartupFlags.
inline constexpr const char16_t* kOptionTexts[8] = {
    u"/nowebinterface", u"/loglevel0", u"/loglevel1",   u"/dev",
    u"/staging",        u"/fixedmonitor", u"/noupdates", u"/genhlpfiles"};

inline constexpr uint8_t kFlagLogToConsole = 1 << 1;
inline constexpr uint8_t kFlagLogToFile = 1 << 2;
inline constexpr uint8_t kFlagDevelopment = 1 << 3;
inline constexpr uint8_t kFlagStaging = 1 << 4;

// One byte of option bits, all clear at start; written only by ParseCommandLine.
extern uint8_t StartupFlags;

// Sets the bit of every option text that occurs, case-sensitively, anywhere in one of the
// parameters. Arguments holds the program's path first (as the platform hands them over); it is
// not a parameter.
void ParseCommandLine(const std::vector<String>& Arguments);
// The same over the process's own command line.
void ParseCommandLine();

// The log file of "/loglevel1": "vlmv2setup.log" in the user's temporary folder.
String LogFileName();
// Opens the log file for appending when "/loglevel1" is set; called right after the flags are
// known. Raises the runtime's I/O error when it cannot be opened.
void OpenLogChannels();
// Writes Text and CR LF to standard output ("/loglevel0") and to the log file ("/loglevel1").
// A failed write raises the runtime's I/O error.
void LogLine(const String& Text);
// Closes the log file (tests; the process otherwise keeps it open until it ends).
void CloseLogChannels();

// The deployment server's base URL for the current flags: staging wins over development, which
// wins over production. No trailing "/".
String ServerBaseUrl();

}  // namespace vlm
