// Reading and writing registry values where the platform fails them, what only the simulated
// machine records (each key creation's parameters and order), and the course file type's
// writes; the values themselves are in the conformance suite.
#include <gtest/gtest.h>

#include "filetype/filetype.h"
#include "registry/registry.h"
#include "tests/host/sim_fixture.h"

namespace tests {
namespace {

class RegistryTest : public SimTest {};

TEST_F(RegistryTest, ReadPlatformFailures) {
  SetText(machine_, u"k", u"text");
  struct {
    const char* what;
    platform::Operation operation;
    platform::Status status;
    std::int32_t raised;
    const char* expected;
    const char* description;
  } const cases[] = {
      {"open refused", platform::Operation::kRegOpenKeyExA, 5, 40154, "dflt",
       "Application-defined or object-defined error"},
      {"query refused", platform::Operation::kRegQueryValueExA, 5, 40154, "dflt",
       "Application-defined or object-defined error"},
      {"advapi32 cannot be loaded", platform::Operation::kRegOpenKeyExA, 126, 49999, "untouched",
       "#48: Error in loading DLL (tolOpen)"},
      {"no such entry in advapi32", platform::Operation::kRegQueryValueExA, 127, 49999, "untouched",
       "#453: Can't find DLL entry point (tolOpen)"},
      {"a failed close is ignored", platform::Operation::kRegCloseKey, 6, 0, "text", ""},
      {"conversion fails", platform::Operation::kFromAnsi, 8, 49999, "untouched", "#7: Out of memory (tolOpen)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    faults_.ClearFaults();
    faults_.InjectFault(c.operation, c.status);
    std::u16string result = u"untouched";
    const common::Outcome read = mdlRegistry::GetRegistryValue(platform::kClassesRoot, u"k\\", u"", result, u"dflt");
    EXPECT_EQ(common::ErrorNumberOf(read), c.raised);
    EXPECT_EQ(Show(result), c.expected);
    if (c.raised != 0) {
      EXPECT_EQ(Show(read.Error().Description()), c.description);
    }
    EXPECT_EQ(machine_.LeftOpen(), "");
  }
}

// Writes HKCR\<key> "v"; gives the number raised (0 for none).
std::int32_t Write(const std::u16string& key) {
  return common::ErrorNumberOf(mdlRegistry::SetRegistryValue(platform::kClassesRoot, key, u"v", std::u16string(u"x"), 1));
}

// Keys are created with their parameters; a refused write raises 40153.
TEST_F(RegistryTest, KeysAreCreatedWithTheirParametersAndRefusalsRaise40153) {
  EXPECT_EQ(Write(u"type\\shell\\open\\command\\"), 0);
  ASSERT_EQ(machine_.KeyCreations().size(), 1u);
  const auto& creation = machine_.KeyCreations().back();
  EXPECT_EQ(Show(creation.key_class), "1");
  EXPECT_EQ(creation.options, 0u);
  EXPECT_EQ(creation.access, 0x2003Fu);
  EXPECT_TRUE(creation.inherit_handle);

  faults_.InjectFault(platform::Operation::kRegCreateKeyExA, 5, 2);
  EXPECT_EQ(Write(u"k\\"), 40153);
  EXPECT_EQ(machine_.ClassesRoot().FindSubkey(u"k"), nullptr);

  faults_.InjectFault(platform::Operation::kRegSetValueExA, 5, 2);
  EXPECT_EQ(Write(u"k\\"), 40153);
  ASSERT_NE(machine_.ClassesRoot().FindSubkey(u"k"), nullptr) << "the key stays";
  EXPECT_EQ(machine_.ClassesRoot().FindSubkey(u"k")->FindValue(u"v"), nullptr);
  EXPECT_EQ(machine_.LeftOpen(), "");
}

// The values themselves are in the conformance suite; here, the order of the writes, that a
// failed one does not stop the next, and that a refused extension key sends the whole type to the
// user's classes (the refused creation itself never reaches the machine).
TEST(FileTypeTest, ThreeEntriesInOrderEachTried) {
  const std::vector<std::string> machine_wide = {".tv1\\", "Tolvex Ubra\\shell\\open\\command\\", "Tolvex Ubra\\"};
  const std::vector<std::string> for_user = {"Software\\Classes\\.tv1\\",
                                             "Software\\Classes\\Tolvex Ubra\\shell\\open\\command\\",
                                             "Software\\Classes\\Tolvex Ubra\\"};
  const struct {
    int failing;  // the creation that fails (0: none)
    std::vector<std::string> created;  // each write tried, in order
    platform::Status status = 5;  // refused, unless advapi32 cannot be loaded (126)
  } cases[] = {
      {0, machine_wide},
      {1, for_user},
      {1, {machine_wide[1], machine_wide[2]}, 126},  // only a refusal sends the type to the user
      {2, {machine_wide[0], machine_wide[2]}},
      {3, {machine_wide[0], machine_wide[1]}},
  };
  for (const auto& c : cases) {
    SimMachine fresh;
    if (c.failing > 0) fresh.faults_.InjectFault(platform::Operation::kRegCreateKeyExA, c.status, c.failing);
    mdlAsociace::RegisterFileType(u".tv1", u"Tolvex Ubra", u"tolDownload.exe");
    std::vector<std::string> order;
    for (const auto& creation : fresh.machine_.KeyCreations()) order.push_back(Show(creation.path));
    EXPECT_EQ(order, c.created) << "write " << c.failing << " failing with " << c.status;
    EXPECT_EQ(fresh.machine_.ClassesRoot().FindSubkey(u".tv1") != nullptr, c.failing != 1);
    EXPECT_EQ(fresh.machine_.UserClasses().FindSubkey(u".tv1") != nullptr, c.created == for_user);
    EXPECT_EQ(fresh.machine_.LeftOpen(), "");
  }
}

}  // namespace
}  // namespace tests
