// Reading and writing one registry value, on each machine's registry.
#include <gtest/gtest.h>

#include <string>

#include "registry/registry.h"
#include "tests/conformance/machine.h"

namespace conformance {
namespace {

// Every key a case writes lies below this one; the machines remove it.
constexpr char16_t kKey[] = u"TolOpenTest.Conformance";

// Reads `name` of `key` into a result that starts as "untouched", with the default "dflt".
struct Read {
  std::int32_t number;
  std::u16string description;
  std::u16string result;
};
Read ReadValue(const std::u16string& key, const std::u16string& name) {
  Read read{0, u"", u"untouched"};
  const common::Outcome outcome =
      mdlRegistry::GetRegistryValue(platform::kClassesRoot, key, name, read.result, u"dflt");
  read.number = common::ErrorNumberOf(outcome);
  if (!outcome) read.description = outcome.Error().Description();
  return read;
}

TEST(ConformanceRegistry, ReadsEachTypeAndLength) {
  const std::string long_text(1023, 'a');
  const struct {
    const char* what;
    std::uint32_t type;
    std::string data;
    std::u16string expected;
    std::int32_t number;
  } cases[] = {
      {"REG_SZ with its NUL", 1, std::string("abc", 4), u"abc", 0},
      {"REG_SZ without NUL", 1, "abc", u"abc", 0},
      {"REG_SZ ending in two NULs keeps one", 1, std::string("abc\0\0", 5), std::u16string(u"abc\0", 4), 0},
      {"REG_SZ of only a NUL", 1, std::string(1, '\0'), u"", 0},
      {"REG_SZ in the ANSI code page", 1, std::string("c\xE9\x80", 4), u"c\u00E9\u20AC", 0},
      {"1023 bytes and NUL read in full", 1, long_text + '\0', std::u16string(1023, u'a'), 0},
      {"1024 bytes and NUL do not fit", 1, long_text + "a" + '\0', u"dflt", 40154},
      {"1024 bytes without NUL read in full", 1, long_text + "a", std::u16string(1024, u'a'), 0},
      {"REG_DWORD 256", 4, std::string("\0\1\0\0", 4), u"256", 0},
      {"REG_DWORD 65536", 4, std::string("\0\0\1\0", 4), u"65536", 0},
      {"REG_DWORD with the top bit set", 4, "\xFF\xFF\xFF\xFF", u"-1", 0},
      {"REG_EXPAND_SZ is expanded", 2, std::string("%TOLOPEN_TEST_DIR%\\v.exe %TOLOPEN_UNSET%", 41),
       u"C:\\Viewer\\v.exe %TOLOPEN_UNSET%", 0},
      {"REG_EXPAND_SZ ends at its first NUL", 2, std::string("%TOLOPEN_TEST_DIR%\0x", 20), u"C:\\Viewer", 0},
      {"a name between two \"%\" that names no variable is kept", 2, "%%TOLOPEN_TEST_DIR%%", u"%%TOLOPEN_TEST_DIR%%", 0},
      {"REG_NONE leaves the result", 0, "\7", u"untouched", 0},
      {"REG_BINARY leaves the result", 3, "abc", u"untouched", 0},
      {"REG_MULTI_SZ leaves the result", 7, std::string("a\0b\0\0", 5), u"untouched", 0},
      {"0 bytes of REG_SZ", 1, "", u"untouched", 49999},
      {"0 bytes of REG_DWORD", 4, "", u"untouched", 49999},
  };
  const auto machine = NewMachine();
  machine->SetEnvironment(u"TOLOPEN_TEST_DIR", u"C:\\Viewer");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    machine->SetClassesValue(kKey, u"v", c.type, c.data);
    const Read read = ReadValue(std::u16string(kKey) + u"\\", u"v");
    EXPECT_EQ(read.number, c.number);
    EXPECT_EQ(Show(read.result), Show(c.expected));
    const char* description = c.number == 49999   ? "#5: Invalid procedure call or argument (tolOpen)"
                              : c.number == 40154 ? "Application-defined or object-defined error"
                                                  : "";
    EXPECT_EQ(Show(read.description), description);
  }
}

TEST(ConformanceRegistry, MissingKeysAndValuesGiveTheDefault) {
  const auto machine = NewMachine();
  machine->SetClassesValue(kKey, u"", 1, std::string("here", 5));
  machine->SetClassesValue(std::u16string(kKey) + u"\\a?b", u"", 1, std::string("found", 6));
  // Through the ANSI entries, as the launcher writes: the case's own set-up writes ASCII names.
  ASSERT_TRUE(mdlRegistry::SetRegistryValue(platform::kClassesRoot, std::u16string(kKey) + u"\\\u0153\u00F7\u00FF\\", u"",
                                            std::u16string(u"folded"), 1));
  const struct {
    const char* what;
    std::u16string key;
    std::u16string name;
    std::int32_t number;
    std::u16string result;
  } cases[] = {
      {"missing key", u"TolOpenTest.Missing\\", u"", 40154, u"dflt"},
      {"missing value", std::u16string(kKey) + u"\\", u"missing", 40154, u"dflt"},
      {"names compare without case", u"tolopentest.CONFORMANCE\\", u"", 0, u"here"},
      {"no trailing separator", kKey, u"", 0, u"here"},
      {"the key \"\\\" is the root, which has no default value", u"\\", u"", 40154, u"dflt"},
      {"a name the ANSI code page cannot hold is looked up with \"?\"", std::u16string(kKey) + u"\\a\u0416b", u"", 0,
       u"found"},
      {"\u0153 and \u00FF compare with their capitals", std::u16string(kKey) + u"\\\u0152\u00F7\u0178", u"", 0, u"folded"},
      {"\u00F7 is no small \u00D7", std::u16string(kKey) + u"\\\u0153\u00D7\u00FF", u"", 40154, u"dflt"},
  };
  for (const auto& c : cases) {
    const Read read = ReadValue(c.key, c.name);
    EXPECT_EQ(read.number, c.number) << c.what;
    EXPECT_EQ(Show(read.result), Show(c.result)) << c.what;
  }
}

TEST(ConformanceRegistry, WritesTheBytesOfEachKind) {
  const struct {
    const char* what;
    mdlRegistry::RegistryData value;
    std::int32_t kind;
    std::uint32_t type;
    std::string data;
  } cases[] = {
      {"65536", std::int32_t{65536}, 0, 4, std::string("\0\0\1\0", 4)},
      {"32-bit -1", std::int32_t{-1}, 0, 4, "\xFF\xFF\xFF\xFF"},
      {"16-bit -1 keeps its width", std::int16_t{-1}, 0, 4, std::string("\xFF\xFF\0\0", 4)},
      {"text that reads as a number", std::u16string(u" -2 "), 0, 4, "\xFE\xFF\xFF\xFF"},
      {"a half rounds to even", 2.5, 0, 4, std::string("\2\0\0\0", 4)},
      {"empty text", std::u16string(), 1, 1, std::string(1, '\0')},
      {"text", std::u16string(u"abc"), 1, 1, std::string("abc", 4)},
      {"text in the ANSI code page", std::u16string(u"\u00E9\u20AC\u0416"), 1, 1, std::string("\xE9\x80?", 4)},
      {"a number as text", std::int32_t{12}, 1, 1, std::string("12", 3)},
      {"a fraction as text", 2.5, 1, 1, std::string("2.5", 4)},
      {"a tiny number as text", 1.5e-7, 1, 1, std::string("1.5E-07", 8)},
      {"binary data", std::u16string(u"abc"), 2, 3, "abc"},
  };
  const auto machine = NewMachine();
  const std::u16string key = std::u16string(kKey) + u"\\a\\b";
  for (const auto& c : cases) {
    EXPECT_TRUE(mdlRegistry::SetRegistryValue(platform::kClassesRoot, key + u"\\", u"v", c.value, c.kind))
        << c.what;
    const ClassesValue stored = machine->GetClassesValue(key, u"v");
    EXPECT_EQ(stored.type, c.type) << c.what;
    EXPECT_EQ(stored.data, c.data) << c.what;
  }
  EXPECT_EQ(Show(machine->KeyClass(std::u16string(kKey) + u"\\a")), "1") << "a created key has the class 1";
}

TEST(ConformanceRegistry, KeysValuesAndFailures) {
  const auto machine = NewMachine();
  const std::u16string key = std::u16string(kKey) + u"\\k";
  const auto write = [](const std::u16string& path, const mdlRegistry::RegistryData& value, std::int32_t kind) {
    return mdlRegistry::SetRegistryValue(platform::kClassesRoot, path, u"v", value, kind);
  };
  machine->SetClassesValue(kKey, u"", 1, std::string(1, '\0'));  // exists already, without a class

  // Kind 3 creates every missing key along the path and writes nothing.
  EXPECT_EQ(common::ErrorNumberOf(write(key + u"\\shell\\open\\command\\", std::u16string(u"x"), 3)), 0);
  EXPECT_EQ(Show(machine->KeyClass(key + u"\\shell\\open\\command")), "1");
  // Windows records the class only on the keys the call created; Wine on the keys that already
  // were along the path too.
  EXPECT_EQ(Show(machine->KeyClass(kKey)), machine->UnderWine() ? "1" : "") << "the class of a key that was there";
  EXPECT_FALSE(machine->GetClassesValue(key + u"\\shell\\open\\command", u"v").exists);

  // A value that cannot be converted: 49999; the key stays, the value is not written.
  const struct {
    mdlRegistry::RegistryData value;
    std::int32_t kind;
    const char* description;
  } conversions[] = {
      {std::u16string(u"12a"), 0, "#13: Type mismatch (tolOpen)"},
      {std::u16string(), 0, "#13: Type mismatch (tolOpen)"},
      {std::u16string(u"2147483648"), 0, "#6: Overflow (tolOpen)"},
      {1e12, 0, "#6: Overflow (tolOpen)"},
      {mdlRegistry::Null{}, 0, "#94: Invalid use of Null (tolOpen)"},
      {mdlRegistry::Null{}, 1, "#94: Invalid use of Null (tolOpen)"},
  };
  for (const auto& c : conversions) {
    const common::Outcome written = write(key + u"\\n\\", c.value, c.kind);
    ASSERT_FALSE(written) << c.description;
    EXPECT_EQ(written.Error().Number(), 49999) << c.description;
    EXPECT_EQ(Show(written.Error().Description()), c.description);
    EXPECT_EQ(Show(machine->KeyClass(key + u"\\n")), "1") << "the key stays";
    EXPECT_FALSE(machine->GetClassesValue(key + u"\\n", u"v").exists);
  }
  // A key path that begins with "\" names no key that can be created.
  EXPECT_EQ(common::ErrorNumberOf(write(u"\\" + key + u"\\", std::u16string(u"x"), 1)), 40153);

  // A value that exists is replaced, type and all, and reads back as written.
  ASSERT_EQ(common::ErrorNumberOf(write(key + u"\\", std::u16string(u"first"), 1)), 0);
  ASSERT_EQ(common::ErrorNumberOf(write(key + u"\\", std::int32_t{65536}, 0)), 0);
  EXPECT_EQ(Show(ReadValue(key + u"\\", u"v").result), "65536");
  ASSERT_EQ(common::ErrorNumberOf(write(key + u"\\", std::u16string(u"caf\u00E9 %1"), 1)), 0);
  EXPECT_EQ(Show(ReadValue(key + u"\\", u"v").result), "caf\u00E9 %1");
}

}  // namespace
}  // namespace conformance
