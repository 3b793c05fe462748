#include "common/error_trap.h"

#include "common/constinit.h"
#include "common/text.h"

namespace common {
namespace {

// Made at its first use and never destroyed: it lives as long as the run, which ends with the
// process. So the program needs no start-up code that constructs globals, nor any at its exit.
CurrentError& TheCurrentError() {
  TOLOPEN_CONSTINIT static CurrentError* current_error = nullptr;  // no guard, no constructor
  if (current_error == nullptr) current_error = new CurrentError;
  return *current_error;
}

}  // namespace

const CurrentError& GetCurrentError() { return TheCurrentError(); }

void SetCurrentError(const NumberedError& error) {
  CurrentError& current_error = TheCurrentError();
  current_error.number = error.Number();
  current_error.description = error.Description();
  current_error.source = error.Source();
}

void ClearCurrentError() {
  CurrentError& current_error = TheCurrentError();
  current_error.number = 0;
  current_error.description.clear();
  current_error.source.clear();
}

std::u16string UnexpectedFailureDescription(const NumberedError& failure) {
  return u"#" + DecimalText(failure.Number()) + u": " + failure.Description() + u" (" +
         failure.Source() + u")";
}

}  // namespace common
