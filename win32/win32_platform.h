// win32/: the platform operations on the real Windows API (the ANSI entries the routines name,
// the wide ones where a path must survive any code page), and the delivered program's entry and
// run-time support. The only folder that includes <windows.h> for the program; nothing here
// decides anything the routines decide.
#pragma once

#include <vector>

#include "common/platform.h"
#include "win32/file_handle.h"

namespace win32 {

class Win32Platform final : public platform::Platform {
 public:
  common::Result<std::u16string> CommandLineArgument() override;
  common::Result<std::u16string> ProgramFolder() override;
  common::Outcome StartProcess(const std::u16string& command_line, int window_style) override;

  common::Result<platform::AnsiString> ToAnsi(const std::u16string& text) override;
  common::Result<std::u16string> FromAnsi(platform::AnsiStringView bytes) override;
  common::Result<std::u16string> ExpandEnvironment(const std::u16string& text) override;

  common::Result<platform::Status> RegOpenKeyExA(platform::KeyHandle root, const platform::AnsiString& sub_key,
                                 std::uint32_t options, std::uint32_t access,
                                 platform::KeyHandle* key) override;
  common::Result<platform::Status> RegQueryValueExA(platform::KeyHandle key, const platform::AnsiString& value_name,
                                    std::uint32_t* type, std::uint8_t* data,
                                    std::uint32_t* count) override;
  common::Result<platform::Status> RegCloseKey(platform::KeyHandle key) override;
  common::Result<platform::Status> RegCreateKeyExA(platform::KeyHandle root, const platform::AnsiString& sub_key,
                                   std::uint32_t reserved, const platform::AnsiString& key_class,
                                   std::uint32_t options, std::uint32_t access,
                                   const platform::SecurityAttributes& security,
                                   platform::KeyHandle* key, std::uint32_t* disposition) override;
  common::Result<platform::Status> RegSetValueExA(platform::KeyHandle key, const platform::AnsiString& value_name,
                                  std::uint32_t reserved, std::uint32_t type,
                                  const std::uint8_t* data, std::uint32_t count) override;

  common::Result<std::u16string> CurrentFolder() override;
  common::Outcome ChangeDrive(const std::u16string& path) override;
  common::Outcome ChangeFolder(const std::u16string& path) override;

  common::Outcome MakeFolder(const std::u16string& path) override;
  common::Result<int> OpenForInput(const std::u16string& path) override;
  common::Outcome CloseFile(int file_number) override;
  common::Result<std::int32_t> FileLength(const std::u16string& path) override;
  common::Outcome CopyFileReplacing(const std::u16string& source, const std::u16string& destination) override;

  common::Result<std::uint32_t> GetSystemDirectoryA(platform::AnsiString& buffer) override;
  common::Result<std::int16_t> DLLSelfRegister(const platform::AnsiString& path) override;

 private:
  std::vector<FileHandle> open_files_;  // file number n is open_files_[n - 1]; closed ones are not open
};

}  // namespace win32
