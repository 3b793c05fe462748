// The routines that make text from text: the document's extension and path, the started command
// line, folder paths, the file type's open command, numbers written as text.
#include <gtest/gtest.h>

#include "filetype/filetype.h"
#include "flash/flash.h"
#include "registry/registry.h"
#include "start/document.h"
#include "tests/host/sim_fixture.h"

namespace tests {
namespace {

TEST(TextRulesTest, Extension) {
  const struct {
    std::u16string document;
    const char* extension;
  } cases[] = {
      {u"dir.old\\page", ".old\\page"},  // the rightmost dot, also in a folder name
      {u"README", ""},
      {u"trailing.", "."},
      {u"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Show(mdlMain::ExtensionOf(c.document)), c.extension) << Show(c.document);
  }
}

TEST(TextRulesTest, ArgumentQuotesAndAbsolutePaths) {
  EXPECT_EQ(Show(mdlMain::WithoutEnclosingQuotes(u"\"")), "\"");
  EXPECT_EQ(Show(mdlMain::WithoutEnclosingQuotes(u"a \"b\"")), "a \"b\"");
  EXPECT_EQ(Show(mdlMain::WithoutEnclosingQuotes(u"\"My Page.html")), "\"My Page.html") << "no closing quote";
  EXPECT_EQ(Show(mdlMain::WithoutEnclosingQuotes(u"\"\"")), "");

  for (const std::u16string absolute : {u"C:\\x.htm", u"d:\\", u"\\\\server\\share\\x.htm"}) {
    EXPECT_TRUE(mdlMain::IsAbsolutePath(absolute)) << Show(absolute);
  }
  for (const std::u16string relative : {u"x.htm", u"C:x.htm", u"\\x.htm", u"1:\\x", u""}) {
    EXPECT_FALSE(mdlMain::IsAbsolutePath(relative)) << Show(relative);
  }
}

// What the conformance suite's kinds of open command leave out.
TEST(TextRulesTest, LaunchCommandLine) {
  const struct {
    std::u16string open_command;
    std::u16string path;
    const char* expected;
  } cases[] = {
      {u"", u"D:\\index.html", " D:\\index.html"},
      {u"viewer.exe %1", u"D:\\My Course\\a.htm", "viewer.exe \"D:\\My Course\\a.htm\""},
      {u"\"C:\\v.exe\" %1", u"D:\\My Course\\a.htm", "\"C:\\v.exe\" \"D:\\My Course\\a.htm\""},
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

TEST(TextRulesTest, AddBackslash) {
  const struct {
    std::u16string path;
    const char* expected;
  } cases[] = {
      {u"C:\\DIR", "C:\\DIR\\"},
      {u"C:\\DIR\\", "C:\\DIR\\"},
      {u"C:/DIR/", "C:/DIR/"},
      {u"C:\\DIR  ", "C:\\DIR\\"},        // trailing blanks dropped
      {u"  C:\\DIR", "  C:\\DIR\\"},      // leading blanks kept
      {u"C:\\DIR\\  ", "C:\\DIR\\  "},    // already ends in "\": left exactly as it was
      {u"", "\\"},
      {u"   ", "\\"},
  };
  for (const auto& c : cases) {
    std::u16string path = c.path;
    mdlFlash::AddBackslash(path);
    EXPECT_EQ(Show(path), c.expected) << "'" << Show(c.path) << "'";
  }
}

TEST(TextRulesTest, TrimAtNullAndTheOpenCommandAtADriveRoot) {
  EXPECT_EQ(Show(mdlFlash::TrimAtNull(std::u16string(u"ABC\0   ", 7))), "ABC");
  EXPECT_EQ(Show(mdlFlash::TrimAtNull(u"ABC  ")), "ABC  ");
  EXPECT_EQ(Show(mdlFlash::TrimAtNull(std::u16string(u"\0ABC", 4))), "");
  EXPECT_EQ(Show(mdlFlash::TrimAtNull(std::u16string(u"AB\0C\0", 5))), "AB") << "at the first NUL";
  // At a drive root, which the conformance suite's discs cannot be on Wine.
  EXPECT_EQ(Show(mdlAsociace::DownloadOpenCommand(u"D:\\", u"tolDownload.exe")), "D:\\Download\\tolDownload.exe \"%1\"");
}

// The text of a floating-point number at the ends of the double range and at the switch to
// the exponent form.
TEST(TextRulesTest, FloatingTextAtTheEdgesOfTheRange) {
  const struct {
    double number;
    const char* text;
  } cases[] = {
      {4.9406564584124654e-324, "4.94065645841247E-324"},  // the smallest subnormal
      {-2.2250738585072009e-308, "-2.2250738585072E-308"},  // the largest subnormal
      {2.2250738585072014e-308, "2.2250738585072E-308"},    // the smallest normal number
      {1.7976931348623157e308, "1.79769313486232E+308"},
      {1e-5, "0.00001"},
      {9.9999999999999995e-7, "1E-06"},
      {999999999999999.0, "999999999999999"},
      {1e15, "1E+15"},  // the first number with 16 digits before the point
      {0.1, "0.1"},
      {0.9999999999999999, "1"},  // rounded to 15 digits, it carries into a 16th
  };
  for (const auto& c : cases) EXPECT_EQ(Show(mdlRegistry::FloatingText(c.number)), c.text) << c.text;
}

}  // namespace
}  // namespace tests
