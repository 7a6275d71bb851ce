// tools/vlmtool/check_command.cpp -- the "check" subcommand: options and the report's output.
#include "tools/vlmtool/check_command.h"

#include <string>

#include "app/startup_options.h"
#include "runtime/console_output.h"
#include "tools/vlmtool/deployment_check.h"

namespace vlm::tool {

const char kCheckUsage[] =
    "  vlmtool check [--json] [--timeout SECONDS] BASE_URL | --production | --staging | --dev\n";

namespace {

constexpr int kDefaultTimeoutSeconds = 30;

const char* SeverityName(TFinding::TSeverity Severity) {
  switch (Severity) {
    case TFinding::Note: return "note";
    case TFinding::Warning: return "warning";
    case TFinding::Error: return "error";
  }
  return "error";
}

std::string JsonText(const String& Text) {
  std::string Out = "\"";
  for (const char C : StringToUtf8(Text)) {
    switch (C) {
      case '"': Out += "\\\""; break;
      case '\\': Out += "\\\\"; break;
      case '\n': Out += "\\n"; break;
      case '\r': Out += "\\r"; break;
      case '\t': Out += "\\t"; break;
      default:
        if (static_cast<unsigned char>(C) < 0x20) {
          static const char kHex[] = "0123456789abcdef";
          Out += "\\u00";
          Out += kHex[(C >> 4) & 0xF];
          Out += kHex[C & 0xF];
        } else {
          Out += C;
        }
    }
  }
  return Out + "\"";
}

std::string Plural(int N, const char* Word) {
  return std::to_string(N) + " " + Word + (N == 1 ? "" : "s");
}

void PrintText(const TDeploymentReport& Report) {
  std::string Out;
  for (const TFinding& F : Report.Findings)
    Out += std::string(SeverityName(F.Severity)) + ": " + StringToUtf8(F.Text) + "\n";
  Out += "check " + StringToUtf8(Report.BaseUrl) + ": " +
         Plural(Report.Count(TFinding::Error), "error") + ", " +
         Plural(Report.Count(TFinding::Warning), "warning") + "\n";
  WriteStdout(Out);
}

void PrintJson(const TDeploymentReport& Report) {
  std::string Out = "{\"base_url\": " + JsonText(Report.BaseUrl) + ", \"findings\": [";
  for (size_t I = 0; I < Report.Findings.size(); ++I) {
    const TFinding& F = Report.Findings[I];
    Out += std::string(I ? ", " : "") + "{\"severity\": \"" + SeverityName(F.Severity) +
           "\", \"text\": " + JsonText(F.Text) + "}";
  }
  Out += "], \"errors\": " + std::to_string(Report.Count(TFinding::Error)) +
         ", \"warnings\": " + std::to_string(Report.Count(TFinding::Warning)) +
         ", \"exit_code\": " + std::to_string(Report.ExitCode()) + "}\n";
  WriteStdout(Out);
}

}  // namespace

int RunCheckCommand(const Arguments& Args) {
  bool Json = false;
  int TimeoutSeconds = kDefaultTimeoutSeconds;
  String BaseUrl;
  const auto SetBase = [&](const String& Url) {
    if (!BaseUrl.empty()) throw UsageError("check needs exactly one base URL or server");
    BaseUrl = Url;
  };
  for (size_t I = 0; I < Args.size(); ++I) {
    const String& A = Args[I];
    if (A == u"--json") {
      Json = true;
    } else if (A == u"--timeout") {
      const std::string Value = I + 1 < Args.size() ? StringToUtf8(Args[++I]) : std::string();
      if (Value.empty() || Value.size() > 6 ||
          Value.find_first_not_of("0123456789") != std::string::npos || std::stoi(Value) == 0)
        throw UsageError("--timeout needs a whole number of seconds, at least 1");
      TimeoutSeconds = std::stoi(Value);
    } else if (A == u"--production" || A == u"--staging" || A == u"--dev") {
      StartupFlags = A == u"--staging" ? kFlagStaging : A == u"--dev" ? kFlagDevelopment : 0;
      SetBase(ServerBaseUrl());
    } else if (A.size() > 2 && A.compare(0, 2, u"--") == 0) {
      throw UsageError("unknown option \"" + StringToUtf8(A) + "\"");
    } else {
      SetBase(A);
    }
  }
  if (BaseUrl.empty()) throw UsageError("check needs a base URL or --production, --staging, --dev");
  while (BaseUrl.size() > 1 && BaseUrl.back() == u'/') BaseUrl.pop_back();

  const TDeploymentReport Report = CheckDeployment(BaseUrl, TimeoutSeconds * 1000);
  Json ? PrintJson(Report) : PrintText(Report);
  return Report.ExitCode();
}

}  // namespace vlm::tool
