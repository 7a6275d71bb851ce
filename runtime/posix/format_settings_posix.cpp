// runtime/posix/format_settings_posix.cpp -- the Linux build's fixed format settings.
// The process locale is deliberately ignored: an INI file written on one machine must read the
// same on another, and the tests must not depend on the environment's LANG.
#include "runtime/format_settings.h"

namespace vlm {

const TFormatSettings& FormatSettings() {
  static const TFormatSettings Settings = IsoFormatSettings();
  return Settings;
}

}  // namespace vlm
