// The fault sweep, for any machine: the failures each operation can really have, a plan of
// faults for one run, and the sweep itself, which plants every call in turn (a passing fault),
// every operation from each of its calls on (a persistent one, as a disc taken out mid-run), and
// every pair of calls in a window that the caller names (where failures meet each other), the
// second among the calls of the fallback path that the first one opened; and then, until no run reaches a call that no fault
// has met, each such call on top of the faults that led to it (so every fallback path is swept).
// The caller runs each plan on a fresh machine and checks it; the sweep counts.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "common/platform_operations.h"
#include "wrappers/faulting_platform.h"

namespace faults {

// The failures (Win32 statuses) that each operation can meet on a real machine.
std::vector<platform::Status> RealFailures(platform::Operation operation);

// The faults of one run: calls by number, and perhaps one operation from one of its calls on.
struct Plan {
  std::vector<std::pair<long, platform::Status>> calls;
  platform::Operation persistent = platform::Operation::kCount;
  int from_occurrence = 0;
  platform::Status persistent_status = 0;

  void PlantIn(wrappers::FaultingPlatform& platform) const;
  // "call 7 (CopyFileReplacing) failing with 112; ..." for a test's message.
  std::string Describe(const std::vector<platform::Operation>& log) const;
};

struct SweepCounts {
  int passing = 0;
  int persistent = 0;
  int pairs = 0;                   // runs with a pair of faults in the window
  int deeper = 0;                  // runs that fault a call only earlier faults reach
  std::size_t fallback_calls = 0;  // calls (an operation's n-th) that the run without faults does not make
  std::string Text() const;
};

// The first and last call (by number, from 1) of a run's window for pairs of faults, given its log.
using CallWindow = std::pair<long, long>;
using PairWindow = std::function<CallWindow(const std::vector<platform::Operation>& log)>;

// Runs the sweep: `run` runs one plan on a fresh machine, checks it, and gives its call log.
// `baseline` is the call log of the run without faults; the first fault of a pair lies in the
// baseline's window, the second after it, up to the end of its own run's window.
SweepCounts Sweep(const std::vector<platform::Operation>& baseline, const PairWindow& pairs_within,
                  const std::function<std::vector<platform::Operation>(const Plan&)>& run);

}  // namespace faults
