#include "common/error_trap.h"

#include <new>

#include "common/text.h"

namespace common {
namespace {

CurrentError g_current_error;

}  // namespace

const CurrentError& GetCurrentError() { return g_current_error; }

void SetCurrentError(const NumberedError& error) noexcept {
  g_current_error.number = error.Number();
  try {
    g_current_error.description = error.Description();
    g_current_error.source = error.Source();
  } catch (...) {
    // Without memory for the texts, the number alone still tells that a failure is pending.
    g_current_error.description.clear();
    g_current_error.source.clear();
  }
}

void ClearCurrentError() noexcept {
  g_current_error.number = 0;
  g_current_error.description.clear();
  g_current_error.source.clear();
}

NumberedError FailureInFlight() noexcept {
  try {
    try {
      throw;
    } catch (const NumberedError& error) {
      return error;
    } catch (const std::bad_alloc&) {
      return NumberedError(kOutOfMemory);
    } catch (...) {
      return NumberedError(kInternalError);
    }
  } catch (...) {
    // Copying the texts ran out of memory: keep what needs no allocation.
    return NumberedError(kOutOfMemory, std::u16string(), std::u16string());
  }
}

std::u16string UnexpectedFailureDescription(const NumberedError& failure) {
  return u"#" + DecimalText(failure.Number()) + u": " + failure.Description() + u" (" +
         failure.Source() + u")";
}

}  // namespace common
