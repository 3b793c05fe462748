// Reading one registry value when the platform fails it (the readings themselves are in the
// conformance suite).
#include <gtest/gtest.h>

#include "common/error_trap.h"
#include "registry/registry.h"
#include "tests/host/sim_fixture.h"

namespace tests {
namespace {

using common::NumberedError;

class RegistryReadTest : public SimTest {
 protected:
  // Reads HKCR\k "v" into a result that starts as "untouched", with the default "dflt".
  std::int32_t Read(std::u16string& result, const std::u16string& key = u"k\\",
                    const std::u16string& name = u"v") {
    result = u"untouched";
    const common::Outcome read =
        mdlRegistry::GetRegistryValue(platform::kClassesRoot, key, name, result, u"dflt");
    last_error_ = read.Error();
    return read.Error().Number();
  }
  NumberedError last_error_;
};

TEST_F(RegistryReadTest, PlatformFailures) {
  SetText(u"k", u"text");
  struct {
    const char* what;
    sim::Operation operation;
    platform::Status status;
    std::int32_t raised;
    const char* expected;
    const char* description;
  } const cases[] = {
      {"open refused", sim::Operation::kRegOpenKeyEx, 5, 40154, "dflt",
       "Application-defined or object-defined error"},
      {"query refused", sim::Operation::kRegQueryValueEx, 5, 40154, "dflt",
       "Application-defined or object-defined error"},
      {"advapi32 cannot be loaded", sim::Operation::kRegOpenKeyEx, 126, 49999, "untouched",
       "#48: Error in loading DLL (tolOpen)"},
      {"no such entry in advapi32", sim::Operation::kRegQueryValueEx, 127, 49999, "untouched",
       "#453: Can't find DLL entry point (tolOpen)"},
      {"a failed close is ignored", sim::Operation::kRegCloseKey, 6, 0, "text", ""},
      {"conversion fails", sim::Operation::kFromAnsi, 8, 49999, "untouched",
       "#7: Out of memory (tolOpen)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    machine_.ClearFaults();
    machine_.InjectFault(c.operation, c.status);
    std::u16string result;
    EXPECT_EQ(Read(result, u"k\\", u""), c.raised);
    EXPECT_EQ(Show(result), c.expected);
    if (c.raised != 0) {
      EXPECT_EQ(Show(last_error_.Description()), c.description);
    }
    EXPECT_EQ(machine_.OpenKeyCount(), 0u);
  }
}

}  // namespace
}  // namespace tests
