// Reading one registry value as text: the table of types and lengths, and the failures.
#include <gtest/gtest.h>

#include "common/error_trap.h"
#include "registry/registry.h"
#include "tests/host/sim_fixture.h"

namespace tests {
namespace {

using common::NumberedError;

struct ReadCase {
  const char* what;
  std::uint32_t type;
  std::vector<std::uint8_t> data;
  std::u16string expected;  // the result, starting from "untouched"
  std::int32_t raised;      // 0 for none
};

std::vector<std::uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

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

TEST_F(RegistryReadTest, TypesAndLengths) {
  const std::string long_text(1023, 'a');
  const ReadCase cases[] = {
      {"REG_SZ with its NUL", 1, Bytes(std::string("abc", 4)), u"abc", 0},
      {"REG_SZ without NUL", 1, Bytes("abc"), u"abc", 0},
      {"REG_SZ ending in two NULs keeps one", 1, Bytes(std::string("abc\0\0", 5)), std::u16string(u"abc\0", 4), 0},
      {"REG_SZ of only a NUL", 1, {0}, u"", 0},
      {"REG_SZ in the ANSI code page", 1, {'c', 0xE9, 0x80, 0}, u"c\u00E9\u20AC", 0},
      {"1023 bytes and NUL read in full", 1, Bytes(long_text + '\0'), std::u16string(1023, u'a'), 0},
      {"1024 bytes and NUL do not fit", 1, Bytes(long_text + "a" + '\0'), u"dflt", 40154},
      {"REG_DWORD 0", 4, {0, 0, 0, 0}, u"0", 0},
      {"REG_DWORD 256", 4, {0, 1, 0, 0}, u"256", 0},
      {"REG_DWORD 65536", 4, {0, 0, 1, 0}, u"65536", 0},
      {"REG_DWORD with the top bit set", 4, {0xFF, 0xFF, 0xFF, 0xFF}, u"-1", 0},
      {"REG_BINARY is left alone", 3, {1, 2, 3}, u"untouched", 0},
      {"REG_MULTI_SZ is left alone", 7, Bytes(std::string("a\0b\0\0", 5)), u"untouched", 0},
      {"REG_NONE is left alone", 0, {7}, u"untouched", 0},
      {"0 bytes of REG_SZ", 1, {}, u"untouched", 49999},
      {"0 bytes of REG_DWORD", 4, {}, u"untouched", 49999},
  };
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(c.what);
    SetValue(u"k", u"v", c.type, c.data);
    std::u16string result;
    EXPECT_EQ(Read(result), c.raised);
    EXPECT_EQ(Show(result), Show(c.expected));
    EXPECT_EQ(machine_.OpenKeyCount(), 0u) << "the key is closed on every path";
    if (c.raised == 49999) {
      // A value of no bytes has no last byte to look at: an invalid argument, wrapped.
      EXPECT_EQ(Show(last_error_.Description()), "#5: Invalid procedure call or argument (tolOpen)");
      EXPECT_EQ(Show(last_error_.Source()), "tolOpen");
    }
  }
}

TEST_F(RegistryReadTest, ExpandableTextIsExpanded) {
  machine_.SetEnvironmentVariable(u"ProgramFiles", u"C:\\Program Files");
  SetValue(u"k", u"v", 2, Bytes(std::string("%PROGRAMFILES%\\v.exe %UNSET%", 28) + '\0'));
  std::u16string result;
  EXPECT_EQ(Read(result), 0);
  EXPECT_EQ(Show(result), "C:\\Program Files\\v.exe %UNSET%");
}

TEST_F(RegistryReadTest, MissingKeyOrValueGivesTheDefault) {
  SetText(u"k", u"default text");
  struct {
    const char* what;
    std::u16string key;
    std::u16string name;
    std::int32_t raised;
    const char* expected;
  } const cases[] = {
      {"missing key", u"nokey\\", u"", 40154, "dflt"},
      {"missing value", u"k\\", u"nothing", 40154, "dflt"},
      {"value name \"\" reads the default value", u"k\\", u"", 0, "default text"},
      {"names compare without case", u"K\\", u"", 0, "default text"},
      {"the key \"\\\" is the root, which has no default value", u"\\", u"", 40154, "dflt"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::u16string result;
    EXPECT_EQ(Read(result, c.key, c.name), c.raised);
    EXPECT_EQ(Show(result), c.expected);
    EXPECT_EQ(machine_.OpenKeyCount(), 0u);
  }
}

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

TEST_F(RegistryReadTest, CallerTextIsNotWrittenBack) {
  // A name that the ANSI code page cannot hold reaches the registry as "?", and the caller's
  // own strings stay as they were.
  SetText(u"a?b", u"found");
  const std::u16string key = u"a\u0416b";
  const std::u16string name = u"";
  std::u16string result;
  EXPECT_TRUE(mdlRegistry::GetRegistryValue(platform::kClassesRoot, key, name, result, u""));
  EXPECT_EQ(Show(result), "found");
  EXPECT_EQ(Show(key), Show(u"a\u0416b"));
}

}  // namespace
}  // namespace tests
