// Files and folders.
#include <windows.h>

#include "common/numbered_error.h"
#include "win32/text_entries.h"
#include "win32/wide.h"
#include "win32/win32_platform.h"

namespace win32 {

common::Outcome Win32Platform::MakeFolder(const std::u16string& path) {
  if (!Kernel32().CreateDirectoryW(Wide(path), nullptr)) return common::ErrorFromWin32(GetLastError());
  return {};
}

common::Result<int> Win32Platform::OpenForInput(const std::u16string& path) {
  const HANDLE file = Kernel32().CreateFileW(Wide(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return common::ErrorFromWin32(GetLastError());
  for (std::size_t i = 0; i < open_files_.size(); ++i) {
    if (!open_files_[i].IsOpen()) {
      open_files_[i] = FileHandle(file);
      return static_cast<int>(i + 1);
    }
  }
  open_files_.emplace_back(file);
  return static_cast<int>(open_files_.size());
}

common::Outcome Win32Platform::CloseFile(int file_number) {
  if (file_number < 1 || static_cast<std::size_t>(file_number) > open_files_.size() ||
      !open_files_[file_number - 1].IsOpen()) {
    return common::NumberedError(common::kBadFileName);
  }
  open_files_[file_number - 1].Close();
  return {};
}

common::Result<std::int32_t> Win32Platform::FileLength(const std::u16string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!Kernel32().GetFileAttributesExW(Wide(path), GetFileExInfoStandard, &data)) {
    return common::ErrorFromWin32(GetLastError());
  }
  if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return common::ErrorFromWin32(ERROR_FILE_NOT_FOUND);
  }
  return static_cast<std::int32_t>(data.nFileSizeLow);
}

common::Outcome Win32Platform::CopyFileReplacing(const std::u16string& source, const std::u16string& destination) {
  // Windows refuses to copy over a read-only file, such as a copy that an older launcher took
  // from a CD with its attribute: the destination is made writable for the copy, and keeps
  // its attribute when the copy fails all the same.
  const DWORD existing = Kernel32().GetFileAttributesW(Wide(destination));
  const bool read_only = existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
                         (existing & FILE_ATTRIBUTE_READONLY) != 0;
  if (read_only) Kernel32().SetFileAttributesW(Wide(destination), existing & ~FILE_ATTRIBUTE_READONLY);
  // CopyFile removes what it wrote of a destination it could not complete.
  if (!Kernel32().CopyFileW(Wide(source), Wide(destination), FALSE)) {
    const DWORD error = GetLastError();
    if (read_only) Kernel32().SetFileAttributesW(Wide(destination), existing);
    return common::ErrorFromWin32(error);
  }
  // A file copied from a CD is read-only; the copy must stay replaceable by a later run.
  const DWORD attributes = Kernel32().GetFileAttributesW(Wide(destination));
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    Kernel32().SetFileAttributesW(Wide(destination), attributes & ~FILE_ATTRIBUTE_READONLY);
  }
  return {};
}

}  // namespace win32
