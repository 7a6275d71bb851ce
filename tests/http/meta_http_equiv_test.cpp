// tests/http/meta_http_equiv_test.cpp -- the scan of HTML pages for <meta http-equiv> lines.
#include "http/meta_http_equiv.h"

#include <gtest/gtest.h>

#include "runtime/memory_stream.h"

namespace vlm {
namespace {

void Scan(TNetMetaHTTPEquiv& M, std::string_view Page) {
  TMemoryStream Stream;
  Stream.WriteBuffer(Page.data(), static_cast<int64_t>(Page.size()));
  M.ProcessMetaHTTPEquiv(Stream);
  EXPECT_EQ(Stream.Position(), static_cast<int64_t>(Page.size()));  // position restored
}

TEST(TNetMetaHTTPEquiv, CollectsHttpEquivLinesFromTheHead) {
  TNetMetaHTTPEquiv M;
  Scan(M,
       "<!DOCTYPE html>\n<html><head>\n"
       "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\n"
       "<META HTTP-EQUIV='Set-Cookie' CONTENT='id=7; path=/'>\n"
       "<meta name=\"author\" content=\"x\">\n"
       "<meta http-equiv=Refresh content=5 />\n"
       "</head><body>hi</body></html>");
  ASSERT_EQ(M.RawHeaders().Count(), 3);
  EXPECT_EQ(M.RawHeaders().Strings(0), u"Content-Type: text/html; charset=utf-8");
  EXPECT_EQ(M.RawHeaders().Strings(1), u"Set-Cookie: id=7; path=/");
  EXPECT_EQ(M.RawHeaders().Strings(2), u"Refresh: 5");
  // The lines are parsed like a reply head.
  EXPECT_EQ(M.ContentType(), u"text/html");
  EXPECT_EQ(M.CharSet, u"utf-8");
}

TEST(TNetMetaHTTPEquiv, NeedsHttpEquivAsTheFirstAttribute) {
  TNetMetaHTTPEquiv M;
  Scan(M, "<html><head><meta content=\"a\" http-equiv=\"X-A\"></head></html>");
  EXPECT_EQ(M.RawHeaders().Count(), 0);
}

TEST(TNetMetaHTTPEquiv, IgnoresMetaTagsOutsideAHead) {
  TNetMetaHTTPEquiv NoHtml;
  Scan(NoHtml, "<head><meta http-equiv=\"X-A\" content=\"1\"></head>");
  EXPECT_EQ(NoHtml.RawHeaders().Count(), 0);

  TNetMetaHTTPEquiv BodyFirst;
  Scan(BodyFirst, "<html><body><head><meta http-equiv=\"X-A\" content=\"1\"></head></body></html>");
  EXPECT_EQ(BodyFirst.RawHeaders().Count(), 0);

  TNetMetaHTTPEquiv TitleFirst;
  Scan(TitleFirst, "<html><title>t</title><head><meta http-equiv=\"X-A\" content=\"1\"></head>");
  EXPECT_EQ(TitleFirst.RawHeaders().Count(), 0);
}

TEST(TNetMetaHTTPEquiv, SkipsCommentsTitlesAndScripts) {
  TNetMetaHTTPEquiv M;
  Scan(M,
       "<html><!-- <head><meta http-equiv=\"X-Comment\" content=\"1\"> --><head>"
       "<title><meta http-equiv=\"X-Title\" content=\"1\"></title>"
       "<script>if (a<b && '>') document.write('<meta http-equiv=\"X-Script\" content=\"1\">');"
       "</script>"
       "<link rel=\"stylesheet\" href=\"a.css\">"
       "<meta http-equiv=\"X-Real\" content=\"yes\">"
       "</head></html>");
  ASSERT_EQ(M.RawHeaders().Count(), 1);
  EXPECT_EQ(M.RawHeaders().Strings(0), u"X-Real: yes");
}

TEST(TNetMetaHTTPEquiv, KeepsLinesFromEarlierPages) {
  TNetMetaHTTPEquiv M;
  Scan(M, "<html><head><meta http-equiv=\"X-A\" content=\"1\"></head></html>");
  Scan(M, "<html><head><meta http-equiv=\"X-B\" content=\"2\"></head></html>");
  ASSERT_EQ(M.RawHeaders().Count(), 2);
  EXPECT_EQ(M.RawHeaders().Values(u"X-A"), u"1");
  EXPECT_EQ(M.RawHeaders().Values(u"X-B"), u"2");
}

TEST(TNetMetaHTTPEquiv, SurvivesTruncatedAndHostilePages) {
  // Every prefix of a page: the scan ends, and finds at most the one line the page holds.
  const std::string Page =
      "<html><head><!-- c --><script>x</script><meta http-equiv=\"X-A\" content=\"1\"></head>";
  for (size_t N = 0; N <= Page.size(); ++N) {
    TNetMetaHTTPEquiv M;
    Scan(M, std::string_view(Page).substr(0, N));
    EXPECT_LE(M.RawHeaders().Count(), 1);
  }
  TNetMetaHTTPEquiv Bytes;
  const char Hostile[] = "<html><head>\0\xff<meta http-equiv=\"\xe9\" content=\"\x80\">";
  Scan(Bytes, std::string_view(Hostile, sizeof Hostile - 1));  // the NUL inside counts
  ASSERT_EQ(Bytes.RawHeaders().Count(), 1);
  EXPECT_EQ(Bytes.RawHeaders().Strings(0), u"\u00e9: \u0080");
}

}  // namespace
}  // namespace vlm
