// Loading the library of a declared import.
#include "win32/declared_import.h"

#include "win32/program_folder.h"
#include "win32/text_entries.h"
#include "win32/wide.h"

namespace win32 {

HMODULE LoadDeclaredLibrary(const char* library, LibrarySearch search) {
  if (search == LibrarySearch::kBesideProgramFirst) {
    if (const common::Result<std::u16string> folder = RunningProgramFolder()) {
      std::u16string path = folder.Value();
      if (path.back() != u'\\') path += u'\\';  // a drive root has its own
      for (const char* c = library; *c != '\0'; ++c) path += static_cast<char16_t>(*c);  // ASCII
      const HMODULE beside = Kernel32().LoadLibraryExW(Wide(path), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
      if (beside != nullptr) return beside;
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
