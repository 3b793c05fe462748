// GetRegistryValue on the Win32 backend, against the real registry.
#include <gtest/gtest.h>

#include "common/numbered_error.h"
#include "common/platform.h"
#include "registry/registry.h"
#include "tests/windows/wine_fixture.h"
#include "win32/win32_platform.h"

namespace tests {
namespace {

constexpr char kKey[] = "TolOpenTest.Read";

class Win32RegistryReadTest : public ::testing::Test {
 protected:
  ~Win32RegistryReadTest() override { DeleteClassesTree(kKey); }

  // Reads HKCR\TolOpenTest.Read "v" into a result that starts as "untouched".
  std::int32_t Read(std::u16string& result, const std::u16string& key = u"TolOpenTest.Read\\",
                    const std::u16string& name = u"v") {
    result = u"untouched";
    const common::Outcome read =
        mdlRegistry::GetRegistryValue(platform::kClassesRoot, key, name, result, u"dflt");
    description_ = read.Error().Description();
    return read.Error().Number();
  }

  win32::Win32Platform windows_;
  platform::ScopedPlatform installed_{windows_};
  std::u16string description_;
};

TEST_F(Win32RegistryReadTest, TypesAndLengths) {
  SetEnvironmentVariableW(L"TOLOPEN_TEST_DIR", L"C:\\Viewer");
  const std::string long_text(1023, 'a');
  const struct {
    const char* what;
    DWORD type;
    std::string data;
    std::u16string expected;
    std::int32_t raised;
  } cases[] = {
      {"REG_SZ with its NUL", REG_SZ, std::string("abc", 4), u"abc", 0},
      {"REG_SZ without NUL", REG_SZ, "abc", u"abc", 0},
      {"REG_SZ, ANSI code page", REG_SZ, std::string("caf\xE9", 5), u"caf\u00E9", 0},
      {"1023 bytes and NUL", REG_SZ, long_text + '\0', std::u16string(1023, u'a'), 0},
      {"past 1024 bytes", REG_SZ, long_text + "a" + '\0', u"dflt", 40154},
      {"REG_DWORD 256", REG_DWORD, std::string("\0\1\0\0", 4), u"256", 0},
      {"REG_DWORD 65536", REG_DWORD, std::string("\0\0\1\0", 4), u"65536", 0},
      {"REG_EXPAND_SZ expanded", REG_EXPAND_SZ, std::string("%TOLOPEN_TEST_DIR%\\v.exe", 25),
       u"C:\\Viewer\\v.exe", 0},
      {"REG_BINARY left alone", REG_BINARY, "abc", u"untouched", 0},
      {"0 bytes of REG_SZ", REG_SZ, "", u"untouched", 49999},
      {"0 bytes of REG_DWORD", REG_DWORD, "", u"untouched", 49999},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SetClassesValue(kKey, "v", c.type, c.data);
    std::u16string result;
    EXPECT_EQ(Read(result), c.raised);
    EXPECT_TRUE(result == c.expected) << Narrow(std::wstring(result.begin(), result.end()));
    if (c.raised == 49999) {
      EXPECT_TRUE(description_ == u"#5: Invalid procedure call or argument (tolOpen)");
    }
  }
}

TEST_F(Win32RegistryReadTest, MissingKeyAndValue) {
  SetClassesValue(kKey, "", REG_SZ, std::string("here", 5));
  std::u16string result;
  EXPECT_EQ(Read(result, u"TolOpenTest.Missing\\", u""), 40154);
  EXPECT_TRUE(result == u"dflt");
  EXPECT_EQ(Read(result, u"TolOpenTest.Read\\", u"missing"), 40154);
  EXPECT_TRUE(result == u"dflt");
  EXPECT_EQ(Read(result, u"tolopentest.read\\", u""), 0);
  EXPECT_TRUE(result == u"here");
}

}  // namespace
}  // namespace tests
