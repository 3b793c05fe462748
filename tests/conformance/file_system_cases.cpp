// The current drive and one current folder per drive, files, and the routines built on them.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "common/error_trap.h"
#include "flash/flash.h"
#include "tests/conformance/machine.h"

namespace conformance {
namespace {

std::string CurrentFolder(platform::Platform& os) { return Show(os.CurrentFolder().Value()); }

TEST(ConformanceFileSystem, EachDriveKeepsItsFolder) {
  const auto machine = NewMachine();
  platform::Platform& os = machine->Platform();
  const std::u16string work = machine->WorkFolder();
  const std::u16string other = machine->OtherDriveFolder();
  machine->WriteFile(work + u"\\sub\\file.txt", 1);
  ASSERT_TRUE(os.ChangeDrive(other));
  ASSERT_TRUE(os.ChangeFolder(other));

  // Another drive's folder changes; the current drive and its folder stay.
  ASSERT_TRUE(os.ChangeFolder(work + u"\\sub\\"));
  EXPECT_EQ(CurrentFolder(os), Show(other));
  // Moving to that drive finds the folder it was given, and moving back finds the first one's.
  ASSERT_TRUE(os.ChangeDrive(work.substr(0, 2) + u"\\anything"));
  EXPECT_EQ(CurrentFolder(os), Show(work + u"\\sub"));
  ASSERT_TRUE(os.ChangeDrive(other.substr(0, 2)));
  EXPECT_EQ(CurrentFolder(os), Show(other));

  const struct {
    const char* what;
    std::function<common::Outcome()> change;
    std::int32_t number;
  } failures[] = {
      {"missing folder", [&] { return os.ChangeFolder(work + u"\\missing"); }, 76},
      {"a file is no folder", [&] { return os.ChangeFolder(work + u"\\sub\\file.txt"); }, 76},
      {"no drive letter", [&] { return os.ChangeDrive(u"\\macromed\\flash\\"); }, 68},
      {"no such drive", [&] { return os.ChangeDrive(u"Q:\\"); }, 68},
  };
  for (const auto& f : failures) {
    const common::Outcome changed = f.change();
    ASSERT_FALSE(changed) << f.what;
    EXPECT_EQ(changed.Error().Number(), f.number) << f.what;
    // Reported for the same Win32 status on every machine, so that the traces agree.
    EXPECT_EQ(changed.Error().Win32Status(), f.number == 76 ? 3u : 15u) << f.what;
    EXPECT_EQ(CurrentFolder(os), Show(other)) << f.what << ": a failure changes nothing";
  }
}

TEST(ConformanceFileSystem, FilesTheirFailuresAndTheSystemFolder) {
  const auto machine = NewMachine();
  platform::Platform& os = machine->Platform();
  const std::u16string work = machine->WorkFolder();
  machine->WriteFile(work + u"\\a.bin", 1000);
  EXPECT_EQ(os.FileLength(work + u"\\a.bin").Value(), 1000);
  ASSERT_TRUE(os.CopyFileReplacing(work + u"\\a.bin", work + u"\\b.bin"));
  EXPECT_EQ(machine->FileSize(work + u"\\b.bin"), 1000);
  const int file = os.OpenForInput(work + u"\\b.bin").Value();
  ASSERT_TRUE(os.CloseFile(file));
  EXPECT_FALSE(os.CloseFile(file)) << "closed twice";
  ASSERT_TRUE(os.MakeFolder(work + u"\\new"));
  EXPECT_FALSE(os.MakeFolder(work + u"\\new")) << "exists";

  // A read-only file is replaced, and the copy is writable; one that is also held open keeps
  // its attribute when the copy fails.
  machine->MakeReadOnly(work + u"\\b.bin");
  ASSERT_TRUE(os.CopyFileReplacing(work + u"\\a.bin", work + u"\\b.bin"));
  EXPECT_FALSE(machine->IsReadOnly(work + u"\\b.bin"));
  machine->MakeReadOnly(work + u"\\b.bin");
  // A file held open without sharing can be neither read nor replaced.
  machine->Hold(work + u"\\b.bin");
  EXPECT_FALSE(os.CopyFileReplacing(work + u"\\a.bin", work + u"\\b.bin"));
  EXPECT_TRUE(machine->IsReadOnly(work + u"\\b.bin")) << "a failed copy leaves the file as it was";
  const struct {
    std::u16string path;
    common::TruthValue exists;
  } cases[] = {
      {work + u"\\a.bin", common::kTrue},           {work + u"\\A.BIN", common::kTrue},
      {work + u"\\missing.bin", common::kFalse},    {work + u"\\new", common::kFalse},
      {work + u"\\nowhere\\x.bin", common::kFalse}, {work + u"\\b.bin", common::kFalse},
      {work + u"\\new\\..\\a.bin", common::kTrue},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(mdlFlash::FileExists(c.path), c.exists) << Show(c.path);
    EXPECT_EQ(common::GetCurrentError().number, 0);
  }

  // The system folder: its length, without its NUL; nothing written where it does not fit.
  platform::AnsiString buffer(255, ' ');
  const std::uint32_t length = os.GetSystemDirectoryA(buffer).Value();
  EXPECT_EQ(std::string(buffer.c_str(), length), Show(machine->SystemFolder()));
  EXPECT_EQ(buffer[length], '\0');
  platform::AnsiString small(3, ' ');
  EXPECT_GT(os.GetSystemDirectoryA(small).Value(), 3u);
  EXPECT_TRUE(small == "   ") << "nothing is written when the folder does not fit";
  EXPECT_EQ(Show(mdlFlash::GetSystemFolder().Value()), Show(machine->SystemFolder() + u"\\"));
}

TEST(ConformanceFileSystem, MakePathLeavesAnotherDriveAtTheLastLevelEntered) {
  const struct {
    const char* what;
    std::vector<std::u16string> existing;  // below the work folder
    std::u16string folder_after;
  } cases[] = {
      {"both levels exist", {u"\\X", u"\\X\\Y"}, u"\\X\\Y"},
      {"only the first exists", {u"\\X"}, u"\\X"},
      {"neither exists: created, not entered", {}, u""},
  };
  for (const auto& c : cases) {
    const auto machine = NewMachine();
    platform::Platform& os = machine->Platform();
    const std::u16string work = machine->WorkFolder();
    const std::u16string other = machine->OtherDriveFolder();
    for (const std::u16string& folder : c.existing) ASSERT_TRUE(os.MakeFolder(work + folder));
    ASSERT_TRUE(os.ChangeDrive(work) && os.ChangeFolder(work) && os.ChangeDrive(other) && os.ChangeFolder(other));

    EXPECT_EQ(mdlFlash::MakePath(work + u"\\X\\Y\\"), common::kTrue) << c.what;
    EXPECT_EQ(CurrentFolder(os), Show(other)) << c.what << ": the current drive and folder as before";
    ASSERT_TRUE(os.ChangeDrive(work));
    EXPECT_EQ(CurrentFolder(os), Show(work + c.folder_after)) << c.what;
    EXPECT_TRUE(os.ChangeFolder(work + u"\\X\\Y")) << c.what << ": every level is there";
  }
  // The text after the last "\" is not a level.
  const auto machine = NewMachine();
  const std::u16string work = machine->WorkFolder();
  mdlFlash::MakePath(work + u"\\A\\B");
  EXPECT_TRUE(machine->Platform().ChangeFolder(work + u"\\A"));
  EXPECT_FALSE(machine->Platform().ChangeFolder(work + u"\\A\\B"));
}

}  // namespace
}  // namespace conformance
