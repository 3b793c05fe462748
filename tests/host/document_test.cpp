// The text rules of the launch: the extension, the argument, and the started command line.
#include <gtest/gtest.h>

#include "start/document.h"
#include "tests/host/sim_fixture.h"

namespace tests {
namespace {

TEST(DocumentTest, Extension) {
  const struct {
    std::u16string document;
    const char* extension;
  } cases[] = {
      {u"index.html", ".html"},
      {u"docs\\intro.htm", ".htm"},
      {u"a.b.html", ".html"},
      {u"dir.old\\page", ".old\\page"},  // the rightmost dot, also in a folder name
      {u"README", ""},
      {u"trailing.", "."},
      {u"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Show(mdlMain::ExtensionOf(c.document)), c.extension) << Show(c.document);
  }
}

TEST(DocumentTest, ArgumentQuotesAndAbsolutePaths) {
  EXPECT_EQ(Show(mdlMain::WithoutEnclosingQuotes(u"\"My Page.html\"")), "My Page.html");
  EXPECT_EQ(Show(mdlMain::WithoutEnclosingQuotes(u"\"")), "\"");
  EXPECT_EQ(Show(mdlMain::WithoutEnclosingQuotes(u"a \"b\"")), "a \"b\"");
  EXPECT_EQ(Show(mdlMain::WithoutEnclosingQuotes(u"\"\"")), "");

  for (const std::u16string absolute : {u"C:\\x.htm", u"d:\\", u"\\\\server\\share\\x.htm"}) {
    EXPECT_TRUE(mdlMain::IsAbsolutePath(absolute)) << Show(absolute);
  }
  for (const std::u16string relative : {u"x.htm", u"C:x.htm", u"\\x.htm", u"1:\\x", u""}) {
    EXPECT_FALSE(mdlMain::IsAbsolutePath(relative)) << Show(relative);
  }
}

TEST(DocumentTest, LaunchCommandLine) {
  const struct {
    std::u16string open_command;
    std::u16string path;
    const char* expected;
  } cases[] = {
      {u"viewer.exe -nohome", u"D:\\index.html", "viewer.exe -nohome D:\\index.html"},
      {u"", u"D:\\index.html", " D:\\index.html"},
      {u"viewer.exe -nohome", u"D:\\My Course\\index.html",
       "viewer.exe -nohome \"D:\\My Course\\index.html\""},
      {u"viewer.exe %1", u"D:\\index.html", "viewer.exe D:\\index.html"},
      {u"viewer.exe %1", u"D:\\My Course\\a.htm", "viewer.exe \"D:\\My Course\\a.htm\""},
      {u"viewer.exe \"%1\"", u"D:\\My Course\\a.htm", "viewer.exe \"D:\\My Course\\a.htm\""},
      {u"\"C:\\Program Files\\v.exe\" \"%L\" %*", u"D:\\a.htm",
       "\"C:\\Program Files\\v.exe\" \"D:\\a.htm\" "},
      {u"v.exe %l", u"D:\\a.htm", "v.exe D:\\a.htm"},
      {u"v.exe /a %1 /b %1", u"D:\\a.htm", "v.exe /a D:\\a.htm /b D:\\a.htm"},
      {u"v.exe %*", u"D:\\a.htm", "v.exe  D:\\a.htm"},  // no document placeholder: appended
      {u"v.exe %2 100%", u"D:\\a.htm", "v.exe %2 100% D:\\a.htm"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Show(mdlMain::LaunchCommandLine(c.open_command, c.path)), c.expected)
        << "open command: " << Show(c.open_command);
  }
}

}  // namespace
}  // namespace tests
