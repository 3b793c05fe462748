// Registering the course file type.
#include <gtest/gtest.h>

#include "filetype/filetype.h"
#include "tests/host/sim_fixture.h"

namespace tests {
namespace {

// At a drive root, which the conformance suite's discs cannot be on Wine.
TEST(FileTypeTest, OpenCommandAtADriveRoot) {
  EXPECT_EQ(Show(mdlAsociace::DownloadOpenCommand(u"D:\\", u"tolDownload.exe")), "D:\\Download\\tolDownload.exe %1");
}

class RegisterFileTypeTest : public SimTest {
 protected:
  void Register() { mdlAsociace::RegisterFileType(u".tv1", u"Tolvex Ubra", u"tolDownload.exe"); }
};

// The values themselves are in the conformance suite; here, the order of the three writes.
TEST_F(RegisterFileTypeTest, ThreeEntriesInOrder) {
  Register();
  std::vector<std::string> order;
  for (const auto& creation : machine_.KeyCreations()) order.push_back(Show(creation.path));
  EXPECT_EQ(order, (std::vector<std::string>{".tv1\\", "Tolvex Ubra\\shell\\open\\command\\", "Tolvex Ubra\\"}));
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
