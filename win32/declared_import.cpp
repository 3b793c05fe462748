// Loading the library of a declared import.
#include "win32/declared_import.h"

#include <cstring>

#include "win32/text_entries.h"

namespace win32 {

HMODULE LoadDeclaredLibrary(const char* library, LibrarySearch search) {
  if (search == LibrarySearch::kBesideProgramFirst) {
    wchar_t path[MAX_PATH];
    const DWORD length = Kernel32().GetModuleFileNameW(nullptr, path, MAX_PATH);
    const DWORD name_length = static_cast<DWORD>(std::strlen(library));
    if (length > 0 && length < MAX_PATH) {
      DWORD folder_end = length;  // just after the last "\"
      while (folder_end > 0 && path[folder_end - 1] != L'\\') --folder_end;
      if (folder_end + name_length < MAX_PATH) {
        for (DWORD i = 0; i <= name_length; ++i) path[folder_end + i] = static_cast<wchar_t>(library[i]);  // ASCII
        const HMODULE beside = Kernel32().LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
        if (beside != nullptr) return beside;
      }
    }
  }
  // Where Windows looks for a library: a disc without its own copy finds the system's.
  return LoadLibraryA(library);
}

std::int32_t ResolveDeclaredImport(const ImportName& name, LibrarySearch search, FARPROC* found) {
  if (*found == nullptr) {
    const HMODULE module = LoadDeclaredLibrary(name.library, search);
    if (module == nullptr) return common::kErrorInLoadingDll;
    *found = GetProcAddress(module, name.entry);
    if (*found == nullptr) return common::kDllEntryPointNotFound;
  }
  return 0;
}

}  // namespace win32
