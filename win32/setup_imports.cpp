// The system folder (kernel32) and the control's self-registration (the setup toolkit), both
// declared imports.
#include <windows.h>

#include "win32/declared_import.h"
#include "win32/win32_platform.h"

namespace win32 {
namespace {

using GetSystemDirectoryAFunction = UINT(WINAPI*)(LPSTR, UINT);
using DLLSelfRegisterFunction = SHORT(WINAPI*)(LPCSTR);

DeclaredImport<GetSystemDirectoryAFunction> g_get_system_directory{"kernel32.dll", "GetSystemDirectoryA"};
DeclaredImport<DLLSelfRegisterFunction> g_dll_self_register{"vb5stkit.dll", "DLLSelfRegister"};

}  // namespace

std::uint32_t Win32Platform::GetSystemDirectoryA(platform::AnsiString& buffer) {
  return g_get_system_directory.Get()(buffer.data(), static_cast<UINT>(buffer.size()));
}

std::int16_t Win32Platform::DLLSelfRegister(const platform::AnsiString& path) {
  return g_dll_self_register.Get()(path.c_str());
}

}  // namespace win32
