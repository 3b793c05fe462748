// The system folder (kernel32) and the control's self-registration (the setup toolkit), both
// declared imports.
#include <windows.h>

#include "common/constinit.h"
#include "win32/declared_import.h"
#include "win32/win32_platform.h"

namespace win32 {
namespace {

using GetSystemDirectoryAFunction = UINT(WINAPI*)(LPSTR, UINT);
using DLLSelfRegisterFunction = SHORT(WINAPI*)(LPCSTR);

constexpr ImportName kGetSystemDirectoryA{"kernel32.dll", "GetSystemDirectoryA"};
TOLOPEN_CONSTINIT DeclaredImport<GetSystemDirectoryAFunction, kGetSystemDirectoryA> g_get_system_directory;
// The setup toolkit ships beside the program.
constexpr ImportName kDLLSelfRegister{"vb5stkit.dll", "DLLSelfRegister"};
TOLOPEN_CONSTINIT DeclaredImport<DLLSelfRegisterFunction, kDLLSelfRegister, LibrarySearch::kBesideProgramFirst>
    g_dll_self_register;

}  // namespace

common::Result<std::uint32_t> Win32Platform::GetSystemDirectoryA(platform::AnsiString& buffer) {
  return g_get_system_directory.Get().Map([&](GetSystemDirectoryAFunction get) -> std::uint32_t {
    return get(buffer.data(), static_cast<UINT>(buffer.size()));
  });
}

common::Result<std::int16_t> Win32Platform::DLLSelfRegister(const platform::AnsiString& path) {
  return g_dll_self_register.Get().Map([&](DLLSelfRegisterFunction self_register) -> std::int16_t {
    return self_register(path.c_str());
  });
}

}  // namespace win32
