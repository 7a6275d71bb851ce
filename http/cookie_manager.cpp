// http/cookie_manager.cpp -- storing server cookies and writing the request's cookie lines.
#include "http/cookie_manager.h"

#include <iterator>
#include <mutex>

#include "runtime/upper_case.h"

namespace vlm {

namespace {

// Splits every value of header AName into single cookie texts.
void CollectCookies(const TNetHeaderList& AHeaders, const String& AName,
                    std::vector<String>& AOut) {
  TStringList Values;
  AHeaders.Extract(AName, Values);
  for (int I = 0; I < Values.Count(); ++I) {
    const String& Value = Values.Strings(I);
    String One;
    for (size_t At = 0; At < Value.size();) {
      At = SplitNextCookieAt(Value, At, One);
      if (!One.empty()) AOut.push_back(std::move(One));
    }
  }
}

String CookieNameOf(const String& AText) {
  return TrimBlanks(StringView(AText).substr(0, AText.find(u'=')));
}

}  // namespace

TNetCookieManager::TNetCookieManager() : FClock(NetLocalNow) {}

void TNetCookieManager::LockCookieList(TNetCookieAccess AAccess) const {
  if (AAccess == TNetCookieAccess::caRead) {
    FLock.lock_shared();
  } else {
    FLock.lock();
  }
}

void TNetCookieManager::UnlockCookieList(TNetCookieAccess AAccess) const {
  if (AAccess == TNetCookieAccess::caRead) {
    FLock.unlock_shared();
  } else {
    FLock.unlock();
  }
}

void TNetCookieManager::AddCookie(std::unique_ptr<TNetCookieRFC2109> ACookie, const String& AText,
                                  const TNetURI& AURI) {
  ACookie->LoadProperties(ParseCookieAttributes(AText), FClock());
  ACookie->ResolveDefaults(AURI);
  if (ACookie->IsRejected(AURI)) return;
  // The name and value go back in a request line: one that carries a line break, a NUL or another
  // control character is refused whole, and so is one too long to be worth keeping.
  if (HoldsControlCharacter(ACookie->CookieName) || HoldsControlCharacter(ACookie->Value)) return;
  if (ACookie->CookieName.size() + ACookie->Value.size() > kNetMaxCookieSize) return;
  bool Accept = true;
  if (OnNewCookie) OnNewCookie(*this, *ACookie, Accept);
  if (!Accept) return;

  String NameKey = UpperCase(ACookie->CookieName);
  String HostKey = UpperCase(AURI.Host());
  std::unique_lock<std::shared_mutex> Guard(FLock);
  THeldList::iterator At;
  if (const auto Found = FByName.find(NameKey); Found != FByName.end()) {
    // Replaced in its place, whatever its domain and path; as the newest of its sender's host.
    At = Found->second;
    LeaveHost(At);
    At->Cookie = std::move(ACookie);
  } else {
    At = FCookies.insert(FCookies.end(), THeld{std::move(ACookie), NameKey, String(), {}});
    FByName.emplace(std::move(NameKey), At);
  }
  At->HostKey = HostKey;
  TAgeList& Ages = FByHost[HostKey];
  At->Age = Ages.insert(Ages.end(), At);
  while (Ages.size() > kNetMaxCookiesPerHost) Forget(Ages.front());
}

void TNetCookieManager::LeaveHost(THeldList::iterator AAt) {
  const auto Host = FByHost.find(AAt->HostKey);
  Host->second.erase(AAt->Age);
  if (Host->second.empty()) FByHost.erase(Host);
}

void TNetCookieManager::Forget(THeldList::iterator AAt) {
  LeaveHost(AAt);
  FByName.erase(AAt->NameKey);
  FCookies.erase(AAt);
}

void TNetCookieManager::AddServerCookie(const String& ACookie, const TNetURI& AURI) {
  AddCookie(std::make_unique<TNetCookieRFC2109>(), ACookie, AURI);
}

void TNetCookieManager::AddServerCookie2(const String& ACookie, const TNetURI& AURI) {
  AddCookie(std::make_unique<TNetCookieRFC2965>(), ACookie, AURI);
}

void TNetCookieManager::CaptureCookies(const TNetHeaderList& AResponseHeaders,
                                       const TNetHeaderList* AMetaHeaders, const TNetURI& AURI) {
  std::vector<String> Plain, Versioned;
  CollectCookies(AResponseHeaders, u"Set-Cookie", Plain);
  CollectCookies(AResponseHeaders, u"Set-Cookie2", Versioned);
  if (AMetaHeaders) {
    CollectCookies(*AMetaHeaders, u"Set-Cookie", Plain);
    CollectCookies(*AMetaHeaders, u"Set-Cookie2", Versioned);
  }
  // Each "Set-Cookie2" cookie removes the first "Set-Cookie" cookie of its name still there: so
  // for every name, as many of the first "Set-Cookie" cookies go as there are "Set-Cookie2" ones.
  std::unordered_map<String, size_t> Overridden;
  for (const String& Text : Versioned) ++Overridden[UpperCase(CookieNameOf(Text))];
  for (const String& Text : Plain) {
    if (!Overridden.empty()) {
      const auto Found = Overridden.find(UpperCase(CookieNameOf(Text)));
      if (Found != Overridden.end() && Found->second > 0) {
        --Found->second;
        continue;
      }
    }
    AddServerCookie(Text, AURI);
  }
  for (const String& Text : Versioned) AddServerCookie2(Text, AURI);
}

void TNetCookieManager::RemoveExpired() {
  const TDateTime Now = FClock();
  std::unique_lock<std::shared_mutex> Guard(FLock);
  for (auto At = FCookies.begin(); At != FCookies.end();) {
    const auto Next = std::next(At);
    if (At->Cookie->IsExpired(Now)) Forget(At);
    At = Next;
  }
}

void TNetCookieManager::GenerateClientCookies(const TNetURI& AURI, bool ASecureOnly,
                                              TNetHeaderList& AHeaders) {
  RemoveExpired();
  std::vector<std::pair<String, String>> Lines;
  bool AnyVersioned = false;
  {
    std::shared_lock<std::shared_mutex> Guard(FLock);
    for (const THeld& Held : FCookies) {
      const TNetCookieRFC2109* C = Held.Cookie.get();
      if (!C->IsAllowed(AURI, ASecureOnly)) continue;
      const bool FromCookie2 = dynamic_cast<const TNetCookieRFC2965*>(C) != nullptr;
      AnyVersioned = AnyVersioned || FromCookie2;
      Lines.emplace_back(FromCookie2 ? u"Cookie2" : u"Cookie", C->ClientCookie());
    }
  }
  for (const auto& [Name, Value] : Lines) AHeaders.AddValue(Name, Value);
  if (!Lines.empty() && !AnyVersioned) AHeaders.AddValue(u"Cookie2", u"$Version=\"1\"");
}

int TNetCookieManager::CookieCount() const {
  std::shared_lock<std::shared_mutex> Guard(FLock);
  return static_cast<int>(FCookies.size());
}

const TNetCookieRFC2109* TNetCookieManager::Cookie(int AIndex) const {
  std::shared_lock<std::shared_mutex> Guard(FLock);
  if (AIndex < 0 || AIndex >= static_cast<int>(FCookies.size())) return nullptr;
  return std::next(FCookies.begin(), AIndex)->Cookie.get();
}

}  // namespace vlm
