// The platform's operations as values, for what wraps a platform (wrappers/: planted failures, a
// call log, a trace) and for the fault sweep: the list itself is common/platform_operations.inc.
//
// A declaration of an override of every operation, for a backend or a wrapper class:
//   #define TOLOPEN_OPERATION TOLOPEN_OVERRIDE_DECLARATION
//   #include "common/platform_operations.inc"
//   #undef TOLOPEN_OPERATION
#pragma once

#include <cstdint>
#include <string>

#include "common/platform.h"

#define TOLOPEN_OVERRIDE_DECLARATION(Name, Return, Parameters, ...) Return Name Parameters override;

namespace platform {

enum class Operation {
#define TOLOPEN_OPERATION(Name, ...) k##Name,
#include "common/platform_operations.inc"
#undef TOLOPEN_OPERATION
  kCount,
};

// The operation's name as the interface spells it.
inline const char* OperationName(Operation operation) {
  static constexpr const char* kNames[] = {
#define TOLOPEN_OPERATION(Name, ...) #Name,
#include "common/platform_operations.inc"
#undef TOLOPEN_OPERATION
  };
  return kNames[static_cast<int>(operation)];
}

}  // namespace platform
