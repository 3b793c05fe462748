// The fault sweep's own tools (faults/, wrappers/), each with the fault it must not let pass: a
// persistent fault that fails its first call alone, a sweep that misses a fallback call. The
// sweep itself runs in the conformance suite, on both machines.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "faults/sweep.h"
#include "tests/host/sim_fixture.h"

namespace tests {
namespace {

using platform::Operation;

TEST(FaultTools, PlantedFaultsFailTheCallsTheySay) {
  using Faults = wrappers::FaultingPlatform;
  const struct {
    const char* what;
    void (*plant)(Faults&);
    std::vector<bool> failed;  // of four calls
  } cases[] = {
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
// second one before the registration, a failed registration a ChangeFolder at the end. Pairs lie
// between the system folder's lookup and the registration.
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
  const auto window = [](const std::vector<Operation>& log) {
    return faults::CallWindow{2, std::find(log.begin(), log.end(), Operation::kDLLSelfRegister) - log.begin() + 1};
  };
  const faults::SweepCounts counts = faults::Sweep(run_of({}), window, [&](const faults::Plan& plan) {
    if (plan.calls.size() == 2) two_faults.insert({plan.calls[0].first, plan.calls[1].first});
    return run_of(plan);
  });
  // Every call with each of its failures (the registration has three, the rest one each).
  EXPECT_EQ(counts.passing, 8);
  // Every operation from each of its calls on: ProgramFolder from its first and from its second.
  EXPECT_EQ(counts.persistent, 8);
  // The pairs in the window, each up to the registration of its run, and the
  // ChangeFolder, which no pair reaches, on top of the failed registration.
  EXPECT_EQ(counts.pairs, 4);
  EXPECT_EQ(counts.deeper, 1);
  EXPECT_EQ(two_faults, (std::set<std::pair<long, long>>{{2, 3}, {2, 4}, {3, 4}, {3, 5}, {4, 7}}));
  EXPECT_EQ(counts.fallback_calls, 2u) << "the second ToAnsi and the ChangeFolder";
}

}  // namespace
}  // namespace tests
