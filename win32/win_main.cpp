// The entry point of tolOpen.exe: a program without a window that runs Main once.
//
// The process starts here directly, without the C run-time library's start-up code: the program
// has no global that needs constructing (each is TOLOPEN_CONSTINIT), reads its command line through
// the platform, and ends with ExitProcess. What that start-up code would add (argument parsing, TLS callbacks, runtime
// relocations, an exit-handler table) it never uses, and it is read from a CD at every start.
#include <windows.h>

#include "common/platform.h"
#include "start/built_options.h"
#include "start/main.h"
#include "win32/win32_platform.h"

// The program's entry point (named to the linker in win32/CMakeLists.txt); it never returns.
// Windows aligns the stack of a 32-bit entry point to 4 bytes only, so it is aligned here.
extern "C" [[noreturn, gnu::force_align_arg_pointer]] void TolOpenStart() {
  // Nothing is ever shown: no "insert a disk" or "cannot find file" box from the system.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  {
    win32::Win32Platform windows;
    const platform::ScopedPlatform installed(windows);
    mdlMain::Main(mdlMain::kBuiltOptions);
  }
  ExitProcess(0);
}
