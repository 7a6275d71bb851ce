// http/header_info.cpp -- reading a reply head into fields and writing a request head from them.
#include "http/header_info.h"

#include "runtime/upper_case.h"

namespace vlm {

namespace {

bool IsDigit(char16_t C) {
  return C >= u'0' && C <= u'9';
}

bool AllDigits(StringView Text) {
  if (Text.empty()) return false;
  for (char16_t C : Text) {
    if (!IsDigit(C)) return false;
  }
  return true;
}

// A non-negative decimal number that fits 64 bits, or -1 for anything else (signs included).
int64_t ReadCount(StringView Text) {
  const String Trimmed = TrimBlanks(Text);
  if (!AllDigits(Trimmed)) return -1;
  int64_t Value = 0;
  for (char16_t C : Trimmed) {
    const int Digit = C - u'0';
    if (Value > (INT64_MAX - Digit) / 10) return -1;  // a count this large is no count
    Value = Value * 10 + Digit;
  }
  return Value;
}

String DecimalText(int64_t Value) {
  const std::string Ascii = std::to_string(Value);
  return String(Ascii.begin(), Ascii.end());
}

// A parameter's value, trimmed, without the double quotes around it.
String UnquotedValue(StringView Text) {
  String Value = TrimBlanks(Text);
  if (Value.size() >= 2 && Value.front() == u'"' && Value.back() == u'"') {
    Value = Value.substr(1, Value.size() - 2);
  }
  return Value;
}

}  // namespace

bool IsHeaderMediaType(const String& AContentType, const String& AMediaType) {
  const String Type = TrimBlanks(StringView(AContentType).substr(0, AContentType.find(u';')));
  if (AMediaType.find(u'/') == String::npos) {
    return SameText(StringView(Type).substr(0, Type.find(u'/')), AMediaType);
  }
  return SameText(Type, AMediaType);
}

String HeaderParam(const String& AValue, const String& AName) {
  size_t At = AValue.find(u';');
  while (At != String::npos) {
    const size_t Next = AValue.find(u';', At + 1);
    const StringView Param =
        StringView(AValue).substr(At + 1, Next == String::npos ? String::npos : Next - At - 1);
    const size_t Eq = Param.find(u'=');
    if (Eq != StringView::npos && SameText(TrimBlanks(Param.substr(0, Eq)), AName)) {
      return UnquotedValue(Param.substr(Eq + 1));
    }
    At = Next;
  }
  return String();
}

// ---- entity ----

TNetEntityHeaderInfo::TNetEntityHeaderInfo() : FClock(NetLocalNow) {}

void TNetEntityHeaderInfo::SetContentType(const String& Value) {
  FContentType.clear();
  CharSet.clear();
  if (Value.empty()) return;
  // Keep every parameter except "charset", which moves to CharSet.
  size_t At = Value.find(u';');
  FContentType = TrimBlanks(StringView(Value).substr(0, At));
  while (At != String::npos) {
    const size_t Next = Value.find(u';', At + 1);
    const StringView Param =
        StringView(Value).substr(At + 1, Next == String::npos ? String::npos : Next - At - 1);
    const size_t Eq = Param.find(u'=');
    if (Eq != StringView::npos && SameText(TrimBlanks(Param.substr(0, Eq)), u"charset")) {
      CharSet = UnquotedValue(Param.substr(Eq + 1));
    } else if (!TrimBlanks(Param).empty()) {
      FContentType += u"; ";
      FContentType += TrimBlanks(Param);
    }
    At = Next;
  }
  if (CharSet.empty() && IsHeaderMediaType(FContentType, u"text")) CharSet = u"ISO-8859-1";
}

void TNetEntityHeaderInfo::Clear() {
  FRawHeaders.Clear();
  CacheControl.clear();
  Connection.clear();
  ContentVersion.clear();
  ContentDisposition.clear();
  ContentEncoding.clear();
  ContentLanguage.clear();
  FContentType.clear();
  CharSet.clear();
  ETag.clear();
  Pragma.clear();
  TransferEncoding.clear();
  ContentRangeUnits.clear();
  ContentLength = -1;
  ContentRangeStart = -1;
  ContentRangeEnd = -1;
  ContentRangeInstanceLength = -1;
  Date = 0;
  Expires = 0;
  LastModified = 0;
}

void TNetEntityHeaderInfo::ProcessHeaders() {
  const TNetHeaderList& H = FRawHeaders;
  CacheControl = H.Values(u"Cache-control");
  Connection = H.Values(u"Connection");
  ContentVersion = H.Values(u"Content-Version");
  ContentDisposition = H.Values(u"Content-Disposition");
  ContentEncoding = H.Values(u"Content-Encoding");
  ContentLanguage = H.Values(u"Content-Language");
  SetContentType(H.Values(u"Content-Type"));
  ContentLength = ReadCount(H.Values(u"Content-Length"));

  // "bytes 0-499/1234": units, first and last byte, and the whole length.
  ContentRangeStart = ContentRangeEnd = ContentRangeInstanceLength = -1;
  ContentRangeUnits.clear();
  const String Range = H.Values(u"Content-Range");
  if (!Range.empty()) {
    const size_t Blank = Range.find(u' ');
    ContentRangeUnits = Range.substr(0, Blank);
    const String RangeText =
        Blank == String::npos ? String() : TrimBlanks(StringView(Range).substr(Blank + 1));
    const size_t Slash = RangeText.find(u'/');
    const StringView Span = StringView(RangeText).substr(0, Slash);
    const size_t Dash = Span.find(u'-');
    ContentRangeStart = ReadCount(Span.substr(0, Dash));
    if (Dash != StringView::npos) ContentRangeEnd = ReadCount(Span.substr(Dash + 1));
    if (Slash != String::npos) {
      const StringView Whole = StringView(RangeText).substr(Slash + 1);
      ContentRangeInstanceLength = ReadCount(Whole.substr(0, Whole.find(u' ')));
    }
  }

  const String DateText = H.Values(u"Date");
  Date = H.IndexOfName(u"Date") < 0 ? Now() : InternetDateToLocal(DateText);
  LastModified = InternetDateToLocal(H.Values(u"Last-Modified"));

  const String ExpiresText = H.Values(u"Expires");
  Expires = 0;
  if (AllDigits(ExpiresText)) {
    const int64_t Seconds = ReadCount(ExpiresText);
    // A count too large for 64 bits is as good as "never"; it is read as no date.
    if (Seconds >= 0) Expires = Now() + SecondsToDateTime(static_cast<double>(Seconds));
  } else if (!ExpiresText.empty()) {
    TDateTime Gmt = 0;
    switch (ParseInternetDate(ExpiresText, Gmt)) {
      case InternetDateResult::Ok: Expires = GmtToLocal(Gmt); break;
      case InternetDateResult::Unreadable: Expires = 0; break;
      // A date in the right form that names no real moment: already expired.
      case InternetDateResult::OutOfRange: Expires = Now() - SecondsToDateTime(1); break;
    }
  }

  ETag = H.Values(u"ETag");
  Pragma = H.Values(u"Pragma");
  TransferEncoding = H.Values(u"Transfer-Encoding");
}

void TNetEntityHeaderInfo::WriteEntityHeaders() {
  TNetHeaderList& H = FRawHeaders;
  H.SetValue(u"Connection", Connection);
  H.SetValue(u"Content-Version", ContentVersion);
  H.SetValue(u"Content-Disposition", ContentDisposition);
  H.SetValue(u"Content-Encoding", ContentEncoding);
  H.SetValue(u"Content-Language", ContentLanguage);
  if (!FContentType.empty()) {
    H.SetValue(u"Content-Type",
               CharSet.empty() ? FContentType : FContentType + u"; charset=" + CharSet);
  }
  if (ContentLength >= 0) H.SetValue(u"Content-Length", DecimalText(ContentLength));
  H.SetValue(u"Cache-control", CacheControl);
  if (Date != 0) H.SetValue(u"Date", LocalToInternetDate(Date));
  H.SetValue(u"ETag", ETag);
  if (Expires != 0) H.SetValue(u"Expires", LocalToInternetDate(Expires));
  H.SetValue(u"Pragma", Pragma);
  H.SetValue(u"Transfer-Encoding", TransferEncoding);
}

void TNetEntityHeaderInfo::SetHeaders() {
  FRawHeaders.Clear();
  WriteEntityHeaders();
  for (int I = 0; I < FCustomHeaders.Count(); ++I) FRawHeaders.Add(FCustomHeaders.Strings(I));
}

// ---- ranges and authentication ----

String TNetEntityRange::Text() const {
  if (StartPos >= 0) {
    return DecimalText(StartPos) + u"-" + (EndPos >= 0 ? DecimalText(EndPos) : String());
  }
  if (SuffixLength >= 0) return u"-" + DecimalText(SuffixLength);
  return String();
}

String TNetEntityRanges::Text() const {
  String List;
  for (const TNetEntityRange& Range : Items) {
    const String One = Range.Text();
    if (One.empty()) continue;
    if (!List.empty()) List += u",";
    List += One;
  }
  return List.empty() ? String() : Units + u"=" + List;
}

String Base64Encode(std::string_view Bytes) {
  static constexpr char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  String Out;
  size_t I = 0;
  for (; I + 3 <= Bytes.size(); I += 3) {
    const uint32_t N =
        (uint8_t(Bytes[I]) << 16) | (uint8_t(Bytes[I + 1]) << 8) | uint8_t(Bytes[I + 2]);
    for (int Shift = 18; Shift >= 0; Shift -= 6) Out += char16_t(kAlphabet[(N >> Shift) & 63]);
  }
  const size_t Left = Bytes.size() - I;
  if (Left > 0) {
    uint32_t N = uint8_t(Bytes[I]) << 16;
    if (Left == 2) N |= uint8_t(Bytes[I + 1]) << 8;
    Out += char16_t(kAlphabet[(N >> 18) & 63]);
    Out += char16_t(kAlphabet[(N >> 12) & 63]);
    Out += Left == 2 ? char16_t(kAlphabet[(N >> 6) & 63]) : u'=';
    Out += u'=';
  }
  return Out;
}

String NetBasicAuthentication::Authentication() const {
  return u"Basic " + Base64Encode(StringToUtf8(FUsername + u":" + FPassword));
}

// ---- request ----

TNetRequestHeaderInfo::TNetRequestHeaderInfo() {
  TNetRequestHeaderInfo::Clear();
}

void TNetRequestHeaderInfo::Clear() {
  TNetEntityHeaderInfo::Clear();
  Accept = u"text/html, */*";
  AcceptCharSet.clear();
  AcceptEncoding.clear();
  AcceptLanguage.clear();
  From.clear();
  Referer.clear();
  UserAgent = u"Mozilla/3.0 (compatible; Velmora Setup)";
  Host.clear();
  ProxyConnection.clear();
  Username.clear();
  Password.clear();
  MethodOverride.clear();
  Ranges = TNetEntityRanges();
  BasicAuthentication = false;
  Authentication.reset();
}

void TNetRequestHeaderInfo::ProcessHeaders() {
  TNetEntityHeaderInfo::ProcessHeaders();
  const TNetHeaderList& H = RawHeaders();
  ProxyConnection = H.Values(u"Proxy-Connection");
  Host = H.Values(u"Host");
  Accept = H.Values(u"Accept");
  AcceptCharSet = H.Values(u"Accept-Charset");
  AcceptEncoding = H.Values(u"Accept-Encoding");
  AcceptLanguage = H.Values(u"Accept-Language");
  From = H.Values(u"From");
  Referer = H.Values(u"Referer");
  UserAgent = H.Values(u"User-Agent");
  LastModified = InternetDateToLocal(H.Values(u"If-Modified-Since"));
  MethodOverride = H.Values(u"X-HTTP-Method-Override");
}

void TNetRequestHeaderInfo::SetHeaders() {
  TNetEntityHeaderInfo::SetHeaders();
  TNetHeaderList& H = RawHeaders();
  H.SetValue(u"Proxy-Connection", ProxyConnection);
  H.SetValue(u"Host", Host);
  H.SetValue(u"Accept", Accept);
  H.SetValue(u"Accept-Charset", AcceptCharSet);
  H.SetValue(u"Accept-Encoding", AcceptEncoding);
  H.SetValue(u"Accept-Language", AcceptLanguage);
  H.SetValue(u"From", From);
  H.SetValue(u"Referer", Referer);
  H.SetValue(u"User-Agent", UserAgent);
  H.SetValue(u"Range", Ranges.Text());
  if (LastModified != 0) H.SetValue(u"If-Modified-Since", LocalToInternetDate(LastModified));

  if (!Authentication && BasicAuthentication) {
    Authentication = std::make_unique<NetBasicAuthentication>(Username, Password);
  }
  if (Authentication) H.SetValue(u"Authorization", Authentication->Authentication());

  H.SetValue(u"X-HTTP-Method-Override", MethodOverride);
}

// ---- response ----

TNetResponseHeaderInfo::TNetResponseHeaderInfo() {
  TNetResponseHeaderInfo::Clear();
}

void TNetResponseHeaderInfo::Clear() {
  TNetEntityHeaderInfo::Clear();
  SetContentType(u"text/html");
  CharSet = u"ISO-8859-1";
  Location.clear();
  Server.clear();
  ProxyConnection.clear();
  AcceptRanges.clear();
  WWWAuthenticate.Clear();
  ProxyAuthenticate.Clear();
}

void TNetResponseHeaderInfo::ProcessHeaders() {
  TNetEntityHeaderInfo::ProcessHeaders();
  const TNetHeaderList& H = RawHeaders();
  Location = H.Values(u"Location");
  Server = H.Values(u"Server");
  ProxyConnection = H.Values(u"Proxy-Connection");
  AcceptRanges = H.Values(u"Accept-Ranges");
  WWWAuthenticate.Clear();
  H.Extract(u"WWW-Authenticate", WWWAuthenticate);
  ProxyAuthenticate.Clear();
  H.Extract(u"Proxy-Authenticate", ProxyAuthenticate);
}

void TNetResponseHeaderInfo::SetHeaders() {
  TNetEntityHeaderInfo::SetHeaders();
  TNetHeaderList& H = RawHeaders();
  H.SetValue(u"Location", Location);
  H.SetValue(u"Server", Server);
  H.SetValue(u"Proxy-Connection", ProxyConnection);
  H.SetValue(u"Accept-Ranges", AcceptRanges);
  for (int I = 0; I < WWWAuthenticate.Count(); ++I) {
    H.AddValue(u"WWW-Authenticate", WWWAuthenticate.Strings(I));
  }
  for (int I = 0; I < ProxyAuthenticate.Count(); ++I) {
    H.AddValue(u"Proxy-Authenticate", ProxyAuthenticate.Strings(I));
  }
}

// ---- proxy ----

void TNetProxyConnectionInfo::SetHeaders(TNetHeaderList& AHeaders) {
  if (!Authentication && BasicAuthentication) {
    Authentication = std::make_unique<NetBasicAuthentication>(ProxyUsername, ProxyPassword);
  }
  if (!Authentication) return;
  const String Text = Authentication->Authentication();
  if (!Text.empty()) AHeaders.SetValue(u"Proxy-Authorization", Text);
}

void TNetProxyConnectionInfo::Clear() {
  ProxyServer.clear();
  ProxyPort = 0;
  ProxyUsername.clear();
  ProxyPassword.clear();
  BasicAuthentication = false;
  Authentication.reset();
}

}  // namespace vlm
