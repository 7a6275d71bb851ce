// tests/http/net_uri_test.cpp -- URL split, join, backslash normalization and path merge.
#include "http/net_uri.h"

#include <gtest/gtest.h>

#include "http/net_exception.h"

namespace vlm {
namespace {

// Resolves ARequest against the previous request's URI the way the client does: the path is
// merged, document and params come from the new URL, host and port stay when it names none.
TNetURI ResolveLikeTheClient(const TNetURI& APrevious, const String& ARequest) {
  TNetURI Next(ARequest);
  TNetURI Result = APrevious;
  Result.SetPath(MergeUrlPath(APrevious.Path(), Next.Path()));
  Result.SetDocument(Next.Document());
  Result.SetParams(Next.Params());
  if (!Next.Host().empty()) Result.SetHost(Next.Host());
  if (!Next.Port().empty()) Result.SetPort(Next.Port());
  return Result;
}

// Every field of a split, joined by "|": protocol, user, password, host, port, path, document,
// params, bookmark, and 4 or 6 for the IP version.
std::string Fields(const TNetURI& U) {
  return StringToUtf8(U.Protocol() + u"|" + U.Username() + u"|" + U.Password() + u"|" + U.Host() +
                      u"|" + U.Port() + u"|" + U.Path() + u"|" + U.Document() + u"|" + U.Params() +
                      u"|" + U.Bookmark() + u"|" +
                      (U.IPVersion() == TNetIPVersion::Net_IPv6 ? u"6" : u"4"));
}

TEST(TNetURI, SplitsURLsIntoTheirFields) {
  struct Case {
    const char16_t* URL;
    const char* Expected;
  };
  const Case Cases[] = {
      // "?" is split off before "#", so a "#" after it stays inside the params.
      {u"http://user:pw@example.com:8080/dir/sub/deploy.vlm?x=1#top",
       "http|user|pw|example.com|8080|/dir/sub/|deploy.vlm|x=1#top||4"},
      {u"http://h/a/doc.html#part#2", "http|||h||/a/|doc.html||part#2|4"},
      {u"http://example.com:8080", "http|||example.com|8080|/||||4"},
      {u"http://example.com/", "http|||example.com||/||||4"},
      {u"http://:pw@h/", "http|||h||/||||4"},  // no user name: the password goes too
      {u"http://user@h:81/x", "http|user||h|81|/|x|||4"},
      {u"http://[::1]:8080/dir/f.txt", "http|||::1|8080|/dir/|f.txt|||6"},
      {u"http://[fe80::1:2]/", "http|||fe80::1:2||/||||6"},
      {u"http://a]b[c:90/", "http|||a]b[c|90|/||||4"},  // "]" before "[": no brackets
      {u"http:///x", "http|||||/|x|||4"},
      {u"../x/menu.pkg?v=2", "|||||../x/|menu.pkg|v=2||4"},
      {u"menu.pkg", "||||||menu.pkg|||4"},
      {u"example.com/x/y.txt", "|||||example.com/x/|y.txt|||4"},  // no "://": no host
      {u"?a=b", "|||||||a=b||4"},
      {u"http://host:81\\dir\\sub\\f.txt?q=\\", "http|||host|81|/dir/sub/|f.txt|q=\\||4"},
  };
  for (const Case& C : Cases) EXPECT_EQ(Fields(TNetURI(C.URL)), C.Expected) << StringToUtf8(C.URL);
}

TEST(TNetURI, ClearsEveryFieldOnANewSplit) {
  TNetURI U(u"http://u:p@[::1]:81/a/b?c#d");
  U.SetURI(u"doc");
  EXPECT_EQ(Fields(U), "||||||doc|||4");
}

TEST(TNetURI, GivesTheRequestTarget) {
  EXPECT_EQ(TNetURI(u"http://h/dir/sub/deploy.vlm?x=1#top").GetPathAndParams(),
            u"/dir/sub/deploy.vlm?x=1#top");
  EXPECT_EQ(TNetURI(u"http://h:8080").GetPathAndParams(), u"/");
  EXPECT_EQ(TNetURI(u"http://h/a/doc.html#part").GetPathAndParams(), u"/a/doc.html");
  // No percent-encoding either way.
  EXPECT_EQ(TNetURI(u"http://h/my dir/a%20b.txt?q=x y&z=%41").GetPathAndParams(),
            u"/my dir/a%20b.txt?q=x y&z=%41");
}

TEST(TNetURINormalizePath, TurnsBackslashesBeforeTheQueryIntoSlashes) {
  String A = u"http://host\\dir\\sub\\f.txt?q=a\\b#x\\y";
  TNetURI::NormalizePath(A);
  EXPECT_EQ(A, u"http://host/dir/sub/f.txt?q=a\\b#x\\y");

  String B = u"dir\\f.txt#a\\b";
  TNetURI::NormalizePath(B);
  EXPECT_EQ(B, u"dir/f.txt#a\\b");

  // The two characters right after "scheme:" are skipped when both are slashes of either kind.
  String C = u"http:\\\\host\\dir";
  TNetURI::NormalizePath(C);
  EXPECT_EQ(C, u"http:\\\\host/dir");

  String D = u"c:\\dir\\f";
  TNetURI::NormalizePath(D);
  EXPECT_EQ(D, u"c:/dir/f");
}

TEST(TNetURIJoin, WritesEveryPartAndTheOptionalOnesOnRequest) {
  TNetURI U(u"http://user:pw@example.com:8080/dir/f.txt?x=1");
  U.SetBookmark(u"top");
  EXPECT_EQ(U.GetFullURI(0), u"http://example.com:8080/dir/f.txt?x=1");
  EXPECT_EQ(U.GetFullURI(ofAuthInfo), u"http://user:pw@example.com:8080/dir/f.txt?x=1");
  EXPECT_EQ(U.GetFullURI(ofBookmark), u"http://example.com:8080/dir/f.txt?x=1#top");
  EXPECT_EQ(U.GetFullURI(), u"http://user:pw@example.com:8080/dir/f.txt?x=1#top");
  U.SetPassword(u"");
  EXPECT_EQ(U.GetFullURI(ofAuthInfo), u"http://user@example.com:8080/dir/f.txt?x=1");
}

TEST(TNetURIJoin, LeavesOutOnlyTheProtocolsDefaultPortAsText) {
  TNetURI U(u"http://h/");
  U.SetPort(u"80");
  EXPECT_EQ(U.GetFullURI(0), u"http://h/");
  U.SetPort(u"080");
  EXPECT_EQ(U.GetFullURI(0), u"http://h:080/");
  U.SetProtocol(u"HTTPS");
  U.SetPort(u"443");
  EXPECT_EQ(U.GetFullURI(0), u"HTTPS://h/");
  U.SetProtocol(u"ftp");
  U.SetPort(u"21");
  EXPECT_EQ(U.GetFullURI(0), u"ftp://h/");
  U.SetProtocol(u"gopher");
  U.SetPort(u"80");
  EXPECT_EQ(U.GetFullURI(0), u"gopher://h:80/");
}

TEST(TNetURIJoin, WritesAnIPv6HostWithoutBrackets) {
  TNetURI U(u"http://[::1]:8080/a");
  EXPECT_EQ(U.GetFullURI(0), u"http://::1:8080/a");
}

TEST(TNetURIJoin, FailsWithoutProtocolOrHost) {
  TNetURI NoHost(u"http:///x");
  EXPECT_EQ(NoHost.Host(), u"");
  try {
    NoHost.GetFullURI(0);
    ADD_FAILURE() << "joined without a host";
  } catch (const ENetURIException& E) {
    EXPECT_EQ(E.Message(), u"Host field is empty");
    EXPECT_STREQ(E.ClassName(), "ENetURIException");
  }
  TNetURI Relative(u"a/b");
  try {
    Relative.URI();
    ADD_FAILURE() << "joined without a protocol";
  } catch (const ENetException& E) {
    EXPECT_EQ(E.Message(), u"Protocol field is empty");
  }
}

TEST(TNetURIJoin, URIReadReturnsTheJoinWithoutOptionalParts) {
  TNetURI U(u"http://u:p@h:80/a/b.c?d#e");
  EXPECT_EQ(U.URI(), u"http://h/a/b.c?d#e");  // the "#e" lies inside the params
  TNetURI V(u"http://u:p@h/a/b.c#mark");
  EXPECT_EQ(V.URI(), u"http://h/a/b.c");
}

TEST(MergeUrlPath, ReplacesTheBaseWithAnAbsolutePath) {
  EXPECT_EQ(MergeUrlPath(u"/a/b/", u"/x/"), u"/x/");
  EXPECT_EQ(MergeUrlPath(u"/a/b/", u"//x"), u"//x");  // returned as given
}

TEST(MergeUrlPath, CollapsesRunsOfSlashes) {
  EXPECT_EQ(MergeUrlPath(u"/a//b/", u""), u"/a/b/");
  EXPECT_EQ(MergeUrlPath(u"", u""), u"");
  EXPECT_EQ(MergeUrlPath(u"/", u""), u"/");
}

TEST(MergeUrlPath, AppendsARelativePath) {
  EXPECT_EQ(MergeUrlPath(u"/a/b", u"c/"), u"/a/b/c/");
  EXPECT_EQ(MergeUrlPath(u"/a/b/", u"c"), u"/a/b/c");
  EXPECT_EQ(MergeUrlPath(u"", u"c/"), u"c/");
}

TEST(MergeUrlPath, RemovesTheSegmentBeforeDotDotAndKeepsDotSegments) {
  EXPECT_EQ(MergeUrlPath(u"/a/b/", u"./"), u"/a/b/./");
  EXPECT_EQ(MergeUrlPath(u"/dir/", u"../x/"), u"/x/");
  EXPECT_EQ(MergeUrlPath(u"/a/b/c/", u"../../"), u"/a/");
  // Climbing above the root keeps the root.
  EXPECT_EQ(MergeUrlPath(u"/a/", u"../../x/"), u"/x/");
  // Leading dots of a base-less path cannot remove anything and stay.
  EXPECT_EQ(MergeUrlPath(u"", u"../x/"), u"../x/");
}

TEST(MergeUrlPath, DropsTheTrailingSlashUnlessThePathHadOne) {
  EXPECT_EQ(MergeUrlPath(u"/a/", u"b/.."), u"/a");
  EXPECT_EQ(MergeUrlPath(u"/a/", u"b/../"), u"/a/");
  EXPECT_EQ(MergeUrlPath(u"/", u"b/.."), u"/");
}

TEST(TNetURI, ResolvesRelativeURLsAgainstThePreviousRequest) {
  const TNetURI First(u"http://example.com:8080/dir/deploy.vlm");

  const TNetURI Same = ResolveLikeTheClient(First, u"menu.pkg");
  EXPECT_EQ(Same.GetPathAndParams(), u"/dir/menu.pkg");
  EXPECT_EQ(Same.Host(), u"example.com");
  EXPECT_EQ(Same.Port(), u"8080");

  EXPECT_EQ(ResolveLikeTheClient(First, u"../x/menu.pkg").GetPathAndParams(), u"/x/menu.pkg");

  // Only "?" and params: the path stays, the document goes.
  const TNetURI Query = ResolveLikeTheClient(First, u"?v=2");
  EXPECT_EQ(Query.Path(), u"/dir/");
  EXPECT_EQ(Query.Document(), u"");
  EXPECT_EQ(Query.GetPathAndParams(), u"/dir/?v=2");

  const TNetURI Other = ResolveLikeTheClient(First, u"http://other:81/p/q.txt");
  EXPECT_EQ(Other.Host(), u"other");
  EXPECT_EQ(Other.Port(), u"81");
  EXPECT_EQ(Other.GetPathAndParams(), u"/p/q.txt");
}

}  // namespace
}  // namespace vlm
