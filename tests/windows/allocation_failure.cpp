// A program built on the delivered program's run-time support whose first allocation fails:
// the run must end at once with exit code 7, showing nothing and reaching nothing after it.
#include <windows.h>

#include <cstddef>
#include <string>

extern "C" [[noreturn, gnu::force_align_arg_pointer]] void AllocationFailureStart() {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  // The most a string may ask for, so that the request reaches the heap: half the address space,
  // more than any heap can give. Volatile, so that the compiler cannot fold it away.
  std::u16string text;
  volatile std::size_t impossible = text.max_size();
  text.reserve(impossible);
  ExitProcess(text.capacity() > 0 ? 0 : 1);  // reached only when the allocation did not end the run
}
