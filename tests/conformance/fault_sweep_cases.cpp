// The fault sweep, on every machine of the suite: whole runs of the launcher's Main in this
// process with platform calls made to fail (faults/ plans them), on scenario rows, each run on a
// fresh machine and judged by one set of invariants on its end state:
// - the current folder set back (unless every try to set it back was refused);
// - the control registered at most once, never from a copy that is not there;
// - no partial or foreign copy left: the system folder holds the disc's control or what it held;
// - the viewer started exactly once when its lookups and its start went through, never more;
// - a failed file-type write does not stop the next (each fault costs at most one write);
// and what only one machine can see, its own hook (Machine::AfterRoutines).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <set>
#include <string>

#include "faults/sweep.h"
#include "start/built_options.h"
#include "start/main.h"
#include "tests/conformance/machine.h"
#include "vb5stkit/self_registration.h"
#include "wrappers/forwarding_platform.h"

namespace conformance {
namespace {

using platform::Operation;
using wrappers::FirstCall;
using wrappers::LastCall;

// The launcher's shape, as its calls show it. The control's installation path runs from the
// system folder's lookup to the last registration; the two registry lookups from after the
// argument is read to the second key closed; the drive and folder are set back after the last
// registration.
faults::CallWindow InstallationPath(const std::vector<Operation>& log) {
  return {FirstCall(log, Operation::kGetSystemDirectoryA), LastCall(log, Operation::kDLLSelfRegister)};
}

bool Faulted(const std::vector<long>& faulted, long call) {
  return std::find(faulted.begin(), faulted.end(), call) != faulted.end();
}

// The viewer can start: no call of the lookups (as the run without faults made them) and no
// start failed.
bool ViewerPossible(const std::vector<Operation>& baseline, const std::vector<Operation>& log,
                    const std::vector<long>& faulted) {
  const long lookups_begin = LastCall(baseline, Operation::kCommandLineArgument) + 1;
  long lookups_end = 0;
  for (int closes = 0; lookups_end < static_cast<long>(baseline.size()) && closes < 2;) {
    closes += baseline[lookups_end++] == Operation::kRegCloseKey;
  }
  return std::none_of(faulted.begin(), faulted.end(), [&](long call) {
    return (call >= lookups_begin && call <= lookups_end) || log[call - 1] == Operation::kStartProcess;
  });
}

// The drive and folder can be set back: the current folder was read at least once, and not every
// try (the retry too) to set the drive or the folder back was refused.
bool SetBackPossible(const std::vector<Operation>& log, const std::vector<long>& faulted) {
  bool folder_known = false;
  for (long k = 1; k <= static_cast<long>(log.size()); ++k) {
    folder_known |= log[k - 1] == Operation::kCurrentFolder && !Faulted(faulted, k);
  }
  if (!folder_known) return false;
  for (const Operation setting : {Operation::kChangeDrive, Operation::kChangeFolder}) {
    int tries = 0, refused = 0;
    for (long k = LastCall(log, Operation::kDLLSelfRegister) + 1; k <= static_cast<long>(log.size()); ++k) {
      if (log[k - 1] != setting) continue;
      ++tries;
      refused += Faulted(faulted, k);
    }
    if (tries >= 2 && refused == tries) return false;
  }
  return true;
}

// What the launcher's calls were answered: the files that registered themselves, the starts
// that went through, the keys it created.
class AnsweredCalls final : public wrappers::ForwardingPlatform {
 public:
  using ForwardingPlatform::ForwardingPlatform;
  common::Result<std::int16_t> DLLSelfRegister(const platform::AnsiString& path) override {
    common::Result<std::int16_t> answer = inner_.DLLSelfRegister(path);
    if (answer && vb5stkit::RegisteredItself(answer.Value())) registered.emplace_back(path.begin(), path.end());
    return answer;
  }
  common::Outcome StartProcess(const std::u16string& command_line, int window_style) override {
    const common::Outcome started = inner_.StartProcess(command_line, window_style);
    starts += started ? 1 : 0;
    start_answer = common::ErrorNumberOf(started);
    return started;
  }
  common::Result<platform::Status> RegCreateKeyExA(platform::KeyHandle root, const platform::AnsiString& sub_key,
                                                   std::uint32_t reserved, const platform::AnsiString& key_class,
                                                   std::uint32_t options, std::uint32_t access,
                                                   const platform::SecurityAttributes& security,
                                                   platform::KeyHandle* key, std::uint32_t* disposition) override {
    // The key as the classes name it, for the machine or for the user.
    const std::string name(sub_key.c_str());
    created.insert(name.rfind(kUserClasses, 0) == 0 ? name.substr(kUserClasses.size()) : name);
    return inner_.RegCreateKeyExA(root, sub_key, reserved, key_class, options, access, security, key, disposition);
  }

  std::vector<std::string> registered;
  int starts = 0;
  int start_answer = -1;  // of the last start that no planted fault stopped (-1: none reached the machine)
  std::set<std::string> created;
  static constexpr std::string_view kUserClasses = "Software\\Classes\\";
};

struct Scenario {
  const char* name;
  bool control_in_place = false;  // a copy long enough to keep lies in the system folder already
  bool viewer_registered = true;  // else the document's type has no open command
  bool control_on_disc = true;
  Build build = Build::kDelivered;
  bool standard_user = false;  // the machine's classes refuse the control's and the file type's keys
};

// What a test does to a run's end state before it is judged, to see that the judgement notices.
using Spoil = std::function<void(const Course&, AnsweredCalls&)>;

// One run of a scenario on a fresh machine with the plan's faults; its problems ("" for none),
// calls, faulted calls and created keys.
struct SweptRun {
  std::string problems;
  std::vector<Operation> log;
  std::vector<long> faulted;
  std::set<std::string> created;
  bool under_wine = false;
};

SweptRun RunOnce(const Scenario& scenario, const faults::Plan& plan, const std::vector<Operation>& baseline,
                 const std::set<std::string>& baseline_writes, const Spoil& spoil = {}) {
  const Course course(u"disc", u" -nohome", scenario.build);
  Machine& machine = *course.machine;
  if (scenario.control_in_place) machine.WriteControl(course.Destination(), 0x63000);
  if (!scenario.control_on_disc) machine.RemoveFile(course.DiscControl());
  if (!scenario.viewer_registered) machine.SetClassesValue(u".tolopentest", u"", 1, Show(u"TolOpenTest.Missing") + '\0');
  machine.SetStandardUser(scenario.standard_user);
  const std::string copy_before = machine.FileBytes(course.Destination());
  const std::string disc_copy = machine.FileBytes(course.DiscControl());
  AnsweredCalls answered(machine.ProgramOn(course.disc, u"page.tolopentest"));
  wrappers::FaultingPlatform faulting(answered);
  plan.PlantIn(faulting);
  {
    const platform::ScopedPlatform installed(faulting);
    mdlMain::Main(scenario.build == Build::kFileType ? mdlMain::kBuiltOptionsWithFileType : mdlMain::kBuiltOptions);
  }
  if (spoil) spoil(course, answered);
  SweptRun run{"", faulting.CallLog(), faulting.FaultedCalls(), answered.created, machine.UnderWine()};
  std::string& problems = run.problems;
  const common::Result<std::u16string> folder = machine.Platform().CurrentFolder();
  if ((!folder || folder.Value() != course.disc) && (baseline.empty() || SetBackPossible(run.log, run.faulted))) {
    problems += "the current folder was not set back; ";
  }
  const std::string copy = machine.FileBytes(course.Destination());
  if (copy != disc_copy && copy != copy_before) {
    problems += "the system folder holds a partial or foreign control (" + std::to_string(copy.size()) + " bytes); ";
  }
  if (answered.registered.size() > 1) problems += "the control registered itself more than once; ";
  for (const std::string& path : answered.registered) {
    if (path == Show(course.Destination()) && copy.empty()) {
      problems += "a control that is not there registered itself; ";
    }
  }
  // Every write converts its key's name and creates its key: where one of them always fails, no
  // later write gets as far as its key.
  if (plan.persistent != Operation::kToAnsi && plan.persistent != Operation::kRegCreateKeyExA) {
    std::size_t lost = 0;
    std::string lost_writes;
    for (const std::string& write : baseline_writes) {
      if (run.created.count(write) == 0) lost_writes += write + " ", ++lost;
    }
    if (lost > run.faulted.size()) problems += "the writes of " + lost_writes + "were not attempted; ";
  }
  if (answered.starts > 1) problems += "the viewer was started " + std::to_string(answered.starts) + " times; ";
  if (answered.starts == 0 && scenario.viewer_registered &&
      (baseline.empty() || ViewerPossible(baseline, run.log, run.faulted))) {
    problems += "the viewer was not started (the machine answered " + std::to_string(answered.start_answer) + "); ";
  }
  problems += machine.AfterRoutines(answered.starts > 0);
  return run;
}

class ConformanceFaultSweep : public ::testing::TestWithParam<Scenario> {};

TEST_P(ConformanceFaultSweep, EveryCallEveryOperationAndEveryPairOnTheInstallationPath) {
  const Scenario& scenario = GetParam();
  if (!Selected(scenario.name)) GTEST_SKIP();
  const SweptRun baseline = RunOnce(scenario, {}, {}, {});
  ASSERT_EQ(baseline.problems, "") << scenario.name << ": the run without faults";
  const faults::SweepCounts counts = faults::Sweep(baseline.log, InstallationPath, [&](const faults::Plan& plan) {
    const SweptRun run = RunOnce(scenario, plan, baseline.log, baseline.created);
    EXPECT_EQ(run.problems, "") << scenario.name << ": " << plan.Describe(run.log);
    return run.log;
  });
  std::printf("fault sweep on the %s machine, %s: %zu platform calls; %s\n",
              baseline.under_wine ? "Wine" : "simulated", scenario.name, baseline.log.size(), counts.Text().c_str());
}

INSTANTIATE_TEST_SUITE_P(Scenarios, ConformanceFaultSweep,
                         ::testing::Values(Scenario{"fresh machine"},
                                           Scenario{"control already in place", true},
                                           Scenario{"no viewer registered", false, false},
                                           Scenario{"disc without the control", false, true, false},
                                           Scenario{"file type registration on", false, true, true, Build::kFileType},
                                           Scenario{"a standard user, file type registration on", false, true, true,
                                                    Build::kFileType, true}),
                         [](const ::testing::TestParamInfo<Scenario>& info) { return std::to_string(info.index); });

// The judgements' own faults: each invariant notices its end state spoiled; a launcher that gave
// up after one refused try to set the folder back is not excused, nor a missing viewer after a
// fault outside its lookups and its start.
TEST(ConformanceFaultSweepJudgements, NoticeWhatIsWrongAndExcuseOnlyWhatTheFaultsForced) {
  const Scenario scenario{"file type registration on", false, true, true, Build::kFileType};
  const SweptRun baseline = RunOnce(scenario, {}, {}, {});
  const struct {
    const char* noticed;
    Spoil spoil;
  } spoiled[] = {
      {"the current folder was not set back",
       [](const Course& c, AnsweredCalls&) { static_cast<void>(c.machine->Platform().ChangeFolder(c.disc + u"\\tools")); }},
      {"a partial or foreign control", [](const Course& c, AnsweredCalls&) { c.machine->WriteFile(c.Destination(), 100); }},
      {"a control that is not there", [](const Course& c, AnsweredCalls&) { c.machine->RemoveFile(c.Destination()); }},
      {"registered itself more than once", [](const Course&, AnsweredCalls& a) { a.registered.push_back(a.registered[0]); }},
      {"the viewer was started 2 times", [](const Course&, AnsweredCalls& a) { ++a.starts; }},
      {"the viewer was not started", [](const Course&, AnsweredCalls& a) { a.starts = 0; }},
      {"were not attempted", [](const Course&, AnsweredCalls& a) { a.created.clear(); }},
  };
  for (const auto& c : spoiled) {
    const SweptRun run = RunOnce(scenario, {}, baseline.log, baseline.created, c.spoil);
    EXPECT_NE(run.problems.find(c.noticed), std::string::npos) << c.noticed << ": noticed as \"" << run.problems << '"';
  }
  const std::vector<Operation> set_back{Operation::kCurrentFolder, Operation::kDLLSelfRegister, Operation::kChangeDrive,
                                        Operation::kChangeDrive, Operation::kChangeFolder};
  EXPECT_FALSE(SetBackPossible(set_back, {3, 4})) << "both tries refused";
  EXPECT_TRUE(SetBackPossible(set_back, {3})) << "the retry went through";
  EXPECT_TRUE(SetBackPossible(set_back, {5})) << "one refused try, no retry";
  EXPECT_FALSE(SetBackPossible(set_back, {1})) << "the folder was never read";
  const struct {
    Operation operation;
    bool viewer_possible;
  } excuses[] = {{Operation::kRegOpenKeyExA, false}, {Operation::kStartProcess, false},
                 {Operation::kCopyFileReplacing, true}, {Operation::kCurrentFolder, true}};
  for (const auto& c : excuses) {
    EXPECT_EQ(ViewerPossible(baseline.log, baseline.log, {FirstCall(baseline.log, c.operation)}), c.viewer_possible)
        << platform::OperationName(c.operation) << " failing first";
  }
}

}  // namespace
}  // namespace conformance
