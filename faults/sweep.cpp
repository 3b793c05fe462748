#include "faults/sweep.h"

#include <algorithm>
#include <map>
#include <set>
#include <sstream>

namespace faults {

using platform::Operation;

std::vector<platform::Status> RealFailures(Operation operation) {
  switch (operation) {
    case Operation::kCommandLineArgument: case Operation::kProgramFolder: case Operation::kToAnsi:
    case Operation::kFromAnsi: case Operation::kExpandEnvironment: case Operation::kGetSystemDirectoryA:
      return {8};  // not enough memory
    case Operation::kStartProcess: return {2, 5, 193, 8};  // not found, access denied, not a program
    case Operation::kRegOpenKeyExA: return {2, 5, 126};  // missing, refused, advapi32 not loadable
    case Operation::kRegQueryValueExA: return {2, 5, 234, 127};  // missing, refused, more data, no such entry
    case Operation::kRegCloseKey: case Operation::kCloseFile: return {6};  // invalid handle
    case Operation::kRegCreateKeyExA: return {5, 161};  // refused, bad path
    case Operation::kRegSetValueExA: return {5, 1016};  // refused, registry I/O failed
    case Operation::kCurrentFolder: return {8, 21};  // memory, device not ready
    case Operation::kChangeDrive: return {15, 21};  // invalid drive, not ready
    case Operation::kChangeFolder: return {3, 5, 21};
    case Operation::kMakeFolder: return {3, 5, 19, 183};  // ..., write protected, already exists
    case Operation::kOpenForInput: return {2, 3, 5, 32};  // ..., sharing violation
    case Operation::kFileLength: return {2, 5};
    case Operation::kCopyFileReplacing: return {5, 32, 112};  // ..., disk full
    case Operation::kDLLSelfRegister: return {126, 127, 5};  // library missing, entry missing, registration failed
    case Operation::kCount: break;
  }
  return {};
}

void Plan::PlantIn(FaultingPlatform& platform) const {
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
       << " with a pair on the installation path (reaching " << fallback_calls << " calls of fallback paths)";
  return text.str();
}

SweepCounts Sweep(const std::vector<Operation>& baseline,
                  const std::function<std::vector<Operation>(const Plan&)>& run) {
  SweepCounts counts;
  // The control's installation path: from the system folder's lookup to the last registration.
  long install_begin = 0, install_end = 0;
  for (long k = 1; k <= static_cast<long>(baseline.size()); ++k) {
    if (baseline[k - 1] == Operation::kGetSystemDirectoryA && install_begin == 0) install_begin = k;
    if (baseline[k - 1] == Operation::kDLLSelfRegister) install_end = k;
  }
  std::set<std::vector<Operation>> fallback_calls;  // by the calls that lead to them
  for (long k = 1; k <= static_cast<long>(baseline.size()); ++k) {
    for (const platform::Status status : RealFailures(baseline[k - 1])) {
      const std::vector<Operation> log = run({{{k, status}}});
      ++counts.passing;
      if (k < install_begin || k > install_end) continue;
      long last_registration = 0;
      for (long j = 1; j <= static_cast<long>(log.size()); ++j) {
        if (log[j - 1] == Operation::kDLLSelfRegister) last_registration = j;
      }
      for (long j = k + 1; j <= last_registration; ++j) {
        if (j > static_cast<long>(baseline.size()) || log[j - 1] != baseline[j - 1]) {
          fallback_calls.insert(std::vector<Operation>(log.begin(), log.begin() + j));
        }
        // The second fault with the first failure its operation can have.
        run({{{k, status}, {j, RealFailures(log[j - 1]).front()}}});
        ++counts.pairs;
      }
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
  counts.fallback_calls = fallback_calls.size();
  return counts;
}

RunShape::RunShape(const std::vector<Operation>& baseline) {
  int closes = 0;
  for (long k = 1; k <= static_cast<long>(baseline.size()); ++k) {
    if (baseline[k - 1] == Operation::kCommandLineArgument) lookups_begin = k + 1;
    if (baseline[k - 1] == Operation::kRegCloseKey && ++closes == 2) lookups_end = k;
  }
}

bool RunShape::ViewerPossible(const std::vector<Operation>& log, const std::vector<long>& faulted) const {
  for (const long call : faulted) {
    if ((call >= lookups_begin && call <= lookups_end) || log[call - 1] == Operation::kStartProcess) return false;
  }
  return true;
}

bool RunShape::SetBackPossible(const std::vector<Operation>& log, const std::vector<long>& faulted) {
  // Where every reading of the current folder failed, nothing knows where to come back to.
  bool folder_known = false;
  for (long k = 1; k <= static_cast<long>(log.size()); ++k) {
    folder_known |= log[k - 1] == Operation::kCurrentFolder && std::find(faulted.begin(), faulted.end(), k) == faulted.end();
  }
  if (!folder_known) return false;
  long last_registration = 0;
  for (long k = 1; k <= static_cast<long>(log.size()); ++k) {
    if (log[k - 1] == Operation::kDLLSelfRegister) last_registration = k;
  }
  for (const Operation setting : {Operation::kChangeDrive, Operation::kChangeFolder}) {
    int tries = 0, refused = 0;
    for (long k = last_registration + 1; k <= static_cast<long>(log.size()); ++k) {
      if (log[k - 1] != setting) continue;
      ++tries;
      refused += std::find(faulted.begin(), faulted.end(), k) != faulted.end();
    }
    if (tries >= 2 && refused == tries) return false;  // every try, the retry too, was refused
  }
  return true;
}

}  // namespace faults
