// What the delivered program takes from the C++ run-time library instead of its defaults.
//
// The program is read from a CD at every start, so it links only what it uses, and it is built
// without C++ exceptions: failures are values. What remains of the library's exception paths are
// faults that no error trap can mend, an allocation that fails above all. Each ends the run at
// once and quietly: nothing is shown, and nothing has been half-written, since every file and
// registry write is a single platform call that completes or leaves nothing.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <new>

#include "common/result.h"

namespace {

// Exit codes of a run that was ended early, the numbers of the run-time library's errors: nobody
// waits for them, but they tell a debugger why.
constexpr UINT kOutOfMemory = common::kOutOfMemory;
constexpr UINT kInternalError = common::kInternalError;

[[noreturn]] void EndRun(UINT code) { ExitProcess(code); }

void* Allocate(std::size_t size) {
  void* block = HeapAlloc(GetProcessHeap(), 0, size == 0 ? 1 : size);
  if (block == nullptr) EndRun(kOutOfMemory);
  return block;
}

void Release(void* block) {
  if (block != nullptr) HeapFree(GetProcessHeap(), 0, block);
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void* block) noexcept { Release(block); }
void operator delete[](void* block) noexcept { Release(block); }
void operator delete(void* block, std::size_t) noexcept { Release(block); }
void operator delete[](void* block, std::size_t) noexcept { Release(block); }

namespace std {

void __throw_bad_alloc() { EndRun(kOutOfMemory); }

void __throw_bad_array_new_length() { EndRun(kOutOfMemory); }

void __throw_length_error(const char*) { EndRun(kOutOfMemory); }

void __throw_logic_error(const char*) { EndRun(kInternalError); }

void __throw_out_of_range_fmt(const char*, ...) { EndRun(kInternalError); }

}  // namespace std

// The three C library routines that the program's strings call, here so that the program imports
// nothing from msvcrt.dll: one library less to load at every start, and a smaller import table.
// The compiler must not turn their loops back into calls of the same routines.
#define TOLOPEN_PLAIN_LOOPS __attribute__((optimize("no-tree-loop-distribute-patterns")))
extern "C" {

TOLOPEN_PLAIN_LOOPS void* memmove(void* destination, const void* source, std::size_t size) {
  auto* to = static_cast<unsigned char*>(destination);
  const auto* from = static_cast<const unsigned char*>(source);
  if (reinterpret_cast<std::uintptr_t>(to) > reinterpret_cast<std::uintptr_t>(from)) {
    while (size-- > 0) to[size] = from[size];  // backwards: the source's end may lie under the copy
  } else {
    for (std::size_t i = 0; i < size; ++i) to[i] = from[i];
  }
  return destination;
}

TOLOPEN_PLAIN_LOOPS std::size_t strlen(const char* text) {
  const char* end = text;
  while (*end != '\0') ++end;
  return static_cast<std::size_t>(end - text);
}

TOLOPEN_PLAIN_LOOPS std::size_t wcslen(const wchar_t* text) {
  const wchar_t* end = text;
  while (*end != L'\0') ++end;
  return static_cast<std::size_t>(end - text);
}

}  // extern "C"
#undef TOLOPEN_PLAIN_LOOPS

namespace common {

// A Result used against its contract, or no platform installed: a fault in the code, like the
// ones above.
void FaultInTheCode() { EndRun(kInternalError); }

}  // namespace common

namespace __gnu_cxx {

void __verbose_terminate_handler() { EndRun(kInternalError); }

}  // namespace __gnu_cxx
