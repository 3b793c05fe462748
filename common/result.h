// Failures are values.
//
// An operation that can fail returns a Result<T>: its value, or the numbered error that says why
// there is none. One that gives nothing back returns an Outcome (a Result<void>): success, or the
// error. Both are [[nodiscard]], so every call site shows what it does with a failure; the error
// traps of error_trap.h name what the routines do with them. An operation writes its outputs
// (by-reference arguments, shared state) only when it succeeds, unless its declaration says
// otherwise.
//
//   Result<std::u16string> folder = os.CurrentFolder();
//   if (!folder) return folder.Error();        // raising to the caller is returning the failure
//   Use(folder.Value());
#pragma once

#include <type_traits>
#include <utility>

#include "common/numbered_error.h"

namespace common {

template <typename T>
class [[nodiscard]] Result {
 public:
  using ValueType = T;

  Result(T value) : value_(std::move(value)) {}  // NOLINT: a value is a success
  // A failure; its number is never 0.
  Result(NumberedError error) : error_(std::move(error)) {}  // NOLINT: an error is a failure

  bool Succeeded() const { return error_.Number() == 0; }
  explicit operator bool() const { return Succeeded(); }

  // The value of a success (a default value after a failure).
  const T& Value() const& { return value_; }
  T&& Value() && { return std::move(value_); }
  // The failure (number 0 after a success).
  const NumberedError& Error() const { return error_; }

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
  T value_{};
  NumberedError error_;
};

template <>
class [[nodiscard]] Result<void> {
 public:
  Result() = default;
  Result(NumberedError error) : error_(std::move(error)) {}  // NOLINT: an error is a failure

  bool Succeeded() const { return error_.Number() == 0; }
  explicit operator bool() const { return Succeeded(); }
  const NumberedError& Error() const { return error_; }

 private:
  NumberedError error_;
};

using Outcome = Result<void>;

}  // namespace common
