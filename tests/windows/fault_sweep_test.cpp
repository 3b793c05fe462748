// The fault sweep on the Win32 backend: the launcher's Main runs in this process on Wine's real
// registry and file system, with the same failures planted above the real calls by the same
// wrapper as on the simulated machine (faults/). After each run: the current folder set back
// (unless every try to set it back was refused), the control registered at most once, no partial
// copy in the system folder, and the viewer started once when its lookups and its start went
// through, never more.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "wrappers/forwarding_platform.h"
#include "faults/sweep.h"
#include "start/main.h"
#include "tests/conformance/machine.h"
#include "tests/windows/wine.h"

namespace tests {
namespace {

using platform::Operation;

// The launcher as it runs from a disc: its folder is the disc's, its argument the document.
class ProgramOnDisc final : public wrappers::ForwardingPlatform {
 public:
  ProgramOnDisc(platform::Platform& inner, std::u16string folder)
      : wrappers::ForwardingPlatform(inner), folder_(std::move(folder)) {}
  common::Result<std::u16string> CommandLineArgument() override { return std::u16string(u"page.tolopentest"); }
  common::Result<std::u16string> ProgramFolder() override { return folder_; }
  // What Windows answered to the last start that no planted fault stopped (-1: none reached it).
  common::Outcome StartProcess(const std::u16string& command_line, int window_style) override {
    common::Outcome started = inner_.StartProcess(command_line, window_style);
    start_answer_ = common::ErrorNumberOf(started);
    return started;
  }
  int start_answer() const { return start_answer_; }

 private:
  std::u16string folder_;
  int start_answer_ = -1;
};

std::wstring Wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

// One run of Main on a fresh machine with a course disc, the faults planted; what is wrong
// afterwards ("" when nothing is) and the run's calls.
struct Outcome {
  std::string problems;
  std::vector<Operation> log;
  std::vector<long> faulted;
};

Outcome RunOnce(const faults::Plan& plan, const faults::RunShape* shape) {
  static int run = 0;
  const conformance::Course course;  // a fresh machine: the system folder's copy and the keys cleaned
  conformance::Machine* const machine = course.machine.get();
  const std::u16string& disc = course.disc;
  // Each run's viewer reports to a file of its own, so a late one cannot be taken for another.
  const std::wstring record = Wide(machine->DiscRoot()) + L"\\record-" + std::to_wstring(++run) + L".txt";
  SetEnvironmentVariableW(L"TOLOPEN_RECORDER_OUT", record.c_str());
  SetCurrentDirectoryW(Wide(disc).c_str());

  ProgramOnDisc program(machine->Platform(), disc);
  wrappers::FaultingPlatform faulting(program);
  plan.PlantIn(faulting);
  {
    const platform::ScopedPlatform installed(faulting);
    mdlMain::Main(mdlMain::kDeliveredOptions);
  }
  Outcome outcome{"", faulting.CallLog(), faulting.FaultedCalls()};
  std::string problems;
  wchar_t folder[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, folder);
  if (folder != Wide(disc) && faults::RunShape::SetBackPossible(outcome.log, outcome.faulted)) {
    problems += "the current folder was not set back; ";
  }
  const auto calls = [&outcome](Operation operation) {
    return std::count(outcome.log.begin(), outcome.log.end(), operation);
  };
  if (calls(Operation::kDLLSelfRegister) > 1) problems += "the control was registered more than once; ";
  const std::u16string copy = course.Destination();
  if (machine->FileSize(copy) >= 0 && FileBytes(Wide(copy)) != FileBytes(Wide(course.DiscControl()))) {
    problems += "the system folder holds a partial or foreign control; ";
  }
  if (calls(Operation::kStartProcess) > 1) problems += "the viewer was started more than once; ";
  if (shape == nullptr || shape->ViewerPossible(outcome.log, outcome.faulted)) {
    // Only a viewer that was started is waited for.
    const bool recorded = program.start_answer() == 0 && !WaitForViewerRecord(record, kStartedViewerWaitMs).empty();
    if (program.start_answer() < 0) problems += "the viewer was not started; ";
    if (program.start_answer() > 0) {
      problems += "the viewer's start failed with " + std::to_string(program.start_answer()) + "; ";
    }
    if (program.start_answer() == 0 && !recorded) {
      problems += "the started viewer wrote no record in " + std::to_string(kStartedViewerWaitMs / 1000) + " s; ";
    }
  }
  outcome.problems = problems;
  return outcome;
}

TEST(WindowsFaultSweep, EveryCallEveryOperationAndEveryPairOnTheInstallationPath) {
  // vb5stkit.dll is found where Windows looks, as beside a launcher on a disc.
  wchar_t path[32768];
  const DWORD length = GetEnvironmentVariableW(L"PATH", path, 32768);
  std::wstring build = BuildFile(VB5STKIT_DLL);
  build = build.substr(0, build.rfind(L'\\'));
  SetEnvironmentVariableW(L"PATH", (build + L";" + std::wstring(path, length)).c_str());

  const Outcome baseline = RunOnce({}, nullptr);
  ASSERT_EQ(baseline.problems, "") << "the run without faults";
  const faults::RunShape shape(baseline.log);
  const faults::SweepCounts counts = faults::Sweep(baseline.log, [&shape](const faults::Plan& plan) {
    const Outcome outcome = RunOnce(plan, &shape);
    EXPECT_EQ(outcome.problems, "") << plan.Describe(outcome.log);
    return outcome.log;
  });
  std::printf("fault sweep on the Win32 backend under Wine: %zu platform calls; %s\n", baseline.log.size(),
              counts.Text().c_str());
  SetEnvironmentVariableW(L"PATH", std::wstring(path, length).c_str());
}

}  // namespace
}  // namespace tests
