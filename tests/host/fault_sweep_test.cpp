// The fault sweep: whole runs of the launcher with platform calls made to fail, with each
// failure that its operation can really have: every call in turn (a passing fault), every
// operation from each of its calls on (a persistent one, as a disc taken out mid-run), and every
// pair of calls on the control's installation path, the second among the calls of the fallback
// path that the first one opened. The machine is checked after each run.
//
// After every faulted run: Main returned; the current drive and its folder are as before; no
// key or file is left open; the control registered itself at most once, and one registered from
// the system folder is a complete copy of the disc's control or the long-enough file that was
// there; the system folder holds no partial copy; a failed file-type write did not stop the next
// (each fault costs at most one write); and the viewer was started exactly once whenever both registry lookups and
// the start itself went through, never more.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

#include "faults/sweep.h"
#include "tests/host/sim_fixture.h"

namespace tests {
namespace {

using platform::Operation;

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
  const mdlMain::StartupOptions* options = &mdlMain::kDeliveredOptions;
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
  std::string Check(std::size_t faults, const std::vector<std::u16string>& baseline_writes, bool expect_viewer,
                    bool expect_set_back = true) const {
    std::ostringstream problems;
    if (expect_set_back && (machine_.CurrentDrive() != u'D' || machine_.FolderOfDrive(u'D') != u"D:\\")) {
      problems << "the current drive and folder were not set back; ";
    }
    if (machine_.OpenKeyCount() != 0) problems << machine_.OpenKeyCount() << " key(s) left open; ";
    if (machine_.OpenFileCount() != 0) problems << machine_.OpenFileCount() << " file(s) left open; ";
    const std::string copy = Contents(*machine_.HostPath(kSystemCopy));
    const bool complete = copy == disc_copy_ || (copy == system_copy_before_ && (copy.empty() || copy.size() >= 0x63000));
    if (!complete) problems << "the system folder holds a partial or foreign control (" << copy.size() << " bytes); ";
    int registered = 0;
    for (const sim::Registration& registration : machine_.Registrations()) {
      if (registration.result != 0) continue;
      ++registered;
      if (registration.path == kSystemCopy && copy.empty()) problems << "a control that is not there was registered; ";
    }
    if (registered > 1) problems << "the control registered itself " << registered << " times; ";
    // File-type writes: a failed one does not stop the next, so each planted fault costs at most
    // the one write it fell in. A refused extension key sends the writes to the user's classes.
    std::size_t lost = 0;
    std::string lost_writes;
    for (const std::u16string& write : baseline_writes) {
      bool attempted = false;
      for (const auto& creation : machine_.KeyCreations()) {
        attempted |= creation.path == write || creation.path == u"Software\\Classes\\" + write;
      }
      if (!attempted) lost_writes += Show(write) + " ", ++lost;
    }
    if (lost > faults) problems << "the writes of " << lost_writes << "were not attempted; ";
    const std::size_t started = machine_.StartedProcesses().size();
    if (started > 1) problems << "the viewer was started " << started << " times; ";
    if (expect_viewer && started == 0) problems << "the viewer was not started; ";
    return problems.str();
  }

 private:
  std::string system_copy_before_;
  std::string disc_copy_;
};

class FaultSweep : public ::testing::TestWithParam<Scenario> {};

TEST_P(FaultSweep, EveryCallEveryOperationAndEveryPairOnTheInstallationPath) {
  std::vector<Operation> baseline;
  std::vector<std::u16string> writes;
  {
    ScenarioMachine machine(GetParam());
    mdlMain::Main(*GetParam().options);
    baseline = machine.faults_.CallLog();
    for (const auto& creation : machine.machine_.KeyCreations()) writes.push_back(creation.path);
    ASSERT_EQ(machine.Check(0, writes, GetParam().viewer_registered), "") << "the run without faults";
  }
  const faults::RunShape shape(baseline);
  const faults::SweepCounts counts = faults::Sweep(baseline, [&](const faults::Plan& plan) {
    ScenarioMachine machine(GetParam());
    plan.PlantIn(machine.faults_);
    mdlMain::Main(*GetParam().options);
    const std::vector<long>& faulted = machine.faults_.FaultedCalls();
    const std::vector<Operation>& log = machine.faults_.CallLog();
    // Every write converts its key's name and creates its key: where one of them always fails,
    // no later write gets as far as its key.
    const bool writes_possible = plan.persistent != Operation::kToAnsi && plan.persistent != Operation::kRegCreateKeyExA;
    EXPECT_EQ(machine.Check(faulted.size(), writes_possible ? writes : std::vector<std::u16string>{},
                            GetParam().viewer_registered && shape.ViewerPossible(log, faulted),
                            faults::RunShape::SetBackPossible(log, faulted)),
              "")
        << GetParam().name << ": " << plan.Describe(log);
    return log;
  });
  std::printf("fault sweep, %s: %zu platform calls; %s\n", GetParam().name, baseline.size(), counts.Text().c_str());
}

// The sweep's own tools, each with the fault it must not let pass: a persistent fault that fails
// its first call alone, a judgement that excuses the viewer's absence after any fault.
TEST(FaultTools, PlantedFaultsFailTheCallsTheySay) {
  using Faults = wrappers::FaultingPlatform;
  const struct {
    const char* what;
    void (*plant)(Faults&);
    std::vector<bool> failed;  // of four calls
  } cases[] = {
      {"the second call", [](Faults& f) { f.InjectFault(Operation::kCurrentFolder, 21, 2); }, {false, true, false, false}},
      {"every call", [](Faults& f) { f.InjectFault(Operation::kCurrentFolder, 21, 0); }, {true, true, true, true}},
      {"from the second call on, as a disc taken out",
       [](Faults& f) { f.InjectPersistentFault(Operation::kCurrentFolder, 21, 2); }, {false, true, true, true}},
      {"the run's third call, by its number", [](Faults& f) { f.FailCall(3, 21); }, {false, false, true, false}},
  };
  for (const auto& c : cases) {
    SimMachine machine;
    c.plant(machine.faults_);
    std::vector<bool> failed;
    for (int call = 0; call < 4; ++call) failed.push_back(!machine.faults_.CurrentFolder());
    EXPECT_EQ(failed, c.failed) << c.what;
  }
}

// The sweep itself, on a run whose fallback paths are known: a failed ToAnsi (call 3) makes a
// second one before the registration, a failed registration a ChangeFolder at the end.
TEST(FaultTools, TheSweepReachesEveryCallAndEveryFallbackCall) {
  const auto run_of = [](const faults::Plan& plan) {
    const auto faulted = [&plan](long call) {
      return std::any_of(plan.calls.begin(), plan.calls.end(), [call](const auto& fault) { return fault.first == call; });
    };
    std::vector<Operation> log{Operation::kCommandLineArgument, Operation::kGetSystemDirectoryA, Operation::kToAnsi};
    if (faulted(3)) log.push_back(Operation::kToAnsi);
    log.push_back(Operation::kDLLSelfRegister);
    const bool registration_failed = faulted(static_cast<long>(log.size()));
    log.insert(log.end(), {Operation::kProgramFolder, Operation::kProgramFolder});
    if (registration_failed) log.push_back(Operation::kChangeFolder);
    return log;
  };
  std::set<std::pair<long, long>> two_faults;
  const faults::SweepCounts counts = faults::Sweep(run_of({}), [&](const faults::Plan& plan) {
    if (plan.calls.size() == 2) two_faults.insert({plan.calls[0].first, plan.calls[1].first});
    return run_of(plan);
  });
  // Every call with each of its failures (the registration has three, the rest one each).
  EXPECT_EQ(counts.passing, 8);
  // Every operation from each of its calls on: ProgramFolder from its first and from its second.
  EXPECT_EQ(counts.persistent, 8);
  // The pairs on the installation path, each up to the last registration of its run, and the
  // ChangeFolder, which no pair reaches, on top of the failed registration.
  EXPECT_EQ(counts.pairs, 4);
  EXPECT_EQ(counts.deeper, 1);
  EXPECT_EQ(two_faults, (std::set<std::pair<long, long>>{{2, 3}, {2, 4}, {3, 4}, {3, 5}, {4, 7}}));
  EXPECT_EQ(counts.fallback_calls, 2u) << "the second ToAnsi and the ChangeFolder";
}

// The drive and folder are expected back unless every try, the retry too, was refused: a
// launcher that gave up after one refused try is not excused.
TEST(FaultTools, TheSetBackIsExcusedOnlyWhenTheRetryWasRefusedToo) {
  const std::vector<Operation> log{Operation::kCurrentFolder, Operation::kDLLSelfRegister, Operation::kChangeDrive,
                                   Operation::kChangeDrive, Operation::kChangeFolder};
  EXPECT_FALSE(faults::RunShape::SetBackPossible(log, {3, 4})) << "both tries refused";
  EXPECT_TRUE(faults::RunShape::SetBackPossible(log, {3})) << "the retry went through";
  EXPECT_TRUE(faults::RunShape::SetBackPossible(log, {5})) << "one refused try, no retry";
  EXPECT_FALSE(faults::RunShape::SetBackPossible(log, {1})) << "the folder was never read";
}

TEST(FaultTools, TheViewerIsExcusedOnlyByAFailedLookupOrStart) {
  std::vector<Operation> baseline;
  {
    ScenarioMachine machine(Scenario{"", "", false, true, true});
    mdlMain::Main(mdlMain::kDeliveredOptions);
    baseline = machine.faults_.CallLog();
  }
  const faults::RunShape shape(baseline);
  const auto first = [&](Operation operation) {
    return static_cast<long>(std::find(baseline.begin(), baseline.end(), operation) - baseline.begin()) + 1;
  };
  const struct {
    const char* what;
    long faulted;
    bool viewer_possible;
  } cases[] = {
      {"the first lookup's open", first(Operation::kRegOpenKeyExA), false},
      {"the start", first(Operation::kStartProcess), false},
      {"the copy of the control", first(Operation::kCopyFileReplacing), true},
      {"the registration", first(Operation::kDLLSelfRegister), true},
      {"the folder read before the copy", first(Operation::kCurrentFolder), true},
  };
  for (const auto& c : cases) EXPECT_EQ(shape.ViewerPossible(baseline, {c.faulted}), c.viewer_possible) << c.what;
}

std::string ScenarioId(const ::testing::TestParamInfo<Scenario>& info) { return info.param.id; }

INSTANTIATE_TEST_SUITE_P(
    Scenarios, FaultSweep,
    ::testing::Values(Scenario{"FreshMachine", "fresh machine", false, true, true},
                      Scenario{"ControlInPlace", "control already in place", true, true, true},
                      Scenario{"NoViewer", "no viewer registered", false, false, true},
                      Scenario{"DiscWithoutControl", "disc without the control", false, true, false},
                      Scenario{"FileTypeOn", "file type registration on", false, true, true, &mdlMain::kFileTypeOptions}),
    ScenarioId);

}  // namespace
}  // namespace tests
