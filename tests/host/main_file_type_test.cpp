// The start-up sequence built with the course file-type registration on.
#include <gtest/gtest.h>

#include "start/main.h"
#include "tests/host/sim_fixture.h"

namespace tests {
namespace {

class MainFileTypeTest : public SimTest {};

TEST_F(MainFileTypeTest, RegistersBeforeTheViewerStarts) {
  SetText(u".html", u"htmlfile");
  SetText(u"htmlfile\\shell\\open\\command", u"C:\\viewer.exe");
  CreateFile(u"C:\\viewer.exe");
  machine_.SetProgramPath(u"D:\\COURSE\\tolOpen.exe");
  mdlMain::Main();

  sim::RegistryNode* command = machine_.ClassesRoot().Find({u"Tolvex Ubra", u"shell", u"open", u"command"});
  ASSERT_NE(command, nullptr);
  const std::vector<std::uint8_t>& data = command->FindValue(u"")->data;
  EXPECT_EQ(std::string(data.begin(), data.end()), std::string("D:\\COURSE\\Download\\tolDownload.exe %1", 38));
  ASSERT_EQ(machine_.StartedProcesses().size(), 1u);

  const std::vector<sim::Operation>& calls = machine_.CallLog();
  const auto registered = std::find(calls.begin(), calls.end(), sim::Operation::kDLLSelfRegister);
  const auto written = std::find(calls.begin(), calls.end(), sim::Operation::kRegSetValueEx);
  const auto started = std::find(calls.begin(), calls.end(), sim::Operation::kStartProcess);
  EXPECT_LT(registered, written) << "the control first, then the file type";
  EXPECT_LT(written, started);
}

}  // namespace
}  // namespace tests
