// A platform that plants failures in another one, as SQLite's test VFS wraps the real file
// system: the simulated machine or the Win32 backend runs unchanged below it, and a call that a
// planted fault picks never reaches it. Each planted failure is a Win32 status, answered as the
// real operation answers it (see common/platform_operations.h). It also counts and logs the
// calls, so that a sweep can plant a failure at each of them.
//
//   wrappers::FaultingPlatform faulting(machine);
//   faulting.FailCall(7, 5);                              // the 7th call fails: access denied
//   faulting.InjectPersistentFault(Operation::kCopyFileReplacing, 112, 1);  // the disk is full
//   const platform::ScopedPlatform installed(faulting);
#pragma once

#include <map>
#include <optional>
#include <vector>

#include "common/numbered_error.h"
#include "common/platform.h"
#include "common/platform_operations.h"

namespace wrappers {

enum class FailureKind {
  kNumberedError,
  kImportStatus,
  kImportZero,
  kImportNoLoad,
  kClosedNumberedError,
  kClosedImportStatus,
};

class FaultingPlatform final : public platform::Platform {
 public:
  explicit FaultingPlatform(platform::Platform& inner) : inner_(inner) {}

  // Fails the `call_number`-th call (1-based), whatever operation it is.
  void FailCall(long call_number, platform::Status status) { call_faults_[call_number] = status; }
  // Fails call number `occurrence` (1-based) of `operation`, or every call when it is 0.
  void InjectFault(platform::Operation operation, platform::Status status, int occurrence = 0) {
    faults_.push_back({operation, status, occurrence, false});
  }
  // Fails every call of `operation` from its `occurrence`-th on, as when a disc is taken out.
  void InjectPersistentFault(platform::Operation operation, platform::Status status, int occurrence) {
    faults_.push_back({operation, status, occurrence, true});
  }
  void ClearFaults() {
    faults_.clear();
    call_faults_.clear();
  }

  // Which operation each call was, in order; the numbers of the calls a planted fault failed.
  const std::vector<platform::Operation>& CallLog() const { return call_log_; }
  const std::vector<long>& FaultedCalls() const { return faulted_calls_; }
  long CallCount() const { return static_cast<long>(call_log_.size()); }

#define TOLOPEN_FAULTING_OVERRIDE(Name, Return, Parameters, Arguments, Failure, RealFailures) \
  Return Name Parameters override {                                                           \
    const auto status = Enter(platform::Operation::k##Name);                                  \
    if (!status) return inner_.Name Arguments;                                                \
    if constexpr (FailureKind::Failure == FailureKind::kClosedNumberedError ||                \
                  FailureKind::Failure == FailureKind::kClosedImportStatus) {                 \
      static_cast<void>(inner_.Name Arguments);                                               \
    }                                                                                         \
    return Fail<FailureKind::Failure, Return>(*status);                                       \
  }
#define TOLOPEN_OPERATION TOLOPEN_FAULTING_OVERRIDE
#include "common/platform_operations.inc"
#undef TOLOPEN_OPERATION
#undef TOLOPEN_FAULTING_OVERRIDE

 private:
  struct Fault {
    platform::Operation operation;
    platform::Status status;
    int occurrence;
    bool persistent;  // from that call on
  };

  // Logs the call and gives the status of a fault planted for it, if any.
  std::optional<platform::Status> Enter(platform::Operation operation);

  // A planted failure as the operation answers it.
  template <FailureKind kind, typename Return>
  static Return Fail(platform::Status status) {
    // The library or the entry is missing: the import itself fails.
    const bool unresolved = status == platform::kERROR_MOD_NOT_FOUND || status == platform::kERROR_PROC_NOT_FOUND;
    if constexpr (kind == FailureKind::kNumberedError || kind == FailureKind::kClosedNumberedError) {
      return common::ErrorFromWin32(static_cast<std::uint32_t>(status));
    } else {
      if (unresolved) return common::ErrorFromWin32(static_cast<std::uint32_t>(status));
      if constexpr (kind == FailureKind::kImportStatus || kind == FailureKind::kClosedImportStatus) return status;
      if constexpr (kind == FailureKind::kImportZero) return 0u;
      if constexpr (kind == FailureKind::kImportNoLoad) return static_cast<std::int16_t>(2);
    }
  }

  platform::Platform& inner_;
  std::vector<Fault> faults_;
  std::map<long, platform::Status> call_faults_;
  std::vector<platform::Operation> call_log_;
  std::vector<long> faulted_calls_;
  int calls_of_[static_cast<int>(platform::Operation::kCount)] = {};
};

// The number (from 1) of the first call of `operation` in a call log (one past its end when there
// is none), and of the last (0 when there is none).
long FirstCall(const std::vector<platform::Operation>& log, platform::Operation operation);
long LastCall(const std::vector<platform::Operation>& log, platform::Operation operation);

}  // namespace wrappers
