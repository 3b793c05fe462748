// The entry point of tolOpen.exe: a program without a window that runs Main once.
#include <windows.h>

#include "common/platform.h"
#include "start/main.h"
#include "win32/win32_platform.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // Nothing is ever shown: no "insert a disk" or "cannot find file" box from the system.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  win32::Win32Platform windows;
  const platform::ScopedPlatform installed(windows);
  mdlMain::Main();
  return 0;
}
