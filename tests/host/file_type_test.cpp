// Registering the course file type.
#include <gtest/gtest.h>

#include "filetype/filetype.h"
#include "tests/host/sim_fixture.h"

namespace tests {
namespace {

TEST(FileTypeTest, OpenCommand) {
  const struct {
    std::u16string folder;
    const char* expected;
  } cases[] = {
      {u"C:\\Course", "C:\\Course\\Download\\tolDownload.exe %1"},
      {u"D:\\", "D:\\Download\\tolDownload.exe %1"},
      {u"C:\\My Course", "\"C:\\My Course\\Download\\tolDownload.exe\" %1"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Show(mdlAsociace::DownloadOpenCommand(c.folder, u"tolDownload.exe")), c.expected);
  }
}

class RegisterFileTypeTest : public SimTest {
 protected:
  std::string Text(const std::u16string& key, const std::u16string& name = u"") {
    sim::RegistryNode* node = machine_.ClassesRoot().Find(sim::SplitKeyPath(key));
    const sim::RegistryValue* value = node == nullptr ? nullptr : node->FindValue(name);
    if (value == nullptr) return "(none)";
    return std::string(value->data.begin(), value->data.end());
  }
  void Register() { mdlAsociace::RegisterFileType(u".tv1", u"Tolvex Ubra", u"tolDownload.exe"); }
};

TEST_F(RegisterFileTypeTest, ThreeEntriesInOrderEveryTime) {
  for (int run = 1; run <= 2; ++run) {
    Register();
    EXPECT_EQ(Text(u".tv1"), std::string("Tolvex Ubra", 12)) << "run " << run;
    EXPECT_EQ(Text(u"Tolvex Ubra\\shell\\open\\command"),
              std::string("D:\\Download\\tolDownload.exe %1", 31)) << "run " << run;
    EXPECT_EQ(Text(u"Tolvex Ubra", u"EditFlags"), std::string("\0\0\1\0", 4)) << "run " << run;
  }
  std::vector<std::string> order;
  for (const auto& creation : machine_.KeyCreations()) order.push_back(Show(creation.path));
  EXPECT_EQ(order, (std::vector<std::string>{".tv1\\", "Tolvex Ubra\\shell\\open\\command\\", "Tolvex Ubra\\",
                                             ".tv1\\", "Tolvex Ubra\\shell\\open\\command\\", "Tolvex Ubra\\"}));
  EXPECT_EQ(machine_.OpenKeyCount(), 0u);
}

TEST_F(RegisterFileTypeTest, AFailedWriteDoesNotStopTheNext) {
  for (int failing = 1; failing <= 3; ++failing) {
    SimMachine fresh;
    fresh.machine_.InjectFault(sim::Operation::kRegCreateKeyEx, 5, failing);
    Register();
    const sim::RegistryNode& root = fresh.machine_.ClassesRoot();
    EXPECT_EQ(fresh.machine_.KeyCreations().size(), 3u) << "write " << failing << " failed";
    EXPECT_EQ(root.FindSubkey(u".tv1") != nullptr, failing != 1);
    EXPECT_EQ(fresh.machine_.OpenKeyCount(), 0u);
  }
}

}  // namespace
}  // namespace tests
