// http/meta_http_equiv.h -- header lines that an HTML page declares in its <meta http-equiv> tags.
// The client runs the scan after every HTML body; the lines collected across bodies are parsed
// like a reply head, and the cookie store reads its "Set-Cookie" lines too.
#pragma once

#include "http/header_info.h"
#include "runtime/stream.h"

namespace vlm {

class TNetMetaHTTPEquiv : public TNetEntityHeaderInfo {
public:
  // Reads the whole of AStream (from its beginning; its position is restored) as text, one
  // character per byte, and adds a line "<http-equiv>: <content>" to RawHeaders for every META tag
  // whose first attribute is HTTP-EQUIV inside the page's HEAD. The scan waits for an HTML tag;
  // after it a TITLE tag (before HEAD) stops the scan, a BODY tag ends it and a HEAD tag starts
  // collecting, which lasts to the end of the text. While collecting, TITLE and SCRIPT elements
  // are skipped to their closing tag and LINK tags are skipped. Comments "<!-- ... -->" are
  // skipped everywhere. Lines already held stay; when any are held afterwards they are parsed.
  void ProcessMetaHTTPEquiv(TStream& AStream);

  // The same scan over text already in memory.
  void ProcessMetaHTTPEquivText(StringView AText);
};

}  // namespace vlm
