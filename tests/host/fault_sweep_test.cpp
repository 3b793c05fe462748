// The fault sweep: whole runs of the launcher with platform calls made to fail, with each
// failure that its operation can really have: every call in turn (a passing fault), every
// operation from each of its calls on (a persistent one, as a disc taken out mid-run), and every
// pair of calls on the control's installation path, the second among the calls of the fallback
// path that the first one opened. The machine is checked after each run.
//
// After every faulted run: Main returned; the current drive and its folder are as before; no
// key or file is left open; the control registered itself at most once, and one registered from
// the system folder is a complete copy of the disc's control or the long-enough file that was
// there; the system folder holds no partial copy; every file-type write after a failed one was
// still attempted; and the viewer was started exactly once whenever both registry lookups and
// the start itself went through, never more.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
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
  std::string Check(long first_fault, const std::vector<std::u16string>& baseline_writes,
                    const std::vector<long>& baseline_write_calls, bool expect_viewer, bool expect_set_back = true) const {
    std::ostringstream problems;
    if (expect_set_back && (machine_.CurrentDrive() != u'D' || machine_.FolderOfDrive(u'D') != u"D:\\")) {
      problems << "the current drive and folder were not set back; ";
    }
    if (machine_.OpenKeyCount() != 0) problems << machine_.OpenKeyCount() << " key(s) left open; ";
    if (machine_.OpenFileCount() != 0) problems << machine_.OpenFileCount() << " file(s) left open; ";
    int registered = 0;
    for (const sim::Registration& registration : machine_.Registrations()) registered += registration.result == 0;
    if (registered > 1) problems << "the control registered itself " << registered << " times; ";
    const std::string copy = Contents(*machine_.HostPath(kSystemCopy));
    const bool complete = copy == disc_copy_ || (copy == system_copy_before_ && (copy.empty() || copy.size() >= 0x63000));
    if (!complete) problems << "the system folder holds a partial or foreign control (" << copy.size() << " bytes); ";
    for (const sim::Registration& registration : machine_.Registrations()) {
      if (registration.path == kSystemCopy && registration.result == 0 && copy.empty()) {
        problems << "a control that is not there was registered; ";
      }
    }
    // File-type writes: every one is attempted, except the one that the first failed call was
    // preparing (the first whose key creation comes at or after it); none after it is lost.
    bool preparing_seen = false;
    for (std::size_t i = 0; i < baseline_writes.size(); ++i) {
      if (first_fault != 0 && !preparing_seen && baseline_write_calls[i] >= first_fault) {
        preparing_seen = true;
        continue;
      }
      bool attempted = false;
      for (const auto& creation : machine_.KeyCreations()) attempted |= creation.path == baseline_writes[i];
      if (!attempted) problems << "the write of " << Show(baseline_writes[i]) << " was not attempted; ";
    }
    const std::size_t started = machine_.StartedProcesses().size();
    if (started > 1) problems << "the viewer was started " << started << " times; ";
    if (expect_viewer && started == 0) problems << "the viewer was not started; ";
    return problems.str();
  }

 private:
  std::string system_copy_before_;
  std::string disc_copy_;
};

// The faults of one run: calls by number, and perhaps one operation from one of its calls on.
struct Faults {
  std::vector<std::pair<long, platform::Status>> calls;
  Operation persistent = Operation::kCount;
  int from_occurrence = 0;
  platform::Status persistent_status = 0;
};

std::string Describe(const Faults& faults, const std::vector<Operation>& log) {
  std::ostringstream text;
  for (const auto& [call, status] : faults.calls) {
    text << "call " << call << " (" << sim::OperationName(log[call - 1]) << ") failing with " << status << "; ";
  }
  if (faults.persistent != Operation::kCount) {
    text << sim::OperationName(faults.persistent) << " failing with " << faults.persistent_status << " from its call "
         << faults.from_occurrence << " on";
  }
  return text.str();
}

class FaultSweep : public ::testing::TestWithParam<Scenario> {
 protected:
  void SetUp() override {
    ScenarioMachine machine(GetParam());
    mdlMain::Main();
    baseline_ = machine.machine_.CallLog();
    for (const auto& creation : machine.machine_.KeyCreations()) writes_.push_back(creation.path);
    for (long k = 1; k <= static_cast<long>(baseline_.size()); ++k) {
      if (baseline_[k - 1] == Operation::kRegCreateKeyEx) write_calls_.push_back(k);
      // The calls of the two registry lookups: after the argument is read, up to the second close.
      if (baseline_[k - 1] == Operation::kCommandLineArgument) lookups_begin_ = k + 1;
      if (baseline_[k - 1] == Operation::kRegCloseKey && ++closes_ == 2) lookups_end_ = k;
    }
    ASSERT_EQ(machine.Check(0, writes_, write_calls_, GetParam().viewer_registered), "") << "the run without faults";
  }

  // Runs the scenario with the faults, checks it, and gives its call log.
  std::vector<Operation> Run(const Faults& faults) {
    ScenarioMachine machine(GetParam());
    for (const auto& [call, status] : faults.calls) machine.machine_.FailCall(call, status);
    if (faults.persistent != Operation::kCount) {
      machine.machine_.InjectPersistentFault(faults.persistent, faults.persistent_status, faults.from_occurrence);
    }
    mdlMain::Main();
    const std::vector<long>& faulted = machine.machine_.FaultedCalls();
    const std::vector<Operation>& log = machine.machine_.CallLog();
    bool viewer_possible = GetParam().viewer_registered;
    for (const long call : faulted) {
      viewer_possible &= !(call >= lookups_begin_ && call <= lookups_end_) && log[call - 1] != Operation::kStartProcess;
    }
    // The drive and folder are set back unless every try to set one of them back was refused
    // (it is tried twice): nothing can set it back then.
    long last_registration = 0;
    for (long k = 1; k <= static_cast<long>(log.size()); ++k) {
      if (log[k - 1] == Operation::kDLLSelfRegister) last_registration = k;
    }
    bool set_back_possible = true;
    for (const Operation setting : {Operation::kChangeDrive, Operation::kChangeFolder}) {
      int tries = 0, refused = 0;
      for (long k = last_registration + 1; k <= static_cast<long>(log.size()); ++k) {
        if (log[k - 1] != setting) continue;
        ++tries;
        refused += std::find(faulted.begin(), faulted.end(), k) != faulted.end();
      }
      set_back_possible &= !(tries >= 2 && refused == tries);
    }
    // Every write converts its key's name first: where that conversion always fails, no later
    // write gets as far as its key.
    const bool writes_possible = faults.persistent != Operation::kToAnsi;
    const std::string problems =
        machine.Check(faulted.empty() ? 0 : faulted.front(), writes_possible ? writes_ : std::vector<std::u16string>{},
                      write_calls_, viewer_possible, set_back_possible);
    EXPECT_EQ(problems, "") << GetParam().name << ": " << Describe(faults, log);
    return log;
  }

  std::vector<Operation> baseline_;
  std::vector<std::u16string> writes_;
  std::vector<long> write_calls_;
  long lookups_begin_ = 0, lookups_end_ = 0;
  int closes_ = 0;
};

TEST_P(FaultSweep, EveryCallEveryOperationAndEveryPairOnTheInstallationPath) {
  // The control's installation path: from the system folder's lookup to the last registration.
  long install_begin = 0, install_end = 0;
  for (long k = 1; k <= static_cast<long>(baseline_.size()); ++k) {
    if (baseline_[k - 1] == Operation::kGetSystemDirectory && install_begin == 0) install_begin = k;
    if (baseline_[k - 1] == Operation::kDLLSelfRegister) install_end = k;
  }
  ASSERT_GT(install_begin, 0);

  int passing = 0, persistent = 0, pairs = 0;
  std::set<std::vector<Operation>> fallback_calls;  // calls the fault-free run does not make, by the path to them
  for (long k = 1; k <= static_cast<long>(baseline_.size()); ++k) {
    for (const platform::Status status : RealFailures(baseline_[k - 1])) {
      const std::vector<Operation> log = Run({{{k, status}}});
      ++passing;
      if (k < install_begin || k > install_end || HasFatalFailure()) continue;
      // The second fault: every later call of this run up to its last registration, which
      // reaches the calls of the fallback path the first fault opened.
      long last_registration = 0;
      for (long j = 1; j <= static_cast<long>(log.size()); ++j) {
        if (log[j - 1] == Operation::kDLLSelfRegister) last_registration = j;
      }
      for (long j = k + 1; j <= last_registration; ++j) {
        const bool beyond_baseline = j > static_cast<long>(baseline_.size()) || log[j - 1] != baseline_[j - 1];
        if (beyond_baseline) fallback_calls.insert(std::vector<Operation>(log.begin(), log.begin() + j));
        // The second fault with the first failure its operation can have.
        Run({{{k, status}, {j, RealFailures(log[j - 1]).front()}}});
        ++pairs;
      }
    }
  }
  std::map<Operation, int> calls_of;
  for (const Operation operation : baseline_) ++calls_of[operation];
  for (const auto& [operation, count] : calls_of) {
    for (int occurrence = 1; occurrence <= count; ++occurrence) {
      for (const platform::Status status : RealFailures(operation)) {
        Faults faults;
        faults.persistent = operation;
        faults.from_occurrence = occurrence;
        faults.persistent_status = status;
        Run(faults);
        ++persistent;
      }
    }
  }
  std::printf("fault sweep, %s: %zu platform calls; %d runs with a passing fault, %d with a persistent one, "
              "%d with a pair on the installation path (reaching %zu calls of fallback paths)\n",
              GetParam().name, baseline_.size(), passing, persistent, pairs, fallback_calls.size());
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
