// http/cookie_manager.cpp -- storing server cookies and writing the request's cookie lines.
#include "http/cookie_manager.h"

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
    String Rest = Values.Strings(I);
    while (!Rest.empty()) {
      String One = SplitNextCookie(Rest);
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
  // control character is refused whole.
  if (HoldsControlCharacter(ACookie->CookieName) || HoldsControlCharacter(ACookie->Value)) return;
  bool Accept = true;
  if (OnNewCookie) OnNewCookie(*this, *ACookie, Accept);
  if (!Accept) return;

  std::unique_lock<std::shared_mutex> Guard(FLock);
  for (auto& Held : FCookies) {
    if (SameText(Held->CookieName, ACookie->CookieName)) {
      Held = std::move(ACookie);  // replaced in its place, whatever its domain and path
      return;
    }
  }
  FCookies.push_back(std::move(ACookie));
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
  for (const String& Text : Versioned) {
    const String Name = CookieNameOf(Text);
    for (auto It = Plain.begin(); It != Plain.end(); ++It) {
      if (SameText(CookieNameOf(*It), Name)) {
        Plain.erase(It);
        break;
      }
    }
  }
  for (const String& Text : Plain) AddServerCookie(Text, AURI);
  for (const String& Text : Versioned) AddServerCookie2(Text, AURI);
}

void TNetCookieManager::RemoveExpired() {
  const TDateTime Now = FClock();
  std::unique_lock<std::shared_mutex> Guard(FLock);
  std::erase_if(FCookies, [Now](const auto& C) { return C->IsExpired(Now); });
}

void TNetCookieManager::GenerateClientCookies(const TNetURI& AURI, bool ASecureOnly,
                                              TNetHeaderList& AHeaders) {
  RemoveExpired();
  std::vector<std::pair<String, String>> Lines;
  bool AnyVersioned = false;
  {
    std::shared_lock<std::shared_mutex> Guard(FLock);
    for (const auto& C : FCookies) {
      if (!C->IsAllowed(AURI, ASecureOnly)) continue;
      const bool FromCookie2 = dynamic_cast<const TNetCookieRFC2965*>(C.get()) != nullptr;
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
  return FCookies[AIndex].get();
}

}  // namespace vlm
