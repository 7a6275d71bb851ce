// http/cookie_manager.h -- the HTTP client's cookie store for one run.
// Holds the cookies that servers set, in arrival order, keyed by name (letter case aside), and
// writes the matching ones into each request head. Nothing is written to disk. A lock guards the
// store so that lookups and changes from different threads never see it half changed.
// The store is bounded: a cookie's name and value together hold at most kNetMaxCookieSize
// characters, and each host keeps at most kNetMaxCookiesPerHost cookies, its oldest going first.
// Adding, replacing and evicting cost constant time (hashed lookups and linked lists), so a reply
// with thousands of cookies cannot make the client slow.
#pragma once

#include <cstddef>
#include <functional>
#include <list>
#include <memory>
#include <shared_mutex>
#include <unordered_map>
#include <vector>

#include "http/cookie.h"
#include "http/header_list.h"
#include "http/internet_date.h"
#include "http/net_uri.h"

namespace vlm {

enum class TNetCookieAccess { caRead, caReadWrite };

// The most cookies the store keeps for one host (the host of the URI a cookie came from); a
// further one evicts that host's oldest (the one set longest ago).
inline constexpr size_t kNetMaxCookiesPerHost = 50;
// The longest name plus value a cookie may have, in characters (one byte each on the wire);
// a longer cookie is refused.
inline constexpr size_t kNetMaxCookieSize = 4096;

class TNetCookieManager {
public:
  TNetCookieManager();
  TNetCookieManager(const TNetCookieManager&) = delete;
  TNetCookieManager& operator=(const TNetCookieManager&) = delete;

  // Accepts one "Set-Cookie" cookie text received from AURI: parses it, fills its defaults, drops
  // it when its rules reject it (or when its name or value holds a control character, or they are
  // longer than kNetMaxCookieSize together), asks OnNewCookie, and stores it in place of a cookie
  // with the same name (whatever its domain and path) or at the end; then evicts the oldest
  // cookies of AURI's host beyond kNetMaxCookiesPerHost.
  void AddServerCookie(const String& ACookie, const TNetURI& AURI);
  // The same for one "Set-Cookie2" cookie; it applies to AURI's port (80 when none is given).
  void AddServerCookie2(const String& ACookie, const TNetURI& AURI);

  // Collects the "Set-Cookie" and "Set-Cookie2" values of a reply head (and of the page's
  // http-equiv lines, when given), splits them into single cookies and stores them. A
  // "Set-Cookie2" cookie wins over a "Set-Cookie" cookie of the same name in the same reply.
  void CaptureCookies(const TNetHeaderList& AResponseHeaders, const TNetHeaderList* AMetaHeaders,
                      const TNetURI& AURI);

  // Removes expired cookies, then appends to AHeaders one "Cookie" line (or "Cookie2" for a
  // "Set-Cookie2" cookie) per cookie that applies to AURI, in store order; when any were sent and
  // none came from "Set-Cookie2", a last line Cookie2: $Version="1" says the client knows the
  // versioned form. ASecureOnly: the request is secure, so Secure cookies may go too.
  void GenerateClientCookies(const TNetURI& AURI, bool ASecureOnly, TNetHeaderList& AHeaders);

  // May refuse a cookie that passed the checks by setting AAccept to false.
  std::function<void(TNetCookieManager& ASender, const TNetCookieRFC2109& ACookie, bool& AAccept)>
      OnNewCookie;

  // The number of cookies held, and cookie AIndex in store order (for inspection; the pointer
  // stays valid until the store next changes).
  int CookieCount() const;
  const TNetCookieRFC2109* Cookie(int AIndex) const;

  // Replaces the source of "now" (local time) used for expiry.
  void SetClockForTesting(NetClock AClock) { FClock = std::move(AClock); }

  // Takes the store's lock: caRead shares it with other readers, caReadWrite holds it alone.
  void LockCookieList(TNetCookieAccess AAccess) const;
  void UnlockCookieList(TNetCookieAccess AAccess) const;

private:
  struct THeld;
  using THeldList = std::list<THeld>;
  using TAgeList = std::list<THeldList::iterator>;  // one host's cookies, oldest first
  struct THeld {
    std::unique_ptr<TNetCookieRFC2109> Cookie;
    String NameKey;  // the name upper-cased
    String HostKey;  // the host it came from, upper-cased
    TAgeList::iterator Age;
  };

  void AddCookie(std::unique_ptr<TNetCookieRFC2109> ACookie, const String& AText,
                 const TNetURI& AURI);
  void RemoveExpired();
  // Takes AAt out of its host's age list (the caller holds the write lock).
  void LeaveHost(THeldList::iterator AAt);
  // Removes AAt from the store (the caller holds the write lock).
  void Forget(THeldList::iterator AAt);

  THeldList FCookies;  // owned, in arrival order
  std::unordered_map<String, THeldList::iterator> FByName;
  std::unordered_map<String, TAgeList> FByHost;
  mutable std::shared_mutex FLock;
  NetClock FClock;
};

}  // namespace vlm
