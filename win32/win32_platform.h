// The platform operations on the real Windows API.
#pragma once

#include <vector>

#include "common/platform.h"

namespace win32 {

class Win32Platform final : public platform::Platform {
 public:
  std::u16string CommandLineArgument() override;
  std::u16string ProgramFolder() override;
  void StartProcess(const std::u16string& command_line, int window_style) override;

  platform::AnsiString ToAnsi(const std::u16string& text) override;
  std::u16string FromAnsi(platform::AnsiStringView bytes) override;
  std::u16string ExpandEnvironment(const std::u16string& text) override;

  platform::Status RegOpenKeyExA(platform::KeyHandle root, const platform::AnsiString& sub_key,
                                 std::uint32_t options, std::uint32_t access,
                                 platform::KeyHandle* key) override;
  platform::Status RegQueryValueExA(platform::KeyHandle key, const platform::AnsiString& value_name,
                                    std::uint32_t* type, std::uint8_t* data,
                                    std::uint32_t* count) override;
  platform::Status RegCloseKey(platform::KeyHandle key) override;
  platform::Status RegCreateKeyExA(platform::KeyHandle root, const platform::AnsiString& sub_key,
                                   std::uint32_t reserved, const platform::AnsiString& key_class,
                                   std::uint32_t options, std::uint32_t access,
                                   const platform::SecurityAttributes& security,
                                   platform::KeyHandle* key, std::uint32_t* disposition) override;
  platform::Status RegSetValueExA(platform::KeyHandle key, const platform::AnsiString& value_name,
                                  std::uint32_t reserved, std::uint32_t type,
                                  const std::uint8_t* data, std::uint32_t count) override;

  std::u16string CurrentFolder() override;
  void ChangeDrive(const std::u16string& path) override;
  void ChangeFolder(const std::u16string& path) override;

  void MakeFolder(const std::u16string& path) override;
  int OpenForInput(const std::u16string& path) override;
  void CloseFile(int file_number) override;
  std::int32_t FileLength(const std::u16string& path) override;
  void CopyFileReplacing(const std::u16string& source, const std::u16string& destination) override;

  std::uint32_t GetSystemDirectoryA(platform::AnsiString& buffer) override;
  std::int16_t DLLSelfRegister(const platform::AnsiString& path) override;

 private:
  std::vector<void*> open_files_;  // file number n is open_files_[n - 1]; null when closed
};

}  // namespace win32
