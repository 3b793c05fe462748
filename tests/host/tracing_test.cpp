// The trace that wraps a platform: each call on one line, its arguments by name, its outcome.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/host/sim_fixture.h"
#include "wrappers/tracing_platform.h"

namespace tests {
namespace {

class TracingTest : public SimTest {
 protected:
  // Runs the launcher of the file-type build under the trace; gives its lines.
  std::vector<std::string> TracedRun() {
    MakeCourse();
    std::vector<std::string> lines;
    wrappers::TracingPlatform tracing(faults_, [&lines](const std::string& line) { lines.push_back(line); });
    const platform::ScopedPlatform installed(tracing);
    mdlMain::Main(mdlMain::kBuiltOptionsWithFileType);
    return lines;
  }
};

bool HasLine(const std::vector<std::string>& lines, const std::string& part) {
  for (const std::string& line : lines) {
    if (line.find(part) != std::string::npos) return true;
  }
  return false;
}

TEST_F(TracingTest, EveryKindOfCall) {
  faults_.InjectFault(platform::Operation::kOpenForInput, 32, 1);
  const std::vector<std::string> lines = TracedRun();
  const char* const expected[] = {
      "RegOpenKeyExA root=HKEY_CLASSES_ROOT sub_key=\".html\\\" options=0 access=0x20019 -> ERROR_SUCCESS "
      "key=HKEY_CLASSES_ROOT\\.html\\",
      "RegQueryValueExA key=HKEY_CLASSES_ROOT\\.html\\ value_name=\"\" -> ERROR_SUCCESS type=1 data=\"htmlfile\" count=9",
      "OpenForInput path=\"C:\\WINDOWS\\SYSTEM\\macromed\\flash\\flash.ocx\" -> fails (error 70: Permission denied; "
      "ERROR_SHARING_VIOLATION)",
      "RegSetValueExA key=HKEY_CLASSES_ROOT\\Tolvex Ubra\\ value_name=\"EditFlags\" reserved=0 type=4 "
      "data=00,00,01,00 count=4 -> ERROR_SUCCESS",
  };
  for (const char* part : expected) EXPECT_TRUE(HasLine(lines, part)) << part;
  for (const std::string& line : lines) {
    EXPECT_EQ(line.find("ToAnsi"), std::string::npos) << "the code-page conversions are not traced";
  }
}

// Data as it is: text without its NUL as bytes, long data cut with "...", the user's root by name.
TEST_F(TracingTest, DataAndRootsAsTheyAre) {
  SetValue(u"k", u"text", 1, {'a', 'b', 'c'});
  SetValue(u"k", u"long", 3, std::vector<std::uint8_t>(20, 0xAB));
  std::vector<std::string> lines;
  wrappers::TracingPlatform tracing(faults_, [&lines](const std::string& line) { lines.push_back(line); });
  platform::KeyHandle key = 0;
  ASSERT_EQ(tracing.RegOpenKeyExA(platform::kClassesRoot, platform::AnsiString("k"), 0, platform::kKeyRead, &key).Value(),
            platform::kSuccess);
  for (const char* name : {"text", "long"}) {
    std::uint8_t data[64];
    std::uint32_t type = 0;
    std::uint32_t count = sizeof data;
    ASSERT_TRUE(tracing.RegQueryValueExA(key, platform::AnsiString(name), &type, data, &count));
  }
  platform::KeyHandle user = 0;
  std::uint32_t disposition = 0;
  ASSERT_TRUE(tracing.RegCreateKeyExA(platform::kCurrentUser, platform::AnsiString("Software\\Classes\\.t"), 0,
                                      platform::AnsiString("1"), 0, 0x2003F, platform::SecurityAttributes{true}, &user,
                                      &disposition));
  ASSERT_TRUE(tracing.RegCloseKey(user));
  ASSERT_TRUE(tracing.RegCloseKey(key));
  for (const char* part : {"value_name=\"text\" -> ERROR_SUCCESS type=1 data=61,62,63 count=3",
                           "data=ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,... count=20",
                           "RegCreateKeyExA root=HKEY_CURRENT_USER sub_key=\"Software\\Classes\\.t\""}) {
    EXPECT_TRUE(HasLine(lines, part)) << part;
  }
}

}  // namespace
}  // namespace tests
