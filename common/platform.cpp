#include "common/platform.h"

#include "common/constinit.h"

namespace platform {
namespace {

TOLOPEN_CONSTINIT Platform* g_platform = nullptr;

}  // namespace

Platform& Current() {
  if (g_platform == nullptr) common::FaultInTheCode();  // an entry point that installed none
  return *g_platform;
}

ScopedPlatform::ScopedPlatform(Platform& platform) : previous_(g_platform) {
  g_platform = &platform;
}

ScopedPlatform::~ScopedPlatform() { g_platform = previous_; }

}  // namespace platform
