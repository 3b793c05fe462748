// The error traps that the routines install, and the program-wide current error.
//
// A statement (one assignment, one call, one test) is the unit that a trap deals with. Each
// policy is one helper, so that every line shows what happens when it fails:
//   ResumeNext(call)                a failing statement is skipped; the next one runs.
//   ResumeNext(target, value)       an assignment: skipped when the value failed, target unchanged.
//   ResumeNextWithRetry(statement)  the same, after one more try: for setting shared state back.
//   ResumeNextTest(test)            the test of a conditional; a failing test counts as held.
//   LeaveOnFailure(body)            a failure ends the body; the routine returns its result as it stands.
// The remaining policy, raising a numbered error to the caller, is returning the failure
// (common/result.h).
//
// Memory is not a failure that a trap sees: an allocation that fails ends the run at once and
// quietly (win32/runtime_support.cpp).
#pragma once

#include <cstdint>
#include <string>

#include "common/numbered_error.h"
#include "common/result.h"

namespace common {

// The current error: number 0 when no failure is pending.
struct CurrentError {
  std::int32_t number = 0;
  std::u16string description;
  std::u16string source;
};

const CurrentError& GetCurrentError();
void SetCurrentError(const NumberedError& error);
void ClearCurrentError();

// Installing a trap clears the current error.
inline void InstallErrorTrap() { ClearCurrentError(); }

// "#N: D (S)": what error 49999 carries about the failure that ended a routine's normal steps.
std::u16string UnexpectedFailureDescription(const NumberedError& failure);

// One statement under the resume-next trap: on failure its number is left in the current
// error and the run goes on.
template <typename T>
void ResumeNext(const Result<T>& statement) {
  if (!statement) SetCurrentError(statement.Error());
}

// An assignment under the resume-next trap: `target` takes the value, or keeps what it had when
// computing the value failed.
template <typename T>
void ResumeNext(T& target, Result<T>&& value) {
  if (value) {
    target = std::move(value).Value();
  } else {
    SetCurrentError(value.Error());
  }
}

// A statement under the resume-next trap that is tried once more when it fails: for the steps
// that put shared state back (the current drive and folder), where a passing failure, such as
// a disc drive busy for a moment, must not leave the process elsewhere.
template <typename Statement>
void ResumeNextWithRetry(Statement&& statement) {
  const Outcome first = statement();
  if (!first) ResumeNext(statement());
}

// The test of a conditional under the resume-next trap: when evaluating it fails, the run
// goes on into the then-branch, as if the test had held.
inline bool ResumeNextTest(const Result<bool>& test) {
  if (test) return test.Value();
  SetCurrentError(test.Error());
  return true;
}

// The handler that leaves the routine through its normal exit: the first failure that the body
// returns clears the current error and ends it; what the body had assigned so far stands.
template <typename Body>
void LeaveOnFailure(Body&& body) {
  InstallErrorTrap();
  const Outcome ended = body();
  static_cast<void>(ended);  // a failure and a success leave the same way
  ClearCurrentError();
}

}  // namespace common
