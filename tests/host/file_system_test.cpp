// The file-system routines of the control installation.
#include <gtest/gtest.h>

#include "common/error_trap.h"
#include "flash/flash.h"
#include "tests/host/sim_fixture.h"

namespace tests {
namespace {

TEST(FileSystemTest, AddBackslash) {
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

TEST(FileSystemTest, TrimAtNull) {
  EXPECT_EQ(Show(mdlFlash::TrimAtNull(std::u16string(u"ABC\0   ", 7))), "ABC");
  EXPECT_EQ(Show(mdlFlash::TrimAtNull(u"ABC  ")), "ABC  ");
  EXPECT_EQ(Show(mdlFlash::TrimAtNull(std::u16string(u"\0ABC", 4))), "");
}

class MakePathTest : public SimTest {};

TEST_F(MakePathTest, CreatesEachMissingLevelAndSetsTheFolderBack) {
  machine_.SetCurrentFolder(u"C:\\");
  ASSERT_TRUE(machine_.HostPath(u"C:\\WINDOWS\\SYSTEM"));
  std::filesystem::create_directories(*machine_.HostPath(u"C:\\WINDOWS\\SYSTEM"));

  EXPECT_EQ(mdlFlash::MakePath(u"C:\\WINDOWS\\SYSTEM\\macromed\\flash\\"), common::kTrue);
  EXPECT_TRUE(std::filesystem::is_directory(*machine_.HostPath(u"C:\\WINDOWS\\SYSTEM\\macromed\\flash")));
  EXPECT_EQ(Show(machine_.FolderOfDrive(u'C')), "C:\\");
  EXPECT_EQ(common::GetCurrentError().number, 0);

  // The text after the last "\" is not a level.
  mdlFlash::MakePath(u"C:\\A\\B");
  EXPECT_TRUE(std::filesystem::is_directory(*machine_.HostPath(u"C:\\A")));
  EXPECT_FALSE(std::filesystem::exists(*machine_.HostPath(u"C:\\A\\B")));

  // A path beginning with "\" lies at the root of the current drive.
  mdlFlash::MakePath(u"\\R\\S\\");
  EXPECT_TRUE(std::filesystem::is_directory(*machine_.HostPath(u"C:\\R\\S")));
}

TEST_F(MakePathTest, AnotherDriveKeepsTheLastLevelEntered) {
  const struct {
    const char* what;
    std::vector<std::u16string> existing;
    const char* c_folder_after;
  } cases[] = {
      {"both levels exist", {u"C:\\X\\Y"}, "C:\\X\\Y"},
      {"only the first exists", {u"C:\\X"}, "C:\\X"},
      {"neither exists: created, not entered", {}, "C:\\"},
  };
  for (const auto& c : cases) {
    SimMachine fresh;
    for (const std::u16string& folder : c.existing) {
      std::filesystem::create_directories(*fresh.machine_.HostPath(folder));
    }
    fresh.machine_.SetCurrentFolder(u"C:\\");
    fresh.machine_.SetCurrentFolder(u"D:\\");
    EXPECT_EQ(mdlFlash::MakePath(u"C:\\X\\Y\\"), common::kTrue);
    EXPECT_EQ(fresh.machine_.CurrentDrive(), u'D') << c.what;
    EXPECT_EQ(Show(fresh.machine_.FolderOfDrive(u'D')), "D:\\") << c.what;
    EXPECT_EQ(Show(fresh.machine_.FolderOfDrive(u'C')), c.c_folder_after) << c.what;
    EXPECT_TRUE(std::filesystem::is_directory(*fresh.machine_.HostPath(u"C:\\X\\Y"))) << c.what;
  }
}

TEST_F(MakePathTest, ReadOnlyMediaCreatesNothingAndReportsNothing) {
  machine_.SetReadOnlyDrive(u'D');
  EXPECT_EQ(mdlFlash::MakePath(u"D:\\A\\B\\"), common::kTrue);
  EXPECT_FALSE(std::filesystem::exists(*machine_.HostPath(u"D:\\A")));
  EXPECT_EQ(common::GetCurrentError().number, 0);
}

TEST_F(MakePathTest, FileExists) {
  CreateFile(u"C:\\here.txt");
  CreateFile(u"C:\\locked.txt");
  machine_.LockFile(u"C:\\locked.txt");
  std::filesystem::create_directories(*machine_.HostPath(u"C:\\folder"));
  const struct {
    std::u16string path;
    common::TruthValue expected;
  } cases[] = {
      {u"C:\\here.txt", common::kTrue},   {u"C:\\HERE.TXT", common::kTrue},
      {u"C:\\missing.txt", common::kFalse}, {u"C:\\folder", common::kFalse},
      {u"C:\\nowhere\\x.txt", common::kFalse}, {u"C:\\locked.txt", common::kFalse},
      {u"Q:\\x.txt", common::kFalse},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(mdlFlash::FileExists(c.path), c.expected) << Show(c.path);
    EXPECT_EQ(common::GetCurrentError().number, 0);
    EXPECT_EQ(machine_.OpenFileCount(), 0u);
  }
}

TEST_F(MakePathTest, GetSystemFolder) {
  EXPECT_EQ(Show(mdlFlash::GetSystemFolder().Value()), "C:\\WINDOWS\\SYSTEM\\");

  machine_.SetSystemFolder(u"C:\\" + std::u16string(251, u'S'));  // 254 characters: fits
  EXPECT_EQ(mdlFlash::GetSystemFolder().Value().size(), 255u);
  machine_.SetSystemFolder(u"C:\\" + std::u16string(252, u'S'));  // 255: no room for the NUL
  EXPECT_EQ(Show(mdlFlash::GetSystemFolder().Value()), "\\");

  machine_.InjectFault(sim::Operation::kGetSystemDirectory, 5);
  EXPECT_EQ(Show(mdlFlash::GetSystemFolder().Value()), "");
}

}  // namespace
}  // namespace tests
