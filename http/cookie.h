// http/cookie.h -- one cookie as a server sets it and a client sends it back.
// Three generations share one class tree: the original cookie of "Set-Cookie" without a Version
// (version 0), the versioned "Set-Cookie" cookie (version 1), and the "Set-Cookie2" cookie with
// its port rules. Each decides its own defaults, whether it is acceptable for the URI that sent
// it, and whether it goes to a URI. Cookie texts come from servers and are untrusted; parsing
// never fails, it only yields fewer or emptier attributes.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "http/internet_date.h"
#include "http/net_uri.h"
#include "runtime/string.h"

namespace vlm {

// The attributes of one cookie text in order: the first is the cookie's name and value, a flag
// attribute has an empty value.
using CookieAttributes = std::vector<std::pair<String, String>>;

// Takes the first cookie off AText, which may hold several separated by commas, and returns it;
// AText keeps the rest with its leading blanks removed. A comma inside a quoted value or inside
// an "Expires" date does not separate. Returns an empty text when AText is empty.
String SplitNextCookie(String& AText);
// The same without changing the text: takes the cookie that starts at AFrom (after blanks) into
// ACookie and returns where the next one starts (the text's size when none is left). A value
// holding many cookies is split in one pass this way.
size_t SplitNextCookieAt(StringView AText, size_t AFrom, String& ACookie);

// Splits one cookie text ("name=value; Path=/; Secure") into its attributes. Names lose their
// surrounding blanks; values are trimmed, or unquoted when written in double quotes.
CookieAttributes ParseCookieAttributes(const String& AText);

// Whether AHost is an IP address (a dotted quad of numbers 0..255, or an IPv6 address).
bool IsIPAddress(StringView AHost);

// The version 0 dot test: whether a cookie's domain is narrow enough to accept.
// - A domain equal to the requesting host (a leading "." aside) always passes, so that a host
//   always gets back the cookies it set, "localhost" and bare addresses included. Such a domain
//   reaches that host and the hosts below it, never a whole top-level domain.
// - For a host that is an IP address nothing else passes (an address has no parent domains).
// - Any other domain needs at least two dots when its last label is COM, EDU, NET, ORG, GOV, MIL
//   or INT, and three otherwise, counted as if it were written with a leading "."
//   (".example.com" and "example.com" both hold two). Giving a domain its leading "." therefore
//   never changes the outcome.
bool PassesCookieDotTest(const String& ADomain, const String& AHost);

// Whether AHost lies in ADomain for accepting a versioned cookie: an IP address must equal the
// domain; a host name matches a ".domain" it ends with (the domain being longer than its dot and
// no IP address, and shorter than the host), or equals the domain without its leading "."; a
// domain without a leading "." matches only an equal host.
bool CookieDomainMatches(const String& AHost, const String& ADomain);

// Whether a cookie of ADomain goes to AHost: the host equals the domain (or the domain without
// its leading "."), or ends with the domain written with a leading ".".
bool CookieHostTailMatches(const String& AHost, const String& ADomain);

// A URI's port as a number: 80 when empty or not a number.
int CookiePortOf(const TNetURI& AURI);

// Whether AText holds a control character (a code unit below 0x20 other than a tab, or 0x7F).
// A cookie part that holds one could break the "Cookie" line it is sent back in.
bool HoldsControlCharacter(StringView AText);

// The version 0 cookie: name, value, domain, path, expiry, and the Secure and HttpOnly flags.
class TNetNetscapeCookie {
public:
  virtual ~TNetNetscapeCookie() = default;

  String CookieName;
  String Value;
  String Domain;
  String Path;
  TDateTime Expires = 0;  // local time; 0 = lasts until the store goes
  bool Secure = false;
  bool HttpOnly = false;
  TDateTime Received = 0;  // local time the cookie was accepted (its Max-Age counts from here)

  // Whether the cookie goes with a request for AURI: it has a value, AURI's host matches its
  // domain, AURI's path starts with its path (letter case aside), and it is not Secure unless
  // ASecureOnly (a secure request) is set.
  virtual bool IsAllowed(const TNetURI& AURI, bool ASecureOnly) const;
  // Whether a cookie received from AURI must be dropped (after ResolveDefaults): its domain
  // fails the dot test, or AURI's host is outside it (a server sets cookies for itself and the
  // domains above it, never for other hosts).
  virtual bool IsRejected(const TNetURI& AURI) const;
  // Whether the cookie's domain covers AHost for sending.
  virtual bool MatchesHost(const String& AHost) const;
  // Fills what the server left out from AURI.
  virtual void ResolveDefaults(const TNetURI& AURI);
  // The moment the cookie stops; 0 when it lasts until the store goes.
  virtual TDateTime GetExpires() const { return Expires; }
  // The text sent back in a "Cookie" line.
  virtual String ClientCookie() const;
  // The cookie as a server would set it ("name=value; expires=...; path=/; domain=...").
  virtual String CookieText() const;
  // Loads the attributes parsed from the server's text; ANow is the local time of receipt.
  virtual void LoadProperties(const CookieAttributes& AAttributes, TDateTime ANow);

  // Whether the cookie has expired at ANow (an expiry at ANow counts as expired).
  bool IsExpired(TDateTime ANow) const;
};

// The "Set-Cookie" cookie with its Version, Max-Age and Comment.
class TNetCookieRFC2109 : public TNetNetscapeCookie {
public:
  int64_t MaxAge = -1;  // seconds; -1 = none
  int Version = 0;
  String Comment;

  bool IsRejected(const TNetURI& AURI) const override;
  void ResolveDefaults(const TNetURI& AURI) override;
  // For a versioned cookie with a Max-Age, the receipt time plus Max-Age; else Expires.
  TDateTime GetExpires() const override;
  String ClientCookie() const override;
  String CookieText() const override;
  void LoadProperties(const CookieAttributes& AAttributes, TDateTime ANow) override;
};

// The "Set-Cookie2" cookie: comment URL, Discard, and the ports it applies to.
class TNetCookieRFC2965 : public TNetCookieRFC2109 {
public:
  TNetCookieRFC2965() { Version = 1; }

  String CommentURL;
  bool Discard = false;
  std::vector<uint16_t> PortList;
  int ReceivedPort = 80;  // the port of the URI the cookie came from
  bool HasPort = false;   // a Port attribute was given

  // As the base, plus the port check.
  bool IsAllowed(const TNetURI& AURI, bool ASecureOnly) const override;
  bool IsRejected(const TNetURI& AURI) const override;
  // Compares with the effective host (a host name without "." gets ".local").
  bool MatchesHost(const String& AHost) const override;
  void ResolveDefaults(const TNetURI& AURI) override;
  String ClientCookie() const override;
  void LoadProperties(const CookieAttributes& AAttributes, TDateTime ANow) override;

  // The port rule: no Port attribute: any port; Port without a list: only the receiving port;
  // with a list: only the ports in it.
  bool PortAllowed(int APort) const;
  // AHost with ".local" appended when it holds no ".".
  static String EffectiveHost(const String& AHost);
};

}  // namespace vlm
