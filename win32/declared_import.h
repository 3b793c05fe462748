// A function of a DLL named by library and entry name, resolved when it is first called, so
// that a missing library or entry fails that call only. Declare each one TOLOPEN_CONSTINIT: the
// program runs no constructors of globals (win32/win_main.cpp). Its name is a constant and the
// entry it finds starts as zero, so a declared import costs the program no initialised data.
#pragma once

#include <windows.h>

#include <cstdint>

#include "common/numbered_error.h"
#include "common/result.h"

namespace win32 {

// Where a declared import's library is looked for: where Windows looks for a library, or first
// beside the program by its full path (the search path that Windows builds from the program's
// folder is cut at a ";" that the folder's name may hold).
enum class LibrarySearch { kWindows, kBesideProgramFirst };

struct ImportName {
  const char* library;
  const char* entry;
};

// The library loaded as `search` says; null when it cannot be.
HMODULE LoadDeclaredLibrary(const char* library, LibrarySearch search);

// The entry that `name` names, found once and kept in *found. Fails with 48 when the library
// cannot be loaded and 453 when it has no such entry; the next call tries again.
// Answers 0, or the number of the failure.
std::int32_t ResolveDeclaredImport(const ImportName& name, LibrarySearch search, FARPROC* found);

template <typename Function, const ImportName& kName, LibrarySearch kSearch = LibrarySearch::kWindows>
class DeclaredImport {
 public:
  common::Result<Function> Get() {
    const std::int32_t failure = ResolveDeclaredImport(kName, kSearch, &found_);
    if (failure != 0) return common::NumberedError(failure);
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found_));
  }

 private:
  FARPROC found_ = nullptr;  // the library stays loaded for the rest of the run, as a declared import does
};

}  // namespace win32
