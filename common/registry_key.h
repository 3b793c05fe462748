// An open registry key, closed with RegCloseKey on every path out of the scope that owns it.
#pragma once

#include "common/platform.h"

namespace common {

class RegistryKey {
 public:
  RegistryKey() = default;
  ~RegistryKey() { Close(); }
  // Move-only: one owner closes the key.
  RegistryKey(RegistryKey&& other) noexcept : handle_(other.handle_) { other.handle_ = 0; }
  RegistryKey& operator=(RegistryKey&& other) noexcept {
    if (this != &other) {
      Close();
      handle_ = other.handle_;
      other.handle_ = 0;
    }
    return *this;
  }
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;

  // The place where an opening call writes the handle.
  platform::KeyHandle* Receive() {
    Close();
    return &handle_;
  }
  platform::KeyHandle Get() const { return handle_; }

  // Closes the key; the status and any failure of the close itself are ignored.
  void Close() {
    if (handle_ == 0) return;
    const platform::KeyHandle handle = handle_;
    handle_ = 0;
    const common::Result<platform::Status> closed = platform::Current().RegCloseKey(handle);
    static_cast<void>(closed);
  }

 private:
  platform::KeyHandle handle_ = 0;
};

}  // namespace common
