#include "wrappers/faulting_platform.h"

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

}  // namespace wrappers
