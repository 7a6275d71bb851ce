// http/header_info.h -- typed views of an HTTP head: the entity, request and response header sets.
// A header set keeps the head's lines in RawHeaders and the headers it understands as fields:
// ProcessHeaders reads the fields from the lines (a reply head), SetHeaders writes the lines from
// the fields (a request head), Clear resets the fields. Dates are local TDateTime values, 0 when
// not set; the lines carry them in GMT.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "http/header_list.h"
#include "http/internet_date.h"
#include "runtime/string.h"
#include "runtime/string_list.h"

namespace vlm {

// Line length before RawHeaders folds a line it writes.
inline constexpr int kRawHeadersFoldLength = 1024;

// Whether the media type of AContentType (its text before the first ";", trimmed) is AMediaType:
// a pattern without "/" names the main type ("text"), one with "/" the whole type
// ("text/html"); letter case does not matter.
bool IsHeaderMediaType(const String& AContentType, const String& AMediaType);

// The value of parameter AName ("charset") in a header value such as "text/html; charset=utf-8",
// without quotes; empty when absent.
String HeaderParam(const String& AValue, const String& AName);

class TNetEntityHeaderInfo {
public:
  TNetEntityHeaderInfo();
  virtual ~TNetEntityHeaderInfo() = default;
  TNetEntityHeaderInfo(const TNetEntityHeaderInfo&) = delete;
  TNetEntityHeaderInfo& operator=(const TNetEntityHeaderInfo&) = delete;

  // Reads the fields from RawHeaders; headers that are absent give empty texts (see each field).
  virtual void ProcessHeaders();
  // Empties RawHeaders and writes the fields that are set, in the head's order, followed by the
  // lines of CustomHeaders.
  virtual void SetHeaders();
  // Resets the fields and empties RawHeaders; CustomHeaders stay.
  virtual void Clear();

  TNetHeaderList& RawHeaders() { return FRawHeaders; }
  const TNetHeaderList& RawHeaders() const { return FRawHeaders; }
  // Lines the caller adds to a request head as they are.
  TNetHeaderList& CustomHeaders() { return FCustomHeaders; }

  String CacheControl;
  String Connection;
  String ContentVersion;
  String ContentDisposition;
  String ContentEncoding;
  String ContentLanguage;
  String ETag;
  String Pragma;
  String TransferEncoding;
  String ContentRangeUnits;

  // Sets the media type and takes a "charset" parameter out of it into CharSet. A "text/..."
  // type without one gets the charset "ISO-8859-1"; an empty value clears both.
  void SetContentType(const String& Value);
  const String& ContentType() const { return FContentType; }
  String CharSet;

  int64_t ContentLength = -1;  // bytes; -1 when unknown
  bool HasContentLength() const { return ContentLength >= 0; }
  int64_t ContentRangeStart = -1;
  int64_t ContentRangeEnd = -1;
  int64_t ContentRangeInstanceLength = -1;

  // Local times. Reading a reply head: a missing "Date" is now; a numeric "Expires" is now plus
  // that many seconds, a date in the right form that names no real moment is one second ago
  // (already expired); any unreadable date is 0.
  TDateTime Date = 0;
  TDateTime Expires = 0;
  TDateTime LastModified = 0;

  // "Now" for the dates that depend on it (a reply without "Date", a numeric "Expires").
  void SetClockForTesting(NetClock Clock) { FClock = std::move(Clock); }

protected:
  TDateTime Now() const { return FClock(); }
  // The entity lines of a head, without CustomHeaders.
  void WriteEntityHeaders();

private:
  TNetHeaderList FRawHeaders{kRawHeadersFoldLength};
  TNetHeaderList FCustomHeaders{kRawHeadersFoldLength};
  String FContentType;
  NetClock FClock;
};

// One byte range of a "Range" request header; each number is -1 when not set.
struct TNetEntityRange {
  int64_t StartPos = -1;
  int64_t EndPos = -1;
  int64_t SuffixLength = -1;
  // "start-end", "start-" or "-suffix"; empty when the range says nothing.
  String Text() const;
};

// The ranges of a request and their unit ("bytes").
struct TNetEntityRanges {
  String Units = u"bytes";
  std::vector<TNetEntityRange> Items;
  // Units "=" and the ranges joined by ","; empty when there is no range.
  String Text() const;
};

// The source of an "Authorization" value: a scheme's text for the current request.
class NetAuthentication {
public:
  virtual ~NetAuthentication() = default;
  // The header value ("Basic dXNlcjpwdw=="); empty when there is nothing to send.
  virtual String Authentication() const = 0;
};

// The Basic scheme: "Basic " and the Base64 form of "user:password" in UTF-8.
class NetBasicAuthentication : public NetAuthentication {
public:
  NetBasicAuthentication(String AUsername, String APassword)
      : FUsername(std::move(AUsername)), FPassword(std::move(APassword)) {}
  String Authentication() const override;

private:
  String FUsername;
  String FPassword;
};

// Base64 of bytes, with "=" padding.
String Base64Encode(std::string_view Bytes);

class TNetRequestHeaderInfo : public TNetEntityHeaderInfo {
public:
  TNetRequestHeaderInfo();

  void ProcessHeaders() override;
  // Entity lines, then CustomHeaders, then the request lines in this order: Proxy-Connection,
  // Host, Accept, Accept-Charset, Accept-Encoding, Accept-Language, From, Referer, User-Agent,
  // Range, If-Modified-Since (from LastModified), Authorization, X-HTTP-Method-Override.
  void SetHeaders() override;
  void Clear() override;

  String Accept;
  String AcceptCharSet;
  String AcceptEncoding;
  String AcceptLanguage;
  String From;
  String Referer;
  String UserAgent;
  String Host;
  String ProxyConnection;
  String Username;
  String Password;
  String MethodOverride;
  TNetEntityRanges Ranges;
  bool BasicAuthentication = false;
  // The request's authentication object, owned; none until a scheme is chosen.
  std::unique_ptr<NetAuthentication> Authentication;
};

class TNetResponseHeaderInfo : public TNetEntityHeaderInfo {
public:
  TNetResponseHeaderInfo();

  void ProcessHeaders() override;
  void SetHeaders() override;
  // As the entity's Clear, then ContentType "text/html" with CharSet "ISO-8859-1" until a reply
  // head says otherwise.
  void Clear() override;

  String Location;
  String Server;
  String ProxyConnection;
  String AcceptRanges;
  TStringList WWWAuthenticate;    // every "WWW-Authenticate" value, in order
  TStringList ProxyAuthenticate;  // every "Proxy-Authenticate" value, in order
};

// The proxy a client goes through (none while ProxyServer is empty) and the credentials it
// presents to it.
class TNetProxyConnectionInfo {
public:
  String ProxyServer;
  int ProxyPort = 0;
  String ProxyUsername;
  String ProxyPassword;
  bool BasicAuthentication = false;
  // The proxy's authentication object, owned; none until a scheme is chosen.
  std::unique_ptr<NetAuthentication> Authentication;

  // Appends "Proxy-Authorization" to AHeaders: the text of the authentication object, or of a
  // Basic object made from ProxyUsername and ProxyPassword when BasicAuthentication is set;
  // nothing when that text is empty.
  void SetHeaders(TNetHeaderList& AHeaders);
  // Back to no proxy and no credentials.
  void Clear();
};

}  // namespace vlm
