// Failures are values.
//
// An operation that can fail returns a Result<T>: its value, or the numbered error that says why
// there is none. One that gives nothing back returns an Outcome (a Result<void>): success, or the
// error. Both are [[nodiscard]], so every call site shows what it does with a failure; the error
// traps of error_trap.h name what the routines do with them. An operation writes its outputs
// (by-reference arguments, shared state) only when it succeeds, unless its declaration says
// otherwise.
//
//   const Result<std::u16string> folder = os.CurrentFolder();
//   TOLOPEN_RETURN_IF_FAILED(folder);          // raising to the caller: the one spelling
//   Use(folder.Value());
//
// The checks are the program's own: reading the value of a failure, or the error of a success,
// and making a failure numbered 0 (common/numbered_error.h) are faults in the code, never
// outcomes. They end the run (FaultInTheCode): quietly in the delivered program, by aborting in
// the tests and tools.
#pragma once

#include <type_traits>
#include <utility>

#include "common/numbered_error.h"

namespace common {

// A fault in the code (a Result used against its contract, no platform installed): the run ends.
// Each program links one definition: the delivered one ends the process quietly
// (win32/runtime_support.cpp), the others abort (common/fault_in_the_code_aborts.cpp), saying
// kFaultInTheCodeMessage first.
[[noreturn]] void FaultInTheCode();
inline constexpr char kFaultInTheCodeMessage[] = "tolOpen: a fault in the code";

template <typename T>
class [[nodiscard]] Result {
 public:
  using ValueType = T;

  Result(T value) : value_(std::move(value)) {}  // NOLINT: a value is a success
  // A failure; its number is never 0.
  Result(NumberedError error) : error_(std::move(error)) {}  // NOLINT: an error is a failure

  bool Succeeded() const { return error_.Number() == 0; }
  explicit operator bool() const { return Succeeded(); }

  // The value of a success.
  const T& Value() const& {
    if (!Succeeded()) FaultInTheCode();
    return value_;
  }
  T&& Value() && {
    if (!Succeeded()) FaultInTheCode();
    return std::move(value_);
  }
  // The failure.
  const NumberedError& Error() const {
    if (Succeeded()) FaultInTheCode();
    return error_;
  }

  // The value passed through `f` (value -> U), or this failure.
  template <typename F>
  auto Map(F&& f) const -> Result<std::invoke_result_t<F, const T&>> {
    if (!Succeeded()) return error_;
    return f(value_);
  }
  // The result of `f` (value -> Result<U>) on the value, or this failure: one statement that
  // makes two operations, the second on what the first gave.
  template <typename F>
  auto AndThen(F&& f) const -> std::invoke_result_t<F, const T&> {
    if (!Succeeded()) return error_;
    return f(value_);
  }

 private:
  T value_ = T();
  NumberedError error_;
};

template <>
class [[nodiscard]] Result<void> {
 public:
  Result() = default;
  Result(NumberedError error) : error_(std::move(error)) {}  // NOLINT: an error is a failure

  bool Succeeded() const { return error_.Number() == 0; }
  explicit operator bool() const { return Succeeded(); }
  const NumberedError& Error() const {
    if (Succeeded()) FaultInTheCode();
    return error_;
  }

 private:
  NumberedError error_;
};

using Outcome = Result<void>;

// The number of a result's failure, or 0 for a success: for telling outcomes apart by number.
template <typename Checked>
std::int32_t ErrorNumberOf(const Checked& result) {
  return result ? 0 : result.Error().Number();
}

}  // namespace common

// Passes the failure of a named Result or Outcome up to the caller; a success goes on.
#define TOLOPEN_RETURN_IF_FAILED(result)       \
  do {                                         \
    if (!(result)) return (result).Error();    \
  } while (false)
