// The fault sweep: for whole runs of the launcher, every platform call is made to fail in turn,
// with each failure that its operation can really have, and the machine is checked afterwards.
//
// After every faulted run: Main returned; the current drive and its folder are as before; no
// key or file is left open; a control registered from the system folder is a complete copy of
// the disc's control or the long-enough file that was there; every file-type write after a
// failed one was still attempted; and the viewer was started whenever both registry lookups
// and the start itself went through.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>

#include "tests/host/sim_fixture.h"

namespace tests {
namespace {

using sim::Operation;

// The failures each operation can meet on a real machine (Win32 statuses).
std::vector<platform::Status> RealFailures(Operation operation) {
  switch (operation) {
    case Operation::kCommandLineArgument: case Operation::kProgramFolder: case Operation::kToAnsi:
    case Operation::kFromAnsi: case Operation::kExpandEnvironment: case Operation::kGetSystemDirectory:
      return {8};  // not enough memory
    case Operation::kStartProcess: return {2, 5, 193, 8};  // not found, access denied, not a program
    case Operation::kRegOpenKeyEx: return {2, 5, 126};  // missing, refused, advapi32 not loadable
    case Operation::kRegQueryValueEx: return {2, 5, 234, 127};  // missing, refused, more data, no such entry
    case Operation::kRegCloseKey: case Operation::kCloseFile: return {6};  // invalid handle
    case Operation::kRegCreateKeyEx: return {5, 161};  // refused, bad path
    case Operation::kRegSetValueEx: return {5, 1016};  // refused, registry I/O failed
    case Operation::kCurrentFolder: return {8, 21};  // memory, device not ready
    case Operation::kChangeDrive: return {15, 21};  // invalid drive, not ready
    case Operation::kChangeFolder: return {3, 5, 21};
    case Operation::kMakeFolder: return {3, 5, 19, 183};  // ..., write protected, already exists
    case Operation::kOpenForInput: return {2, 3, 5, 32};  // ..., sharing violation
    case Operation::kFileLength: return {2, 5};
    case Operation::kCopyFile: return {5, 32, 112};  // ..., disk full
    case Operation::kDLLSelfRegister: return {126, 127, 5};  // library missing, entry missing, registration failed
    case Operation::kCount: break;
  }
  return {};
}

std::string Contents(const std::string& host_path) {
  std::ifstream file(host_path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

struct Scenario {
  const char* id;    // the test's name
  const char* name;
  bool control_in_place;   // a long-enough copy lies in the system folder already
  bool viewer_registered;
  bool control_on_disc;
};

// One machine of a scenario, ready to run.
class ScenarioMachine : public SimMachine {
 public:
  explicit ScenarioMachine(const Scenario& scenario) {
    MakeCourse();
    if (!scenario.control_on_disc) std::filesystem::remove(*machine_.HostPath(kDiscCopy));
    if (scenario.control_in_place) CreateControl(kSystemCopy, 0x63000);
    if (!scenario.viewer_registered) machine_.ClassesRoot().FindSubkey(u"htmlfile")->DeleteSubkey(u"shell");
    machine_.SetReadOnlyDrive(u'D');
    system_copy_before_ = Contents(*machine_.HostPath(kSystemCopy));
    disc_copy_ = Contents(*machine_.HostPath(kDiscCopy));
  }

  // What is wrong with the machine after a run, or "".
  std::string Check(long faulted_call,
                    const std::vector<std::u16string>& baseline_writes,
                    const std::vector<long>& baseline_write_calls, bool expect_viewer) const {
    std::ostringstream problems;
    if (machine_.CurrentDrive() != u'D' || machine_.FolderOfDrive(u'D') != u"D:\\") {
      problems << "the current drive and folder were not set back; ";
    }
    if (machine_.OpenKeyCount() != 0) problems << machine_.OpenKeyCount() << " key(s) left open; ";
    if (machine_.OpenFileCount() != 0) problems << machine_.OpenFileCount() << " file(s) left open; ";
    for (const sim::Registration& registration : machine_.Registrations()) {
      if (registration.path != kSystemCopy) continue;
      const std::string copy = Contents(*machine_.HostPath(kSystemCopy));
      if (copy != disc_copy_ && !(copy == system_copy_before_ && copy.size() >= 0x63000)) {
        problems << "a partial or foreign control (" << copy.size() << " bytes) was registered; ";
      }
    }
    // File-type writes: every one is attempted, except the one that the failed call was
    // preparing (the first whose key creation comes at or after it); none after it is lost.
    bool preparing_seen = false;
    for (std::size_t i = 0; i < baseline_writes.size(); ++i) {
      if (faulted_call != 0 && !preparing_seen && baseline_write_calls[i] >= faulted_call) {
        preparing_seen = true;
        continue;
      }
      bool attempted = false;
      for (const auto& creation : machine_.KeyCreations()) attempted |= creation.path == baseline_writes[i];
      if (!attempted) problems << "the write of " << Show(baseline_writes[i]) << " was not attempted; ";
    }
    if (expect_viewer && machine_.StartedProcesses().empty()) problems << "the viewer was not started; ";
    return problems.str();
  }

 private:
  std::string system_copy_before_;
  std::string disc_copy_;
};

class FaultSweep : public ::testing::TestWithParam<Scenario> {};

TEST_P(FaultSweep, EveryCallFailsInTurn) {
  const Scenario& scenario = GetParam();
  std::vector<Operation> baseline;
  std::vector<std::u16string> writes;
  std::vector<long> write_calls;
  {
    ScenarioMachine machine(scenario);
    mdlMain::Main();
    baseline = machine.machine_.CallLog();
    for (const auto& creation : machine.machine_.KeyCreations()) writes.push_back(creation.path);
    for (long k = 1; k <= static_cast<long>(baseline.size()); ++k) {
      if (baseline[k - 1] == Operation::kRegCreateKeyEx) write_calls.push_back(k);
    }
    ASSERT_EQ(machine.Check(0, writes, write_calls, scenario.viewer_registered), "")
        << "the run without faults";
  }
  // The calls of the two registry lookups: after the argument is read, up to the second close.
  long lookups_begin = 0, lookups_end = 0, closes = 0;
  for (long k = 1; k <= static_cast<long>(baseline.size()); ++k) {
    if (baseline[k - 1] == Operation::kCommandLineArgument) lookups_begin = k + 1;
    if (baseline[k - 1] == Operation::kRegCloseKey && ++closes == 2) lookups_end = k;
  }

  int runs = 0;
  for (long k = 1; k <= static_cast<long>(baseline.size()); ++k) {
    for (const platform::Status status : RealFailures(baseline[k - 1])) {
      ScenarioMachine machine(scenario);
      machine.machine_.FailCall(k, status);
      mdlMain::Main();
      ++runs;
      const bool lookups_failed = k >= lookups_begin && k <= lookups_end;
      const bool start_failed = baseline[k - 1] == Operation::kStartProcess;
      const std::string problems = machine.Check(k, writes, write_calls,
                                                 scenario.viewer_registered && !lookups_failed && !start_failed);
      ASSERT_EQ(problems, "") << scenario.name << ": call " << k << " ("
                              << sim::OperationName(baseline[k - 1]) << ") failing with status " << status;
    }
  }
  std::printf("fault sweep, %s: %d faulted runs over %zu platform calls\n", scenario.name, runs, baseline.size());
}

std::string ScenarioId(const ::testing::TestParamInfo<Scenario>& info) { return info.param.id; }

#ifdef TOLOPEN_SWEEP_FILE_TYPE
INSTANTIATE_TEST_SUITE_P(Scenarios, FaultSweep,
                         ::testing::Values(Scenario{"FileTypeOn", "file type registration on", false, true, true}),
                         ScenarioId);
#else
INSTANTIATE_TEST_SUITE_P(
    Scenarios, FaultSweep,
    ::testing::Values(Scenario{"FreshMachine", "fresh machine", false, true, true},
                      Scenario{"ControlInPlace", "control already in place", true, true, true},
                      Scenario{"NoViewer", "no viewer registered", false, false, true},
                      Scenario{"DiscWithoutControl", "disc without the control", false, true, false}),
    ScenarioId);
#endif

}  // namespace
}  // namespace tests
