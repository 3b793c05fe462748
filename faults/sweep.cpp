#include "faults/sweep.h"

#include <algorithm>
#include <map>
#include <set>
#include <sstream>

namespace faults {

using platform::Operation;

std::vector<platform::Status> RealFailures(Operation operation) {
  using namespace platform;  // the statuses by their Windows names
  switch (operation) {
#define TOLOPEN_BRACED(...) {__VA_ARGS__}
#define TOLOPEN_REAL_FAILURES(Name, Return, Parameters, Arguments, Failure, RealFailures) \
  case Operation::k##Name:                                                                \
    return std::vector<Status> TOLOPEN_BRACED RealFailures;
#define TOLOPEN_OPERATION TOLOPEN_REAL_FAILURES
#include "common/platform_operations.inc"
#undef TOLOPEN_OPERATION
#undef TOLOPEN_REAL_FAILURES
#undef TOLOPEN_BRACED
    case Operation::kCount:
      break;
  }
  return {};
}

void Plan::PlantIn(wrappers::FaultingPlatform& platform) const {
  for (const auto& [call, status] : calls) platform.FailCall(call, status);
  if (persistent != Operation::kCount) platform.InjectPersistentFault(persistent, persistent_status, from_occurrence);
}

std::string Plan::Describe(const std::vector<Operation>& log) const {
  std::ostringstream text;
  for (const auto& [call, status] : calls) {
    text << "call " << call << " (" << (call <= static_cast<long>(log.size()) ? platform::OperationName(log[call - 1]) : "?")
         << ") failing with " << status << "; ";
  }
  if (persistent != Operation::kCount) {
    text << platform::OperationName(persistent) << " failing with " << persistent_status << " from its call "
         << from_occurrence << " on";
  }
  return text.str();
}

std::string SweepCounts::Text() const {
  std::ostringstream text;
  text << passing << " runs with a passing fault, " << persistent << " with a persistent one, " << pairs
       << " with a pair on the installation path, " << deeper << " more to reach every call (" << fallback_calls
       << " calls that only a fault reaches)";
  return text.str();
}

namespace {

// A call as a sweep tells calls apart: its operation, and how many calls of it the run made
// before (the third ChangeFolder). A fallback path's calls are new ones.
using CallIdentity = std::pair<Operation, int>;

std::vector<CallIdentity> Identities(const std::vector<Operation>& log) {
  std::map<Operation, int> seen;
  std::vector<CallIdentity> identities;
  for (const Operation operation : log) identities.push_back({operation, ++seen[operation]});
  return identities;
}

long LastFault(const Plan& plan) {
  long last = 0;
  for (const auto& call : plan.calls) last = std::max(last, call.first);
  return last;
}

}  // namespace

SweepCounts Sweep(const std::vector<Operation>& baseline, const PairWindow& pairs_within,
                  const std::function<std::vector<Operation>(const Plan&)>& run) {
  SweepCounts counts;
  std::set<CallIdentity> faulted;  // the calls that a planted fault has met
  for (const CallIdentity& identity : Identities(baseline)) faulted.insert(identity);
  std::vector<std::pair<Plan, std::vector<Operation>>> reached;  // runs whose later calls may be new

  const auto [window_begin, window_end] = pairs_within(baseline);
  for (long k = 1; k <= static_cast<long>(baseline.size()); ++k) {
    for (const platform::Status status : RealFailures(baseline[k - 1])) {
      const Plan single{{{k, status}}};
      const std::vector<Operation> log = run(single);
      ++counts.passing;
      reached.push_back({single, log});
      if (k < window_begin || k > window_end) continue;
      // Every pair in the window: the second fault at every later call of this run up to the end
      // of its own window, with the first failure its operation can have.
      const std::vector<CallIdentity> identities = Identities(log);
      const long own_window_end = pairs_within(log).second;
      for (long j = k + 1; j <= own_window_end; ++j) {
        const Plan pair{{{k, status}, {j, RealFailures(log[j - 1]).front()}}};
        if (faulted.insert(identities[j - 1]).second) ++counts.fallback_calls;
        reached.push_back({pair, run(pair)});
        ++counts.pairs;
      }
    }
  }
  // Until no run reaches a call that no fault has met: each such call is faulted in turn, on
  // top of the faults that led to it.
  while (!reached.empty()) {
    const auto [plan, log] = reached.back();
    reached.pop_back();
    const std::vector<CallIdentity> identities = Identities(log);
    for (long j = LastFault(plan) + 1; j <= static_cast<long>(log.size()); ++j) {
      if (!faulted.insert(identities[j - 1]).second) continue;
      ++counts.fallback_calls;
      Plan deeper = plan;
      deeper.calls.push_back({j, RealFailures(log[j - 1]).front()});
      reached.push_back({deeper, run(deeper)});
      ++counts.deeper;
    }
  }
  std::map<Operation, int> calls_of;
  for (const Operation operation : baseline) ++calls_of[operation];
  for (const auto& [operation, count] : calls_of) {
    for (int occurrence = 1; occurrence <= count; ++occurrence) {
      for (const platform::Status status : RealFailures(operation)) {
        Plan plan;
        plan.persistent = operation;
        plan.from_occurrence = occurrence;
        plan.persistent_status = status;
        run(plan);
        ++counts.persistent;
      }
    }
  }
  return counts;
}

}  // namespace faults
