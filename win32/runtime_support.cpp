// What the delivered program takes from the C++ run-time library instead of its defaults.
//
// The program is read from a CD at every start, so it links only what it uses. The library's
// helpers that throw on a string length or index fault would bring in its whole family of
// exception classes, and its default terminate handler a symbol demangler. Here the faults
// become the program's own numbered errors, which the error traps handle like any other, and
// a terminate that can only follow a fault in the program itself ends the process quietly:
// nothing is ever shown.
#include <windows.h>

#include <new>

#include "common/numbered_error.h"

namespace std {

void __throw_bad_alloc() { throw bad_alloc(); }

void __throw_bad_array_new_length() { throw bad_array_new_length(); }

void __throw_length_error(const char*) { throw common::NumberedError(common::kOutOfMemory); }

void __throw_logic_error(const char*) { throw common::NumberedError(common::kInternalError); }

void __throw_out_of_range_fmt(const char*, ...) {
  throw common::NumberedError(common::kSubscriptOutOfRange);
}

}  // namespace std

namespace __gnu_cxx {

void __verbose_terminate_handler() { ExitProcess(3); }

}  // namespace __gnu_cxx
