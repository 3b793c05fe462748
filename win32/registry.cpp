// The registry through advapi32's ANSI entries, each a declared import.
#include <windows.h>

#include "common/constinit.h"
#include "win32/declared_import.h"
#include "win32/win32_platform.h"

namespace win32 {
namespace {

using RegOpenKeyExAFunction = LONG(WINAPI*)(HKEY, LPCSTR, DWORD, REGSAM, PHKEY);
using RegQueryValueExAFunction = LONG(WINAPI*)(HKEY, LPCSTR, LPDWORD, LPDWORD, LPBYTE, LPDWORD);
using RegCloseKeyFunction = LONG(WINAPI*)(HKEY);
using RegCreateKeyExAFunction = LONG(WINAPI*)(HKEY, LPCSTR, DWORD, LPSTR, DWORD, REGSAM,
                                              LPSECURITY_ATTRIBUTES, PHKEY, LPDWORD);
using RegSetValueExAFunction = LONG(WINAPI*)(HKEY, LPCSTR, DWORD, DWORD, const BYTE*, DWORD);

constexpr ImportName kRegOpenKeyExA{"advapi32.dll", "RegOpenKeyExA"};
TOLOPEN_CONSTINIT DeclaredImport<RegOpenKeyExAFunction, kRegOpenKeyExA> g_reg_open_key_ex;
constexpr ImportName kRegQueryValueExA{"advapi32.dll", "RegQueryValueExA"};
TOLOPEN_CONSTINIT DeclaredImport<RegQueryValueExAFunction, kRegQueryValueExA> g_reg_query_value_ex;
constexpr ImportName kRegCloseKey{"advapi32.dll", "RegCloseKey"};
TOLOPEN_CONSTINIT DeclaredImport<RegCloseKeyFunction, kRegCloseKey> g_reg_close_key;
constexpr ImportName kRegCreateKeyExA{"advapi32.dll", "RegCreateKeyExA"};
TOLOPEN_CONSTINIT DeclaredImport<RegCreateKeyExAFunction, kRegCreateKeyExA> g_reg_create_key_ex;
constexpr ImportName kRegSetValueExA{"advapi32.dll", "RegSetValueExA"};
TOLOPEN_CONSTINIT DeclaredImport<RegSetValueExAFunction, kRegSetValueExA> g_reg_set_value_ex;

// The predefined roots are 32-bit values that Windows sign-extends on 64-bit builds.
HKEY ToHkey(platform::KeyHandle key) {
  if (key >= 0x80000000u && key <= 0x800000FFu) {
    return reinterpret_cast<HKEY>(static_cast<LONG_PTR>(static_cast<LONG>(key)));
  }
  return reinterpret_cast<HKEY>(key);
}

}  // namespace

common::Result<platform::Status> Win32Platform::RegOpenKeyExA(platform::KeyHandle root, const platform::AnsiString& sub_key,
                                              std::uint32_t options, std::uint32_t access,
                                              platform::KeyHandle* key) {
  const auto entry = g_reg_open_key_ex.Get();
  TOLOPEN_RETURN_IF_FAILED(entry);
  HKEY opened = nullptr;
  const LONG status = entry.Value()(ToHkey(root), sub_key.c_str(), options, access, &opened);
  if (status == platform::kSuccess) *key = reinterpret_cast<platform::KeyHandle>(opened);
  return status;
}

common::Result<platform::Status> Win32Platform::RegQueryValueExA(platform::KeyHandle key,
                                                 const platform::AnsiString& value_name,
                                                 std::uint32_t* type, std::uint8_t* data,
                                                 std::uint32_t* count) {
  const auto entry = g_reg_query_value_ex.Get();
  TOLOPEN_RETURN_IF_FAILED(entry);
  DWORD value_type = 0;
  DWORD byte_count = *count;
  const LONG status = entry.Value()(ToHkey(key), value_name.c_str(), nullptr,
                                                 &value_type, data, &byte_count);
  if (status == platform::kSuccess || status == platform::kERROR_MORE_DATA) *count = byte_count;
  if (status == platform::kSuccess) *type = value_type;
  return status;
}

common::Result<platform::Status> Win32Platform::RegCloseKey(platform::KeyHandle key) {
  return g_reg_close_key.Get().Map([&](RegCloseKeyFunction close) -> platform::Status {
    return close(ToHkey(key));
  });
}

common::Result<platform::Status> Win32Platform::RegCreateKeyExA(platform::KeyHandle root, const platform::AnsiString& sub_key,
                                                std::uint32_t reserved, const platform::AnsiString& key_class,
                                                std::uint32_t options, std::uint32_t access,
                                                const platform::SecurityAttributes& security,
                                                platform::KeyHandle* key, std::uint32_t* disposition) {
  const auto entry = g_reg_create_key_ex.Get();
  TOLOPEN_RETURN_IF_FAILED(entry);
  SECURITY_ATTRIBUTES attributes{};
  attributes.nLength = sizeof attributes;
  attributes.lpSecurityDescriptor = nullptr;
  attributes.bInheritHandle = security.inherit_handle ? TRUE : FALSE;
  platform::AnsiString writable_class = key_class;  // the entry takes the class as a non-const string
  HKEY created = nullptr;
  DWORD created_or_opened = 0;
  const LONG status = entry.Value()(ToHkey(root), sub_key.c_str(), reserved,
                                                writable_class.data(), options, access, &attributes,
                                                &created, &created_or_opened);
  if (status == platform::kSuccess) {
    *key = reinterpret_cast<platform::KeyHandle>(created);
    *disposition = created_or_opened;
  }
  return status;
}

common::Result<platform::Status> Win32Platform::RegSetValueExA(platform::KeyHandle key, const platform::AnsiString& value_name,
                                               std::uint32_t reserved, std::uint32_t type,
                                               const std::uint8_t* data, std::uint32_t count) {
  return g_reg_set_value_ex.Get().Map([&](RegSetValueExAFunction set) -> platform::Status {
    return set(ToHkey(key), value_name.c_str(), reserved, type, data, count);
  });
}

}  // namespace win32
