// The trace that wraps a platform: each call on one line, its arguments by name, its outcome.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/host/sim_fixture.h"
#include "wrappers/tracing_platform.h"

namespace tests {
namespace {

class TracingTest : public SimTest {};

// A run of the file-type build (whose start-up tasks the delivered build shares) under the trace,
// by a limited user (whose writes go to the user's classes, by that root's name), with an open
// command stored without its NUL (shown as bytes, cut after 16 with "...") and a copy of the
// control that another program holds.
TEST_F(TracingTest, EveryKindOfCallAndDataAsItIs) {
  MakeCourse();
  const std::string command = "C:\\viewer.exe -no";
  SetValue(u"htmlfile\\shell\\open\\command", u"", 1, std::vector<std::uint8_t>(command.begin(), command.end()));
  machine_.SetLimitedUser(true);
  faults_.InjectFault(platform::Operation::kOpenForInput, 32, 1);
  std::vector<std::string> lines;
  wrappers::TracingPlatform tracing(faults_, [&lines](const std::string& line) { lines.push_back(line); });
  {
    const platform::ScopedPlatform installed(tracing);
    mdlMain::Main(mdlMain::kBuiltOptionsWithFileType);
  }
  const char* const expected[] = {
      "RegOpenKeyExA root=HKEY_CLASSES_ROOT sub_key=\".html\\\" options=0 access=0x20019 -> ERROR_SUCCESS "
      "key=HKEY_CLASSES_ROOT\\.html\\",
      "RegQueryValueExA key=HKEY_CLASSES_ROOT\\.html\\ value_name=\"\" -> ERROR_SUCCESS type=1 data=\"htmlfile\" count=9",
      "type=1 data=43,3a,5c,76,69,65,77,65,72,2e,65,78,65,20,2d,6e,... count=17",
      "OpenForInput path=\"C:\\WINDOWS\\SYSTEM\\macromed\\flash\\flash.ocx\" -> fails (error 70: Permission denied; "
      "ERROR_SHARING_VIOLATION)",
      "RegCreateKeyExA root=HKEY_CURRENT_USER sub_key=\"Software\\Classes\\.tv1\\\"",
      "RegSetValueExA key=HKEY_CURRENT_USER\\Software\\Classes\\Tolvex Ubra\\ value_name=\"EditFlags\" reserved=0 type=4 "
      "data=00,00,01,00 count=4 -> ERROR_SUCCESS",
      "StartProcess command_line=\"C:\\viewer.exe -no D:\\index.html\" window_style=1 -> ok",
  };
  for (const char* part : expected) {
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.find(part) != l.npos; }))
        << part;
  }
  for (const std::string& line : lines) {
    EXPECT_EQ(line.find("ToAnsi"), std::string::npos) << "the code-page conversions are not traced";
  }
  // The start-up tasks in their order: the control, then the file type, then the viewer.
  const auto first = [&lines](const char* call) {
    return std::find_if(lines.begin(), lines.end(), [call](const std::string& l) { return l.rfind(call, 0) == 0; });
  };
  EXPECT_LT(first("DLLSelfRegister"), first("RegSetValueExA")) << "the control first, then the file type";
  EXPECT_LT(first("RegSetValueExA"), first("StartProcess")) << "then the viewer";
}

}  // namespace
}  // namespace tests
