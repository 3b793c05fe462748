// The file-system routines of the control installation: their text rules, and what only the
// simulated machine can set up (the rest is in the conformance suite).
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

// At the root of the current drive, which the conformance suite cannot touch on Wine.
TEST_F(MakePathTest, APathFromTheRootOfTheCurrentDrive) {
  machine_.SetCurrentFolder(u"C:\\");
  EXPECT_EQ(mdlFlash::MakePath(u"\\R\\S\\"), common::kTrue);
  EXPECT_TRUE(std::filesystem::is_directory(*machine_.HostPath(u"C:\\R\\S")));
  EXPECT_EQ(Show(machine_.FolderOfDrive(u'C')), "C:\\");
}

TEST_F(MakePathTest, ReadOnlyMediaCreatesNothingAndReportsNothing) {
  machine_.SetReadOnlyDrive(u'D');
  EXPECT_EQ(mdlFlash::MakePath(u"D:\\A\\B\\"), common::kTrue);
  EXPECT_FALSE(std::filesystem::exists(*machine_.HostPath(u"D:\\A")));
  EXPECT_EQ(common::GetCurrentError().number, 0);
}

// System folders that only the simulated machine can have, and a failed call.
TEST_F(MakePathTest, GetSystemFolder) {
  machine_.SetSystemFolder(u"C:\\" + std::u16string(251, u'S'));  // 254 characters: fits
  EXPECT_EQ(mdlFlash::GetSystemFolder().Value().size(), 255u);
  machine_.SetSystemFolder(u"C:\\" + std::u16string(252, u'S'));  // 255: no room for the NUL
  EXPECT_EQ(Show(mdlFlash::GetSystemFolder().Value()), "\\");

  machine_.InjectFault(sim::Operation::kGetSystemDirectory, 5);
  EXPECT_EQ(Show(mdlFlash::GetSystemFolder().Value()), "");
}

}  // namespace
}  // namespace tests
