// http/cookie.cpp -- cookie texts, the cookie classes' rules, and domain matching.
#include "http/cookie.h"

#include <algorithm>

#include "http/header_list.h"
#include "runtime/upper_case.h"

namespace vlm {

namespace {

constexpr size_t npos = String::npos;

bool IsBlank(char16_t C) {
  return C == u' ' || C == u'\t';
}
bool IsDigit(char16_t C) {
  return C >= u'0' && C <= u'9';
}

size_t SkipBlanks(StringView Text, size_t At) {
  while (At < Text.size() && IsBlank(Text[At])) ++At;
  return At;
}

size_t FindFirstOf(StringView Text, StringView Set, size_t From) {
  return From >= Text.size() ? npos : Text.find_first_of(Set, From);
}

bool StartsWithText(StringView Text, StringView Prefix) {
  return Text.size() >= Prefix.size() && SameText(Text.substr(0, Prefix.size()), Prefix);
}

bool EndsWithText(StringView Text, StringView Suffix) {
  return Text.size() >= Suffix.size() && SameText(Text.substr(Text.size() - Suffix.size()), Suffix);
}

// A decimal integer with an optional sign that fits 64 bits; false for anything else.
bool ReadInteger(StringView Text, int64_t& Value) {
  const String T = TrimBlanks(Text);
  size_t I = 0;
  bool Negative = false;
  if (I < T.size() && (T[I] == u'-' || T[I] == u'+')) Negative = T[I++] == u'-';
  if (I >= T.size()) return false;
  int64_t N = 0;
  for (; I < T.size(); ++I) {
    if (!IsDigit(T[I])) return false;
    const int Digit = T[I] - u'0';
    if (N > (INT64_MAX - Digit) / 10) return false;
    N = N * 10 + Digit;
  }
  Value = Negative ? -N : N;
  return true;
}

String DecimalText(int64_t Value) {
  const std::string Ascii = std::to_string(Value);
  return String(Ascii.begin(), Ascii.end());
}

String Quoted(const String& Text) {
  return u"\"" + Text + u"\"";
}

const String* FindAttribute(const CookieAttributes& A, StringView Name) {
  // The first attribute is the cookie itself; a cookie named "Path" is not a path.
  for (size_t I = 1; I < A.size(); ++I) {
    if (SameText(A[I].first, Name)) return &A[I].second;
  }
  return nullptr;
}

String WithoutLeadingDot(const String& Domain) {
  return !Domain.empty() && Domain.front() == u'.' ? Domain.substr(1) : Domain;
}

}  // namespace

// ---- texts ----

size_t SplitNextCookieAt(StringView S, size_t AFrom, String& ACookie) {
  const size_t Begin = SkipBlanks(S, AFrom);
  size_t Attr = Begin;  // start of the attribute being scanned
  size_t End = npos;    // the separator that ends the cookie; npos: the rest is one cookie
  while (Attr < S.size()) {
    const size_t Sep = FindFirstOf(S, u"=;,", Attr);
    if (Sep == npos) break;
    if (S[Sep] == u',') {
      End = Sep;
      break;
    }
    if (S[Sep] == u';') {
      Attr = SkipBlanks(S, Sep + 1);
      continue;
    }
    // After "=": a quoted value, or a plain one up to ";" or ",".
    const String Name = TrimBlanks(S.substr(Attr, Sep - Attr));
    size_t Next = FindFirstOf(S, u"\";,", Sep + 1);
    if (Next != npos && S[Next] == u'"') {
      const size_t Close = S.find(u'"', Next + 1);
      if (Close == npos) break;  // an open quote swallows the rest
      Next = FindFirstOf(S, u";,", Close + 1);
    } else if (Next != npos && S[Next] == u',' && SameText(Name, u"Expires")) {
      // "Expires=Wed, 09 Jun 2021 ...": this comma belongs to the date.
      Next = FindFirstOf(S, u";,", Next + 1);
    }
    if (Next == npos) break;
    if (S[Next] == u',') {
      End = Next;
      break;
    }
    Attr = SkipBlanks(S, Next + 1);
  }

  ACookie.assign(S.substr(Begin, End == npos ? npos : End - Begin));
  while (!ACookie.empty() && IsBlank(ACookie.back())) ACookie.pop_back();
  return End == npos ? S.size() : SkipBlanks(S, End + 1);
}

String SplitNextCookie(String& AText) {
  String Cookie;
  const size_t Next = SplitNextCookieAt(AText, 0, Cookie);
  AText.erase(0, Next);
  return Cookie;
}

CookieAttributes ParseCookieAttributes(const String& AText) {
  CookieAttributes Result;
  const StringView S(AText);
  size_t At = 0;
  while (At < S.size()) {
    const size_t Sep = FindFirstOf(S, u"=;", At);
    if (Sep == npos || S[Sep] == u';') {
      // A flag: its presence is all it says.
      const size_t Stop = Sep == npos ? S.size() : Sep;
      String Name = TrimBlanks(S.substr(At, Stop - At));
      if (!Name.empty() || Result.empty()) Result.emplace_back(std::move(Name), String());
      At = Stop + 1;
      continue;
    }
    String Name = TrimBlanks(S.substr(At, Sep - At));
    String Value;
    const size_t ValueStart = SkipBlanks(S, Sep + 1);
    size_t Stop;
    if (ValueStart < S.size() && S[ValueStart] == u'"') {
      const size_t Close = S.find(u'"', ValueStart + 1);
      if (Close == npos) {
        // No closing quote: the value runs to the next ";" without its opening quote.
        Stop = S.find(u';', ValueStart);
        if (Stop == npos) Stop = S.size();
        Value = TrimBlanks(S.substr(ValueStart + 1, Stop - ValueStart - 1));
      } else {
        Value = String(S.substr(ValueStart + 1, Close - ValueStart - 1));
        Stop = S.find(u';', Close + 1);  // what follows the closing quote is dropped
        if (Stop == npos) Stop = S.size();
      }
    } else {
      Stop = S.find(u';', Sep + 1);
      if (Stop == npos) Stop = S.size();
      Value = TrimBlanks(S.substr(Sep + 1, Stop - Sep - 1));
    }
    Result.emplace_back(std::move(Name), std::move(Value));
    At = Stop + 1;
  }
  return Result;
}

// ---- matching ----

bool IsIPAddress(StringView AHost) {
  if (AHost.find(u':') != StringView::npos) return true;
  int Parts = 0;
  size_t I = 0;
  while (I <= AHost.size()) {
    size_t Digits = 0;
    int Value = 0;
    while (I < AHost.size() && IsDigit(AHost[I]) && Digits < 4) {
      Value = Value * 10 + (AHost[I] - u'0');
      ++I;
      ++Digits;
    }
    if (Digits == 0 || Digits > 3 || Value > 255) return false;
    ++Parts;
    if (I == AHost.size()) return Parts == 4;
    if (AHost[I] != u'.') return false;
    ++I;
  }
  return false;
}

bool PassesCookieDotTest(const String& ADomain, const String& AHost) {
  const String Bare = WithoutLeadingDot(ADomain);
  if (Bare.empty()) return false;
  if (SameText(Bare, WithoutLeadingDot(AHost))) return true;
  // An address has no parent domains: ".0.0.1" must not reach every address ending in it.
  if (IsIPAddress(AHost)) return false;
  const auto Dots = std::count(Bare.begin(), Bare.end(), u'.') + 1;  // the leading "." counts
  const StringView LastLabel = StringView(Bare).substr(Bare.rfind(u'.') + 1);
  static constexpr const char16_t* kGenericDomains[] = {u"COM", u"EDU", u"NET", u"ORG",
                                                        u"GOV", u"MIL", u"INT"};
  int Required = 3;
  for (const char16_t* Generic : kGenericDomains) {
    if (SameText(LastLabel, Generic)) Required = 2;
  }
  return Dots >= Required;
}

bool CookieDomainMatches(const String& AHost, const String& ADomain) {
  if (ADomain.empty()) return false;
  if (IsIPAddress(AHost)) return SameText(AHost, ADomain);
  if (ADomain.front() != u'.') return SameText(AHost, ADomain);
  if (EndsWithText(AHost, ADomain)) {
    const String Bare = ADomain.substr(1);
    return !Bare.empty() && !IsIPAddress(Bare) && ADomain.size() < AHost.size();
  }
  return SameText(AHost, ADomain.substr(1));
}

bool CookieHostTailMatches(const String& AHost, const String& ADomain) {
  if (ADomain.empty() || AHost.empty()) return false;
  // A domain that the store gave a leading "." still belongs to the host that set it.
  if (SameText(AHost, ADomain) || SameText(AHost, WithoutLeadingDot(ADomain))) return true;
  const String Dotted = ADomain.front() == u'.' ? ADomain : u"." + ADomain;
  return AHost.size() > Dotted.size() && EndsWithText(AHost, Dotted);
}

bool HoldsControlCharacter(StringView AText) {
  for (char16_t C : AText)
    if ((C < 0x20 && C != u'\t') || C == 0x7F) return true;
  return false;
}

int CookiePortOf(const TNetURI& AURI) {
  int64_t Port = 0;
  if (!ReadInteger(AURI.Port(), Port) || Port < 0 || Port > 65535) return 80;
  return static_cast<int>(Port);
}

// ---- version 0 ----

bool TNetNetscapeCookie::IsExpired(TDateTime ANow) const {
  const TDateTime At = GetExpires();
  return At != 0 && At <= ANow;
}

bool TNetNetscapeCookie::IsAllowed(const TNetURI& AURI, bool ASecureOnly) const {
  if (Value.empty() || !MatchesHost(AURI.Host())) return false;
  if (!StartsWithText(AURI.Path(), Path)) return false;
  return !Secure || ASecureOnly;
}

bool TNetNetscapeCookie::MatchesHost(const String& AHost) const {
  return CookieHostTailMatches(AHost, Domain);
}

void TNetNetscapeCookie::ResolveDefaults(const TNetURI& AURI) {
  if (Domain.empty()) Domain = AURI.Host();
  if (!Domain.empty() && Domain.front() != u'.' && !PassesCookieDotTest(Domain, AURI.Host())) {
    Domain.insert(Domain.begin(), u'.');
  }
}

bool TNetNetscapeCookie::IsRejected(const TNetURI& AURI) const {
  if (!PassesCookieDotTest(Domain, AURI.Host())) return true;
  // A server may set cookies for itself and the domains above it, never for other hosts.
  return !CookieHostTailMatches(AURI.Host(), Domain);
}

String TNetNetscapeCookie::ClientCookie() const {
  return CookieName + u"=" + Value;
}

String TNetNetscapeCookie::CookieText() const {
  String Text = CookieName + u"=" + Value;
  if (Expires != 0) Text += u"; expires=" + LocalToInternetDate(Expires);
  if (!Path.empty()) Text += u"; path=" + Path;
  if (!Domain.empty()) Text += u"; domain=" + Domain;
  if (Secure) Text += u"; secure";
  if (HttpOnly) Text += u"; httponly";
  return Text;
}

void TNetNetscapeCookie::LoadProperties(const CookieAttributes& AAttributes, TDateTime ANow) {
  Received = ANow;
  if (!AAttributes.empty()) {
    CookieName = AAttributes.front().first;
    Value = AAttributes.front().second;
  }
  const String* P = FindAttribute(AAttributes, u"Path");
  Path = P && !P->empty() ? *P : String(u"/");

  Expires = 0;
  if (const String* E = FindAttribute(AAttributes, u"Expires")) {
    int64_t Seconds = 0;
    if (ReadInteger(*E, Seconds)) {
      if (Seconds >= 0) Expires = ANow + SecondsToDateTime(static_cast<double>(Seconds));
    } else {
      Expires = InternetDateToLocal(*E);  // 0 (no expiry) when unreadable
    }
  }
  if (const String* D = FindAttribute(AAttributes, u"Domain")) Domain = D->substr(0, D->find(u':'));
  Secure = FindAttribute(AAttributes, u"Secure") != nullptr;
  HttpOnly = FindAttribute(AAttributes, u"HttpOnly") != nullptr;
}

// ---- "Set-Cookie" with a version ----

void TNetCookieRFC2109::LoadProperties(const CookieAttributes& AAttributes, TDateTime ANow) {
  TNetNetscapeCookie::LoadProperties(AAttributes, ANow);
  int64_t Number = 0;
  const String* V = FindAttribute(AAttributes, u"Version");
  Version = V && ReadInteger(*V, Number) && Number >= 0 && Number <= 1000 ? int(Number) : 0;
  const String* M = FindAttribute(AAttributes, u"Max-Age");
  MaxAge = M && ReadInteger(*M, Number) ? Number : -1;
  const String* C = FindAttribute(AAttributes, u"Comment");
  Comment = C ? *C : String();
  if (Expires == 0 && MaxAge >= 0) Expires = ANow + SecondsToDateTime(static_cast<double>(MaxAge));
}

TDateTime TNetCookieRFC2109::GetExpires() const {
  // Max-Age counts from receipt; counting it from each check would never let the cookie go.
  if (Version >= 1 && MaxAge >= 0) return Received + SecondsToDateTime(static_cast<double>(MaxAge));
  return Expires;
}

void TNetCookieRFC2109::ResolveDefaults(const TNetURI& AURI) {
  if (Version >= 1 && Domain.empty()) Domain = u"." + AURI.Host();
  TNetNetscapeCookie::ResolveDefaults(AURI);
}

bool TNetCookieRFC2109::IsRejected(const TNetURI& AURI) const {
  if (Version == 0) return TNetNetscapeCookie::IsRejected(AURI);
  const String& Host = AURI.Host();
  if (!StartsWithText(AURI.Path(), Path)) return true;
  if (Domain.size() < 2 || Domain.front() != u'.' || Domain.find(u'.', 1) == npos) return true;
  if (!CookieDomainMatches(Host, Domain)) return true;
  if (!IsIPAddress(Host) && EndsWithText(Host, Domain)) {
    const StringView Before = StringView(Host).substr(0, Host.size() - Domain.size());
    if (Before.find(u'.') != StringView::npos) return true;
  }
  return false;
}

String TNetCookieRFC2109::ClientCookie() const {
  if (Version == 0) return TNetNetscapeCookie::ClientCookie();
  String Text =
      u"$Version=" + Quoted(DecimalText(Version)) + u"; " + CookieName + u"=" + Quoted(Value);
  if (!Path.empty()) Text += u"; $Path=" + Quoted(Path);
  if (!Domain.empty()) Text += u"; $Domain=" + Quoted(Domain);
  return Text;
}

String TNetCookieRFC2109::CookieText() const {
  String Text = TNetNetscapeCookie::CookieText();
  if (MaxAge >= 0) Text += u"; max-age=" + DecimalText(MaxAge);
  if (Version > 0) Text += u"; version=" + DecimalText(Version);
  if (!Comment.empty()) Text += u"; comment=" + Comment;
  return Text;
}

// ---- "Set-Cookie2" ----

String TNetCookieRFC2965::EffectiveHost(const String& AHost) {
  return AHost.find(u'.') == npos ? AHost + u".local" : AHost;
}

bool TNetCookieRFC2965::PortAllowed(int APort) const {
  if (!HasPort) return true;
  if (PortList.empty()) return APort == ReceivedPort;
  return std::find(PortList.begin(), PortList.end(), APort) != PortList.end();
}

void TNetCookieRFC2965::LoadProperties(const CookieAttributes& AAttributes, TDateTime ANow) {
  TNetCookieRFC2109::LoadProperties(AAttributes, ANow);
  Version = std::max(Version, 1);
  const String* U = FindAttribute(AAttributes, u"CommentURL");
  CommentURL = U ? *U : String();
  Discard = FindAttribute(AAttributes, u"Discard") != nullptr;
  PortList.clear();
  const String* P = FindAttribute(AAttributes, u"Port");
  HasPort = P != nullptr;
  if (P) {
    size_t At = 0;
    while (At <= P->size()) {
      const size_t Comma = P->find(u',', At);
      const size_t Stop = Comma == npos ? P->size() : Comma;
      int64_t Port = 0;
      // Entries that are no port number are left out rather than widening the list.
      if (ReadInteger(StringView(*P).substr(At, Stop - At), Port) && Port > 0 && Port <= 65535) {
        PortList.push_back(static_cast<uint16_t>(Port));
      }
      if (Comma == npos) break;
      At = Comma + 1;
    }
  }
}

void TNetCookieRFC2965::ResolveDefaults(const TNetURI& AURI) {
  ReceivedPort = CookiePortOf(AURI);
  if (Domain.empty()) {
    Domain = u".";
    Domain += EffectiveHost(AURI.Host());
  } else if (Domain.front() != u'.') {
    Domain.insert(Domain.begin(), u'.');
  }
  if (Path.empty()) Path = AURI.Path();
  if (Expires == 0 && MaxAge < 0) Discard = true;
}

bool TNetCookieRFC2965::IsRejected(const TNetURI& AURI) const {
  if (Version != 1) return true;
  if (!StartsWithText(AURI.Path(), Path)) return true;
  const String Bare = WithoutLeadingDot(Domain);
  if (Bare.find(u'.') == npos && !SameText(Domain, u".local")) return true;
  const String Host = EffectiveHost(AURI.Host());
  if (!CookieDomainMatches(Host, Domain)) return true;
  if (EndsWithText(Host, Domain)) {
    const StringView Before = StringView(Host).substr(0, Host.size() - Domain.size());
    if (Before.find(u'.') != StringView::npos) return true;
  }
  return !PortAllowed(CookiePortOf(AURI));
}

bool TNetCookieRFC2965::MatchesHost(const String& AHost) const {
  return CookieHostTailMatches(EffectiveHost(AHost), Domain);
}

bool TNetCookieRFC2965::IsAllowed(const TNetURI& AURI, bool ASecureOnly) const {
  return TNetCookieRFC2109::IsAllowed(AURI, ASecureOnly) && PortAllowed(CookiePortOf(AURI));
}

String TNetCookieRFC2965::ClientCookie() const {
  String Text = TNetCookieRFC2109::ClientCookie();
  if (HasPort) {
    Text += u"; $Port";
    if (!PortList.empty()) {
      String List;
      for (uint16_t Port : PortList) {
        if (!List.empty()) List += u",";
        List += DecimalText(Port);
      }
      Text += u"=" + Quoted(List);
    }
  }
  return Text;
}

}  // namespace vlm
