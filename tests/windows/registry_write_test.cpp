// SetRegistryValue on the Win32 backend, read back with the registry's own API; and a
// tolOpen.exe built with the course file-type registration on.
#include <gtest/gtest.h>

#include "common/numbered_error.h"
#include "common/platform.h"
#include "registry/registry.h"
#include "tests/windows/wine_fixture.h"
#include "win32/win32_platform.h"

namespace tests {
namespace {

struct RawValue {
  LONG status = -1;
  DWORD type = 0;
  std::string data;
};

RawValue ReadRaw(const char* key, const char* name) {
  RawValue value;
  char data[1024];
  DWORD size = sizeof data;
  HKEY handle = nullptr;
  value.status = RegOpenKeyExA(HKEY_CLASSES_ROOT, key, 0, KEY_READ, &handle);
  if (value.status != ERROR_SUCCESS) return value;
  value.status = RegQueryValueExA(handle, name, nullptr, &value.type, reinterpret_cast<BYTE*>(data), &size);
  if (value.status == ERROR_SUCCESS) value.data.assign(data, size);
  RegCloseKey(handle);
  return value;
}

class Win32RegistryWriteTest : public ::testing::Test {
 protected:
  ~Win32RegistryWriteTest() override { DeleteClassesTree("TolOpenTest.Write"); }
  win32::Win32Platform windows_;
  platform::ScopedPlatform installed_{windows_};
};

TEST_F(Win32RegistryWriteTest, EachKind) {
  const struct {
    const char* what;
    mdlRegistry::RegistryData value;
    std::int32_t kind;
    DWORD type;
    std::string data;
  } cases[] = {
      {"65536", std::int32_t{65536}, 0, REG_DWORD, std::string("\0\0\1\0", 4)},
      {"16-bit -1", std::int16_t{-1}, 0, REG_DWORD, std::string("\xFF\xFF\0\0", 4)},
      {"32-bit -1", std::int32_t{-1}, 0, REG_DWORD, std::string("\xFF\xFF\xFF\xFF", 4)},
      {"text", std::u16string(u"abc"), 1, REG_SZ, std::string("abc", 4)},
      {"empty text", std::u16string(), 1, REG_SZ, std::string("", 1)},
      {"binary", std::u16string(u"abc"), 2, REG_BINARY, "abc"},
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(mdlRegistry::SetRegistryValue(platform::kClassesRoot, u"TolOpenTest.Write\\a\\b\\", u"v", c.value, c.kind)) << c.what;
    const RawValue raw = ReadRaw("TolOpenTest.Write\\a\\b", "v");
    EXPECT_EQ(raw.status, ERROR_SUCCESS) << c.what;
    EXPECT_EQ(raw.type, c.type) << c.what;
    EXPECT_EQ(raw.data, c.data) << c.what;
  }
  // The keys the call created carry the class "1".
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "TolOpenTest.Write\\a", 0, KEY_READ, &key), ERROR_SUCCESS);
  char key_class[16] = {};
  DWORD class_length = sizeof key_class;
  RegQueryInfoKeyA(key, key_class, &class_length, nullptr, nullptr, nullptr, nullptr, nullptr,
                   nullptr, nullptr, nullptr, nullptr);
  RegCloseKey(key);
  EXPECT_STREQ(key_class, "1");
}

TEST_F(Win32RegistryWriteTest, KindThreeAndFailures) {
  EXPECT_TRUE(mdlRegistry::SetRegistryValue(platform::kClassesRoot, u"TolOpenTest.Write\\k3\\", u"v", std::u16string(u"x"), 3));
  EXPECT_EQ(ReadRaw("TolOpenTest.Write\\k3", "v").status, ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(ReadRaw("TolOpenTest.Write\\k3", "").status, ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(ReadRaw("TolOpenTest.Write\\k3", "nothing").status, ERROR_FILE_NOT_FOUND);

  const struct {
    const char* what;
    std::u16string key;
    mdlRegistry::RegistryData value;
    std::int32_t raised;
  } cases[] = {
      {"no number", u"TolOpenTest.Write\\n\\", std::u16string(u"abc"), 49999},
      {"a key path that begins with \\", u"\\TolOpenTest.Write\\", std::u16string(u"x"), 40153},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(mdlRegistry::SetRegistryValue(platform::kClassesRoot, c.key, u"v", c.value, 0).Error().Number(),
              c.raised)
        << c.what;
  }
  EXPECT_EQ(ReadRaw("TolOpenTest.Write\\n", "v").status, ERROR_FILE_NOT_FOUND) << "the key stays, the value is not written";
  EXPECT_EQ(ReadRaw("TolOpenTest.Write\\n", "").status, ERROR_FILE_NOT_FOUND);
}

class FileTypeLaunchTest : public ::testing::Test {
 protected:
  FileTypeLaunchTest() { Clean(); }
  ~FileTypeLaunchTest() override {
    Clean();
    RemoveTree(SystemFolder() + L"\\macromed");
  }
  static void Clean() {
    DeleteClassesTree(".tv1");
    DeleteClassesTree("Tolvex Ubra");
    DeleteClassesTree(".tolopenft");
    DeleteClassesTree("TolOpenTest.FileType");
  }
  ScratchFolder scratch_{L"file-type"};
};

TEST_F(FileTypeLaunchTest, RegistersTheCourseTypeEveryRunAndStartsTheViewer) {
  const std::wstring record = scratch_.Path() + L"\\record.txt";
  SetEnvironmentVariableW(L"TOLOPEN_RECORDER_OUT", record.c_str());
  SetClassesValue(".tolopenft", "", REG_SZ, "TolOpenTest.FileType");
  SetClassesValue("TolOpenTest.FileType\\shell\\open\\command", "", REG_SZ, "\"" + Narrow(BuildFile(RECORDER_EXE)) + "\"");

  const struct {
    std::wstring disc;
    std::string command;  // {disc} stands for the disc folder
  } cases[] = {
      {L"disc", "{disc}\\Download\\tolDownload.exe %1"},
      {L"My Course", "\"{disc}\\Download\\tolDownload.exe\" %1"},
  };
  for (const auto& c : cases) {
    const std::wstring disc = scratch_.Path() + L"\\" + c.disc;
    CreateDirectoryW(disc.c_str(), nullptr);
    ASSERT_TRUE(CopyFileW(BuildFile(TOLOPEN_FILE_TYPE_EXE).c_str(), (disc + L"\\tolOpen.exe").c_str(), FALSE));
    std::string expected = c.command;
    expected.replace(expected.find("{disc}"), 6, Narrow(disc));
    for (int run = 1; run <= 2; ++run) {
      SCOPED_TRACE(Narrow(c.disc) + ", run " + std::to_string(run));
      DeleteFileW(record.c_str());
      EXPECT_EQ(RunAndWait(disc + L"\\tolOpen.exe", L"page.tolopenft", disc), 0u);
      EXPECT_FALSE(AwaitRecording(record).command_line.empty()) << "the viewer starts";
      EXPECT_EQ(ClassesText(".tv1", ""), "Tolvex Ubra");
      EXPECT_EQ(ClassesText("Tolvex Ubra\\shell\\open\\command", ""), expected);
      const RawValue flags = ReadRaw("Tolvex Ubra", "EditFlags");
      EXPECT_EQ(flags.type, static_cast<DWORD>(REG_DWORD));
      EXPECT_EQ(flags.data, std::string("\0\0\1\0", 4));
    }
  }
}

}  // namespace
}  // namespace tests
