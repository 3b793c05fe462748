// The host's files as the simulated machine and the dry-run tool handle them: by descriptor, so
// that a link is not followed where it must not be and a failure keeps its reason (errno).
#pragma once

#include <unistd.h>

namespace sim {

// A file descriptor, closed when it goes.
class ScopedDescriptor {
 public:
  explicit ScopedDescriptor(int descriptor) : descriptor_(descriptor) {}
  ScopedDescriptor(const ScopedDescriptor&) = delete;
  ScopedDescriptor& operator=(const ScopedDescriptor&) = delete;
  ~ScopedDescriptor() {
    if (descriptor_ >= 0) ::close(descriptor_);
  }
  int get() const { return descriptor_; }
  bool valid() const { return descriptor_ >= 0; }

 private:
  int descriptor_;
};

}  // namespace sim
