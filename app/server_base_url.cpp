// app/server_base_url.cpp -- the base URL choice between the three built-in deployment servers.
// Alone in its file on purpose: the build compiles it once more into an executable that is
// built for other servers (the https setup.exe), with other VLM_*_URL definitions; that
// executable's own copy then satisfies the linker, and this one is never taken from the library.
#include "app/startup_options.h"

namespace vlm {

String ServerBaseUrl() {
  if (StartupFlags & kFlagStaging) return S(VLM_STAGING_URL);
  if (StartupFlags & kFlagDevelopment) return S(VLM_DEVELOPMENT_URL);
  return S(VLM_PRODUCTION_URL);
}

}  // namespace vlm
