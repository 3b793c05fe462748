// The fault sweep, for any machine: the failures each operation can really have, a plan of
// faults for one run, and the sweep itself, which plants every call in turn (a passing fault),
// every operation from each of its calls on (a persistent one, as a disc taken out mid-run), and
// every pair of calls on the control's installation path, the second among the calls of the
// fallback path that the first one opened; and then, until no run reaches a call that no fault
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
  int pairs = 0;
  int deeper = 0;                  // runs that fault a call only earlier faults reach
  std::size_t fallback_calls = 0;  // calls (an operation's n-th) that the run without faults does not make
  std::string Text() const;
};

// Runs the sweep: `run` runs one plan on a fresh machine, checks it, and gives its call log.
// `baseline` is the call log of the run without faults.
SweepCounts Sweep(const std::vector<platform::Operation>& baseline,
                  const std::function<std::vector<platform::Operation>(const Plan&)>& run);

// What a run's faults leave possible, for its checks: the calls of the two registry lookups in
// the run without faults (after the argument is read, up to the second close), and the tries to
// set the drive and folder back (after the last registration).
struct RunShape {
  explicit RunShape(const std::vector<platform::Operation>& baseline);
  // The viewer can start: no lookup and no start failed.
  bool ViewerPossible(const std::vector<platform::Operation>& log, const std::vector<long>& faulted) const;
  // The drive and folder can be set back: the current folder was read at least once, and not
  // every try to set one of them back was refused.
  static bool SetBackPossible(const std::vector<platform::Operation>& log, const std::vector<long>& faulted);

  long lookups_begin = 0;
  long lookups_end = 0;
};

}  // namespace faults
