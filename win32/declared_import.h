// A function of a DLL named by library and entry name, resolved when it is first called, so
// that a missing library or entry fails that call only. Declare each one TOLOPEN_CONSTINIT: the
// program runs no constructors of globals (win32/win_main.cpp).
#pragma once

#include <windows.h>

#include "common/numbered_error.h"
#include "common/result.h"

namespace win32 {

template <typename Function>
class DeclaredImport {
 public:
  constexpr DeclaredImport(const char* library, const char* entry)
      : library_(library), entry_(entry) {}

  // The resolved entry. Fails with 48 when the library cannot be loaded and 453 when it has no
  // such entry; the next call tries again.
  common::Result<Function> Get() {
    if (function_ == nullptr) {
      const HMODULE module = LoadLibraryA(library_);
      if (module == nullptr) return common::NumberedError(common::kErrorInLoadingDll);
      const FARPROC entry = GetProcAddress(module, entry_);
      if (entry == nullptr) return common::NumberedError(common::kDllEntryPointNotFound);
      // The library stays loaded for the rest of the run, as a declared import does.
      function_ = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(entry));
    }
    return function_;
  }

 private:
  const char* library_;
  const char* entry_;
  Function function_ = nullptr;
};

}  // namespace win32
