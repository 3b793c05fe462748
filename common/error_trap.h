// The error traps that the routines install, and the program-wide current error.
//
// The policies, each one helper:
//   ResumeNext(statement)       a failing statement is skipped; the next one runs.
//   ResumeNextWithRetry(s)      the same, after one more try: for setting shared state back.
//   ResumeNextTest(test)        the test of a conditional; a failing test counts as held.
//   LeaveOnFailure(body)        a failure ends the body; the routine returns its result as it stands.
// The remaining policy, raising a numbered error to the caller, is a plain `throw`.
#pragma once

#include <cstdint>
#include <string>

#include "common/numbered_error.h"

namespace common {

// The current error: number 0 when no failure is pending.
struct CurrentError {
  std::int32_t number = 0;
  std::u16string description;
  std::u16string source;
};

const CurrentError& GetCurrentError();
void SetCurrentError(const NumberedError& error) noexcept;
void ClearCurrentError() noexcept;

// Installing a trap clears the current error.
inline void InstallErrorTrap() noexcept { ClearCurrentError(); }

// The failure that is being handled, as a numbered error; call only inside a catch block.
// Memory exhaustion becomes 7 and anything else that is not numbered becomes 51.
NumberedError FailureInFlight() noexcept;

// "#N: D (S)": what error 49999 carries about the failure that ended a routine's normal steps.
std::u16string UnexpectedFailureDescription(const NumberedError& failure);

// One statement under the resume-next trap: on failure its number is left in the current
// error and the run goes on. An assignment that fails leaves its target unchanged, as long as
// the statement computes its value before it assigns it.
template <typename Statement>
void ResumeNext(Statement&& statement) noexcept {
  try {
    statement();
  } catch (...) {
    SetCurrentError(FailureInFlight());
  }
}

// A statement under the resume-next trap that is tried once more when it fails: for the steps
// that put shared state back (the current drive and folder), where a passing failure, such as
// a disc drive busy for a moment, must not leave the process elsewhere.
template <typename Statement>
void ResumeNextWithRetry(Statement&& statement) noexcept {
  bool done = false;
  ResumeNext([&] {
    statement();
    done = true;
  });
  if (!done) ResumeNext(statement);
}

// The test of a conditional under the resume-next trap: when evaluating it fails, the run
// goes on into the then-branch, as if the test had held.
template <typename Test>
bool ResumeNextTest(Test&& test) noexcept {
  try {
    return static_cast<bool>(test());
  } catch (...) {
    SetCurrentError(FailureInFlight());
    return true;
  }
}

// The handler that leaves the routine through its normal exit: the first failure clears the
// current error and ends the body; what the body had assigned so far stands.
template <typename Body>
void LeaveOnFailure(Body&& body) noexcept {
  InstallErrorTrap();
  try {
    body();
  } catch (...) {
    ClearCurrentError();
  }
}

}  // namespace common
