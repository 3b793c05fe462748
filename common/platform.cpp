#include "common/platform.h"

#include "common/numbered_error.h"

namespace platform {
namespace {

Platform* g_platform = nullptr;

}  // namespace

Platform& Current() {
  // A run without a backend is a fault of the build; fail as any operation would.
  if (g_platform == nullptr) throw common::NumberedError(common::kInternalError);
  return *g_platform;
}

ScopedPlatform::ScopedPlatform(Platform& platform) : previous_(g_platform) {
  g_platform = &platform;
}

ScopedPlatform::~ScopedPlatform() { g_platform = previous_; }

}  // namespace platform
