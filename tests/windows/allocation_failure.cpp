// A program built on the delivered program's run-time support whose first allocation fails:
// the run must end at once with exit code 7, showing nothing and reaching nothing after it.
#include <windows.h>

#include <cstddef>
#include <string>

extern "C" [[noreturn, gnu::force_align_arg_pointer]] void AllocationFailureStart() {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  // More than any process can have; volatile, so that the compiler cannot fold it away.
  volatile std::size_t impossible = static_cast<std::size_t>(-1) / 4;
  std::u16string text;
  text.reserve(impossible);
  ExitProcess(text.capacity() > 0 ? 0 : 1);  // reached only when the allocation did not end the run
}
