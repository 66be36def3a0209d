// URLs: which name stacks, when two are the same, and the URL of a file beside a stack.
#include <gtest/gtest.h>

#include "plugin/urls.h"

namespace corvida::plugin {
namespace {

TEST(UrlsTest, StacksAreToldByThePathOrTheType) {
  const struct {
    const char* url;
    bool stack;
  } cases[] = {
      {"http://h/a.stk", true},          {"http://h/A.STK", true},
      {"http://h/a.stk?v=2", true},      {"http://h/a.stk#card", true},
      {"http://h/a.php?f=b.stk", false}, {"http://h/a.stk/more", false},
      {"http://h/astk", false},          {"http://h/a.stkx", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsStackUrl(c.url), c.stack) << c.url;
  EXPECT_TRUE(IsStackType("application/cvtu"));
  EXPECT_TRUE(IsStackType("Application/Corvida; charset=x"));
  EXPECT_FALSE(IsStackType("application/octet-stream"));
}

TEST(UrlsTest, AStackIsNamedByTheLastPartOfItsPath) {
  const struct {
    const char* url;
    const char* name;
  } cases[] = {
      {"http://h/stacks/demo.stk", "demo"},
      {"http://h/demo.stk?edition=2#start", "demo"},  // query and fragment do not count
      {"http://h/My%20Stack.STK", "My Stack"},
      {"file:///dropped.stk?1024-17000", "dropped"},
      {"http://h/a%2Fb%5cc.stk", "a_b_c"},  // no folders through escapes
      {"http://h/bell%07.stk", "bell_"},
      {"http://h/100%.stk", "100%"},  // a lone percent stays
      {"http://h/stack-file", "stack-file"},
      {"http://h/.stk", ".stk"},  // a leading dot is the name, not an extension
      {"http://h/folder/", "Untitled"},
      {"", "Untitled"},
  };
  for (const auto& c : cases) EXPECT_EQ(UrlStackName(c.url), c.name) << c.url;
}

TEST(UrlsTest, OnlySchemeAndHostIgnoreCase) {
  EXPECT_TRUE(SameUrl("HTTP://Example.COM/a/B.stk", "http://example.com/a/B.stk"));
  EXPECT_TRUE(SameUrl("http://User@Host/x", "http://User@host/x"));
  EXPECT_FALSE(SameUrl("http://user@h/x", "http://USER@h/x"));
  EXPECT_FALSE(SameUrl("http://h/a/B.stk", "http://h/a/b.stk"));
  EXPECT_FALSE(SameUrl("http://h/a?x=A", "http://h/a?x=a"));
  EXPECT_FALSE(SameUrl("http://h/a", "http://h/a/"));
}

TEST(UrlsTest, ExtensionsAreThreePlainCharacters) {
  EXPECT_EQ(UrlExtension("http://h/a.STK?x"), "STK");
  EXPECT_EQ(UrlExtension("http://h/a.b1z"), "b1z");
  EXPECT_EQ(UrlExtension("http://h/a.jpeg"), "");
  EXPECT_EQ(UrlExtension("http://h/a.b/"), "");
  EXPECT_EQ(UrlExtension("http://h/a.%2f"), "");
}

TEST(UrlsTest, NamesBesideTheBaseAreEncodedOrRefused) {
  const std::string base = "http://h/stacks/main.stk?x=1";
  const struct {
    std::string name;
    std::string url;
  } cases[] = {
      {"next.stk", "http://h/stacks/next.stk"},
      {"My Pic#1.bmp", "http://h/stacks/My%20Pic%231.bmp"},
      {"caf\xe9.txt", "http://h/stacks/caf%C3%A9.txt"},  // characters as UTF-8
      {"\x80 \x9f.wav", "http://h/stacks/%E2%82%AC%20%C5%B8.wav"},
      {"a?b", "http://h/stacks/a%3Fb"},
      {"", ""},
      {"a/b", ""},
      {"..", ""},
      {"x..y", ""},
      {"tab\there", ""},
      {"del\x7f", ""},
      {std::string(243, 'n'), "http://h/stacks/" + std::string(243, 'n')},  // 259 characters
      {std::string(244, 'n'), ""},
  };
  for (const auto& c : cases) EXPECT_EQ(UrlBeside(base, c.name), c.url) << c.name;
  EXPECT_EQ(UrlBeside("http://h", "a.stk"), "");
  EXPECT_EQ(UrlBeside("http://h/", "a.stk"), "http://h/a.stk");
  EXPECT_EQ(UrlBeside("file:///srv/s/a.stk", "b.bmp"), "file:///srv/s/b.bmp");
}

TEST(UrlsTest, OnlyWebAndFileUrlsAreFetched) {
  EXPECT_TRUE(IsFetchableUrl("HTTPS://h/a"));
  EXPECT_TRUE(IsFetchableUrl("http://h/a"));
  EXPECT_TRUE(IsFetchableUrl("file:///a"));
  EXPECT_FALSE(IsFetchableUrl("ftp://h/a"));
  EXPECT_FALSE(IsFetchableUrl("javascript:x"));
}

// Scripts of downloaded stacks keep their files in a folder named after the site: one
// name per scheme, host and port, that never leaves the folder it is made in.
TEST(UrlsTest, OriginsNameOneFolderPerSite) {
  const struct {
    const char* url;
    const char* origin;
  } cases[] = {
      {"http://Example.COM/s/a.stk", "http-example.com-80"},
      {"http://example.com:80/b.stk", "http-example.com-80"},
      {"https://example.com/a.stk", "https-example.com-443"},
      {"http://127.0.0.1:8000/a.stk", "http-127.0.0.1-8000"},
      {"http://user:pw@h/a.stk", "http-h-80"},
      {"http://[::1]:81/a.stk", "http-___1_-81"},
      {"http://h?x/a", "http-h-80"},
      {"file:///srv/a.stk", "file"},
      {"http://../a.stk", "http-__-80"},
      {"http:///a.stk", ""},
      {"no-scheme", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(UrlOrigin(c.url), c.origin) << c.url;
  EXPECT_EQ(UrlOrigin("http://" + std::string(300, 'a') + "/x").size(), 100u);
}

}  // namespace
}  // namespace corvida::plugin
