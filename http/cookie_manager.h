// http/cookie_manager.h -- the HTTP client's cookie store for one run.
// Holds the cookies that servers set, in arrival order, keyed by name (letter case aside), and
// writes the matching ones into each request head. Nothing is written to disk. A lock guards the
// store so that lookups and changes from different threads never see it half changed.
#pragma once

#include <functional>
#include <memory>
#include <shared_mutex>
#include <vector>

#include "http/cookie.h"
#include "http/header_list.h"
#include "http/internet_date.h"
#include "http/net_uri.h"

namespace vlm {

enum class TNetCookieAccess { caRead, caReadWrite };

class TNetCookieManager {
public:
  TNetCookieManager();
  TNetCookieManager(const TNetCookieManager&) = delete;
  TNetCookieManager& operator=(const TNetCookieManager&) = delete;

  // Accepts one "Set-Cookie" cookie text received from AURI: parses it, fills its defaults, drops
  // it when its rules reject it, asks OnNewCookie, and stores it in place of a cookie with the
  // same name (whatever its domain and path) or at the end.
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
  void AddCookie(std::unique_ptr<TNetCookieRFC2109> ACookie, const String& AText,
                 const TNetURI& AURI);
  void RemoveExpired();

  std::vector<std::unique_ptr<TNetCookieRFC2109>> FCookies;  // owned, in arrival order
  mutable std::shared_mutex FLock;
  NetClock FClock;
};

}  // namespace vlm
