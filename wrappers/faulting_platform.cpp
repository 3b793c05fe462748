#include "wrappers/faulting_platform.h"

#include <algorithm>

namespace wrappers {

std::optional<platform::Status> FaultingPlatform::Enter(platform::Operation operation) {
  call_log_.push_back(operation);
  const long call = CallCount();
  const int nth = ++calls_of_[static_cast<int>(operation)];
  std::optional<platform::Status> status;
  if (const auto by_number = call_faults_.find(call); by_number != call_faults_.end()) status = by_number->second;
  for (const Fault& fault : faults_) {
    if (status || fault.operation != operation) continue;
    if (fault.occurrence == 0 || fault.occurrence == nth || (fault.persistent && nth >= fault.occurrence)) {
      status = fault.status;
    }
  }
  if (status) faulted_calls_.push_back(call);
  return status;
}

long FirstCall(const std::vector<platform::Operation>& log, platform::Operation operation) {
  return static_cast<long>(std::find(log.begin(), log.end(), operation) - log.begin()) + 1;
}

long LastCall(const std::vector<platform::Operation>& log, platform::Operation operation) {
  return static_cast<long>(log.rend() - std::find(log.rbegin(), log.rend(), operation));
}

}  // namespace wrappers
