// http/net_uri.cpp -- URL split, join and path merge for the HTTP client.
#include "http/net_uri.h"

#include "http/net_exception.h"
#include "runtime/upper_case.h"

namespace vlm {

namespace {

constexpr size_t npos = String::npos;

// The port a protocol uses when a URL names none; empty for protocols without a known default.
StringView DefaultPortOf(const String& Protocol) {
  if (SameText(Protocol, u"HTTP")) return u"80";
  if (SameText(Protocol, u"HTTPS")) return u"443";
  if (SameText(Protocol, u"FTP")) return u"21";
  return u"";
}

// Cuts L at its first "?": the text after it becomes the params, L keeps the text before it.
void SplitParams(String& L, String& Params) {
  const size_t Q = L.find(u'?');
  if (Q == npos) return;
  Params = L.substr(Q + 1);
  L.erase(Q);
}

}  // namespace

TNetURI::TNetURI(const String& AURI) {
  if (!AURI.empty()) SetURI(AURI);
}

void TNetURI::NormalizePath(String& APath) {
  size_t Start = 0;
  const size_t Colon = APath.find(u':');
  if (Colon != npos) {
    Start = Colon + 1;
    // The two slashes of "scheme://" are skipped whichever way they lean.
    auto IsSlash = [](char16_t C) { return C == u'\\' || C == u'/'; };
    if (Colon + 2 < APath.size() && IsSlash(APath[Colon + 1]) && IsSlash(APath[Colon + 2])) {
      Start = Colon + 3;
    }
  }
  for (size_t I = Start; I < APath.size(); ++I) {
    if (APath[I] == u'#' || APath[I] == u'?') break;
    if (APath[I] == u'\\') APath[I] = u'/';
  }
}

void TNetURI::SetURI(const String& AURI) {
  FURI = AURI;
  NormalizePath(FURI);
  String L = FURI;
  FProtocol.clear();
  FUserName.clear();
  FPassword.clear();
  FHost.clear();
  FPort.clear();
  Fpath.clear();
  FDocument.clear();
  FParams.clear();
  FBookmark.clear();
  FIPVersion = TNetIPVersion::Net_IPv4;

  const size_t SchemeEnd = L.find(u"://");
  if (SchemeEnd == npos) {
    // A relative URL: optional path, document and params, nothing else.
    SplitParams(L, FParams);
    const size_t LastSlash = L.rfind(u'/');
    if (LastSlash != npos) {
      Fpath = L.substr(0, LastSlash + 1);
      L.erase(0, LastSlash + 1);
    }
  } else {
    FProtocol = L.substr(0, SchemeEnd);
    L.erase(0, SchemeEnd + 3);
    SplitParams(L, FParams);

    String Authority;
    const size_t FirstSlash = L.find(u'/');
    if (FirstSlash == npos) {
      Authority = L;
      L.clear();
    } else {
      Authority = L.substr(0, FirstSlash);
      L.erase(0, FirstSlash + 1);
    }

    const size_t At = Authority.find(u'@');
    if (At != npos) {
      const String UserInfo = Authority.substr(0, At);
      Authority.erase(0, At + 1);
      const size_t Colon = UserInfo.find(u':');
      FUserName = UserInfo.substr(0, Colon);
      if (Colon != npos) FPassword = UserInfo.substr(Colon + 1);
      // A password without a user name cannot be used and is dropped.
      if (FUserName.empty()) FPassword.clear();
    }

    const size_t Open = Authority.find(u'[');
    const size_t Close = Authority.find(u']');
    if (Open != npos && Close != npos && Open < Close) {
      FHost = Authority.substr(Open + 1, Close - Open - 1);
      const size_t Colon = Authority.find(u':', Close);
      Authority = Colon == npos ? String() : Authority.substr(Colon + 1);
      FIPVersion = TNetIPVersion::Net_IPv6;
    } else {
      const size_t Colon = Authority.find(u':');
      FHost = Authority.substr(0, Colon);
      Authority = Colon == npos ? String() : Authority.substr(Colon + 1);
    }
    FPort = Authority;

    const size_t LastSlash = L.rfind(u'/');
    if (LastSlash != npos) {
      Fpath = u"/" + L.substr(0, LastSlash + 1);
      L.erase(0, LastSlash + 1);
    } else {
      Fpath = u"/";
    }
  }

  // "?" was split off first, so a "#" inside the params stays there.
  FDocument = L;
  const size_t Hash = FDocument.find(u'#');
  if (Hash != npos) {
    FBookmark = FDocument.substr(Hash + 1);
    FDocument.erase(Hash);
  }
}

String TNetURI::URI() {
  FURI = GetFullURI(ofAuthInfo | ofBookmark);
  return GetFullURI(0);
}

String TNetURI::GetFullURI(TNetURIOptionalFields AOptionalFields) const {
  if (FProtocol.empty()) throw ENetURIException(u"Protocol field is empty");
  if (FHost.empty()) throw ENetURIException(u"Host field is empty");
  String Result = FProtocol + u"://";
  if ((AOptionalFields & ofAuthInfo) && !FUserName.empty()) {
    Result += FUserName;
    if (!FPassword.empty()) Result += u":" + FPassword;
    Result += u"@";
  }
  Result += FHost;
  if (!FPort.empty() && FPort != DefaultPortOf(FProtocol)) Result += u":" + FPort;
  Result += GetPathAndParams();
  if ((AOptionalFields & ofBookmark) && !FBookmark.empty()) Result += u"#" + FBookmark;
  return Result;
}

String TNetURI::GetPathAndParams() const {
  String Result = Fpath + FDocument;
  if (!FParams.empty()) Result += u"?" + FParams;
  return Result;
}

String MergeUrlPath(const String& ABasePath, const String& APath, char16_t ADelim) {
  if (!APath.empty() && APath.front() == ADelim) return APath;

  const bool KeepTrail = APath.empty() || APath.back() == ADelim;
  String Work = ABasePath;
  if (!Work.empty() && Work.back() != ADelim) Work += ADelim;
  Work += APath;

  String Result;
  for (size_t I = 0; I < Work.size(); ++I) {
    const char16_t C = Work[I];
    if (C == ADelim) {
      if (I == 0 || Result.empty() || Result.back() != ADelim) Result += ADelim;
    } else if (C == u'.' && !Result.empty() && Result.back() == ADelim && I + 1 < Work.size() &&
               Work[I + 1] == u'.') {
      // ".." removes the last segment; the delimiter that led into it stays.
      Result.pop_back();
      const size_t Prev = Result.rfind(ADelim);
      Result.erase(Prev == npos ? 0 : Prev + 1);
      ++I;  // the second dot
    } else {
      Result += C;
    }
  }

  if (!KeepTrail && Result.size() > 1 && Result.back() == ADelim) Result.pop_back();
  return Result;
}

}  // namespace vlm
