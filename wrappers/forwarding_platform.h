// wrappers/: platforms that wrap any platform, the simulated machine or the Win32 backend alike,
// as SQLite's test VFS wraps the real one. Each is made from the one list of operations
// (common/platform_operations.h), so a new operation needs no line here: the faulting platform
// (planted failures and the call log), the tracing platform (a line per call), and this one.
//
// A platform that passes every call to another one: the base of a wrapper that changes only a
// few operations (a test's program that lives on a disc of its own, say).
#pragma once

#include "common/platform.h"
#include "common/platform_operations.h"

namespace wrappers {

class ForwardingPlatform : public platform::Platform {
 public:
  explicit ForwardingPlatform(platform::Platform& inner) : inner_(inner) {}

#define TOLOPEN_FORWARDING_OVERRIDE(Name, Return, Parameters, Arguments, Failure, RealFailures) \
  Return Name Parameters override { return inner_.Name Arguments; }
#define TOLOPEN_OPERATION TOLOPEN_FORWARDING_OVERRIDE
#include "common/platform_operations.inc"
#undef TOLOPEN_OPERATION
#undef TOLOPEN_FORWARDING_OVERRIDE

 protected:
  platform::Platform& inner_;
};

}  // namespace wrappers
