// Loading the library of a declared import.
#include "win32/declared_import.h"

#include <cstring>

namespace win32 {

HMODULE LoadDeclaredLibrary(const char* library, LibrarySearch search) {
  if (search == LibrarySearch::kBesideProgramFirst) {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    const DWORD name_length = static_cast<DWORD>(std::strlen(library));
    if (length > 0 && length < MAX_PATH) {
      DWORD folder_end = length;  // just after the last "\"
      while (folder_end > 0 && path[folder_end - 1] != L'\\') --folder_end;
      if (folder_end + name_length < MAX_PATH) {
        for (DWORD i = 0; i <= name_length; ++i) path[folder_end + i] = static_cast<wchar_t>(library[i]);  // ASCII
        const HMODULE beside = LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
        if (beside != nullptr) return beside;
      }
    }
  }
  return LoadLibraryA(library);
}

}  // namespace win32
