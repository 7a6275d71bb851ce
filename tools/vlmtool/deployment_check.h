// tools/vlmtool/deployment_check.h -- the network half of an installation, dry, against a live
// deployment server: the descriptor, the menu package and the release information fetched as
// setup.exe fetches them (one client with the installer's settings, so the same user agent and one
// keep-alive connection), then everything that would make an installation fail or surprise a user,
// one finding each. The package is unpacked as setup.exe unpacks it, into a temporary folder that
// is removed afterwards.
#pragma once

#include <vector>

#include "runtime/string.h"

namespace vlm::tool {

struct TFinding {
  enum TSeverity { Note, Warning, Error };
  TSeverity Severity;
  String Text;
};

struct TDeploymentReport {
  String BaseUrl;
  std::vector<TFinding> Findings;
  int Count(TFinding::TSeverity Severity) const;
  // 0 without warnings and errors, 1 with warnings only, 2 with an error.
  int ExitCode() const;
};

// Checks the deployment at BaseUrl (no trailing "/"). ReadTimeoutMs bounds every wait for the
// server; the connection attempt is bounded by the platform.
TDeploymentReport CheckDeployment(const String& BaseUrl, int ReadTimeoutMs);

}  // namespace vlm::tool
