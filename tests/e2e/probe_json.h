// tests/e2e/probe_json.h -- a wide text as a JSON string of 7-bit characters, for the probes'
// one-object-per-line output (the tests read it with python's json module).
#pragma once

#include <cstdio>
#include <string>

namespace probe {

inline std::string Json(const wchar_t* Text) {
  std::string Out = "\"";
  for (const wchar_t* P = Text ? Text : L""; *P; ++P) {
    const unsigned C = static_cast<unsigned>(*P);
    if (C == '"' || C == '\\') {
      Out += '\\';
      Out += static_cast<char>(C);
    } else if (C < 0x20 || C > 0x7E) {
      char Escape[8];
      std::snprintf(Escape, sizeof Escape, "\\u%04x", C);
      Out += Escape;
    } else {
      Out += static_cast<char>(C);
    }
  }
  return Out + "\"";
}

}  // namespace probe
