// A function of a DLL named by library and entry name, resolved when it is first called, so
// that a missing library or entry fails that call only. Declare each one TOLOPEN_CONSTINIT: the
// program runs no constructors of globals (win32/win_main.cpp).
#pragma once

#include <windows.h>

#include "common/numbered_error.h"
#include "common/result.h"

namespace win32 {

// Where a declared import's library is looked for: where Windows looks for a library, or first
// beside the program by its full path (the search path that Windows builds from the program's
// folder is cut at a ";" that the folder's name may hold).
enum class LibrarySearch { kWindows, kBesideProgramFirst };

// The library loaded as `search` says; null when it cannot be.
HMODULE LoadDeclaredLibrary(const char* library, LibrarySearch search);

template <typename Function>
class DeclaredImport {
 public:
  constexpr DeclaredImport(const char* library, const char* entry, LibrarySearch search = LibrarySearch::kWindows)
      : library_(library), entry_(entry), search_(search) {}

  // The resolved entry. Fails with 48 when the library cannot be loaded and 453 when it has no
  // such entry; the next call tries again.
  common::Result<Function> Get() {
    if (function_ == nullptr) {
      const HMODULE module = LoadDeclaredLibrary(library_, search_);
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
  LibrarySearch search_;
  Function function_ = nullptr;
};

}  // namespace win32
