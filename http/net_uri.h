// http/net_uri.h -- splits a URL into its parts and joins parts back into a URL.
// The HTTP client resolves every request URL through these rules: they decide the host and port
// a request goes to and the request target it sends. Nothing here percent-encodes or decodes:
// path, document and params travel exactly as they were written.
#pragma once

#include "http/net_ip_version.h"
#include "runtime/string.h"

namespace vlm {

// The optional parts of a join, combined with "|".
enum TNetURIOptionalField : unsigned {
  ofAuthInfo = 1,  // user name and password
  ofBookmark = 2,  // the "#" part
};
using TNetURIOptionalFields = unsigned;  // a set of TNetURIOptionalField bits

class TNetURI {
public:
  // An empty URI; a non-empty AURI is split as if assigned with SetURI.
  explicit TNetURI(const String& AURI = String());

  // Split: stores AURI (after the backslash normalization) and replaces every other field with
  // its parts. Never fails: any text splits into some set of parts.
  void SetURI(const String& AURI);
  // Join with no optional fields; also stores the join with user info and bookmark as the URI's
  // text. Raises ENetURIException when the protocol or the host is empty.
  String URI();
  // Join: protocol "://" [user[:password]@] host [":" port] path document ["?" params]
  // ["#" bookmark]. The port is left out when it equals the protocol's default as text ("80" for
  // HTTP, "443" for HTTPS, "21" for FTP; "080" is not "80"). An IPv6 host is written without
  // brackets, as stored. Raises ENetURIException "Protocol field is empty" or "Host field is
  // empty".
  String GetFullURI(TNetURIOptionalFields AOptionalFields = ofAuthInfo | ofBookmark) const;
  // Path, document, and "?" plus params when params is non-empty: the request target.
  String GetPathAndParams() const;

  // Replaces backslashes by "/" in the part of APath that follows the scheme's ":" (and the two
  // slashes after it, when present) and precedes the first "?" or "#". Backslashes in the query
  // and the bookmark stay.
  static void NormalizePath(String& APath);

  const String& Protocol() const { return FProtocol; }
  void SetProtocol(const String& Value) { FProtocol = Value; }
  const String& Username() const { return FUserName; }
  void SetUsername(const String& Value) { FUserName = Value; }
  const String& Password() const { return FPassword; }
  void SetPassword(const String& Value) { FPassword = Value; }
  const String& Host() const { return FHost; }
  void SetHost(const String& Value) { FHost = Value; }
  const String& Port() const { return FPort; }
  void SetPort(const String& Value) { FPort = Value; }
  const String& Path() const { return Fpath; }
  void SetPath(const String& Value) { Fpath = Value; }
  const String& Document() const { return FDocument; }
  void SetDocument(const String& Value) { FDocument = Value; }
  const String& Params() const { return FParams; }
  void SetParams(const String& Value) { FParams = Value; }
  const String& Bookmark() const { return FBookmark; }
  void SetBookmark(const String& Value) { FBookmark = Value; }
  TNetIPVersion IPVersion() const { return FIPVersion; }
  void SetIPVersion(TNetIPVersion Value) { FIPVersion = Value; }

private:
  String FURI;  // the whole URL as last set or joined
  String FProtocol;
  String FUserName;
  String FPassword;
  String FHost;  // an IPv6 address without its brackets
  String FPort;  // text; empty when the URL gives none
  String Fpath;
  String FDocument;
  String FParams;
  String FBookmark;
  TNetIPVersion FIPVersion = TNetIPVersion::Net_IPv4;
};

// Resolves APath against ABasePath, both made of segments separated by ADelim:
// - an APath that begins with ADelim replaces the base;
// - otherwise APath is appended to ABasePath (with one ADelim between them), runs of ADelim
//   collapse to one, and each ".." segment removes the segment before it (never the leading
//   ADelim); "." segments stay as written;
// - the result ends with ADelim only when APath was empty or ended with ADelim (or the result is
//   ADelim alone).
// The client calls it with "/" to merge a request path into the path of the previous request.
String MergeUrlPath(const String& ABasePath, const String& APath, char16_t ADelim = u'/');

}  // namespace vlm
