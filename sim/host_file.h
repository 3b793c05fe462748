// The host's files as the simulated machine and the dry-run tool handle them: by descriptor, so
// that a link is not followed where it must not be and a failure keeps its reason (errno).
#pragma once

#include <unistd.h>

#include <cstddef>

namespace sim {

// Writes all `size` bytes; false when the file refused some of them (errno says why).
inline bool WriteAll(int descriptor, const char* bytes, std::size_t size) {
  for (std::size_t done = 0; done < size;) {
    const ssize_t wrote = ::write(descriptor, bytes + done, size - done);
    if (wrote <= 0) return false;
    done += static_cast<std::size_t>(wrote);
  }
  return true;
}

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
