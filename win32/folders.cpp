// The current drive and one current folder per drive.
//
// A Windows process has a single current folder. Like the command shell, this backend keeps
// the folder of every other drive in the hidden environment entries "=C:", "=D:", ..., and
// moves the process to another drive only when asked to.
#include <windows.h>

#include "common/numbered_error.h"
#include "common/text.h"
#include "win32/text_entries.h"
#include "win32/wide.h"
#include "win32/win32_platform.h"

namespace win32 {
namespace {

using common::Result;

char16_t UpperDrive(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 0x20) : c; }

// Text that a wide entry writes into a buffer, given the buffer and its size, returning the
// length written or the size needed; grown until it fits.
template <typename Entry>
Result<std::u16string> BufferedText(Entry&& entry) {
  std::u16string buffer(MAX_PATH, u'\0');
  for (;;) {
    const DWORD length = entry(WideBuffer(buffer), static_cast<DWORD>(buffer.size()));
    if (length == 0) return common::ErrorFromWin32(GetLastError());
    if (length < buffer.size()) {
      buffer.resize(length);
      return buffer;
    }
    buffer.resize(length);
  }
}

Result<std::u16string> ProcessFolder() {
  return BufferedText([](wchar_t* buffer, DWORD size) { return Kernel32().GetCurrentDirectoryW(size, buffer); });
}

// The drive letter of a path that begins with one, in capitals; 0 otherwise.
char16_t DriveOf(const std::u16string& path) {
  return common::HasDriveLetter(path) ? UpperDrive(path[0]) : 0;
}

std::u16string DriveEntryName(char16_t drive) { return std::u16string(u"=") + drive + u":"; }

// The remembered folder of a drive that is not current, or its root.
std::u16string RememberedFolder(char16_t drive) {
  const std::u16string name = DriveEntryName(drive);
  wchar_t buffer[MAX_PATH];
  const DWORD length = Kernel32().GetEnvironmentVariableW(Wide(name), buffer, MAX_PATH);
  if (length > 0 && length < MAX_PATH) return FromWide(buffer, length);
  return std::u16string(1, drive) + u":\\";
}

void Remember(const std::u16string& folder) {
  const char16_t drive = DriveOf(folder);
  if (drive != 0) Kernel32().SetEnvironmentVariableW(Wide(DriveEntryName(drive)), Wide(folder));
}

// The full path of a folder, a drive-relative one ("C:sub") taken from that drive's folder.
Result<std::u16string> FullPath(const std::u16string& path) {
  std::u16string input = path;
  const char16_t drive = DriveOf(path);
  if (drive != 0 && (path.size() == 2 || path[2] != u'\\')) {
    const Result<std::u16string> current = ProcessFolder();
    TOLOPEN_RETURN_IF_FAILED(current);
    if (drive != DriveOf(current.Value())) {
      std::u16string base = RememberedFolder(drive);
      if (base.back() != u'\\') base += u'\\';
      input = base + path.substr(2);
    }
  }
  return BufferedText([&](wchar_t* buffer, DWORD size) {
    return Kernel32().GetFullPathNameW(Wide(input), size, buffer, nullptr);
  });
}

std::u16string WithoutTrailingBackslash(std::u16string folder) {
  // "C:\" keeps its "\"; "C:\A\" loses it, as the current folder is reported without one.
  while (folder.size() > 3 && folder.back() == u'\\') folder.pop_back();
  return folder;
}

}  // namespace

Result<std::u16string> Win32Platform::CurrentFolder() { return ProcessFolder(); }

common::Outcome Win32Platform::ChangeDrive(const std::u16string& path) {
  const char16_t drive = DriveOf(path);
  if (drive == 0) return common::ErrorFromWin32(ERROR_INVALID_DRIVE);
  const Result<std::u16string> current = ProcessFolder();
  TOLOPEN_RETURN_IF_FAILED(current);
  if (drive == DriveOf(current.Value())) return {};
  std::u16string target = RememberedFolder(drive);
  if (!Kernel32().SetCurrentDirectoryW(Wide(target))) {
    // A remembered folder that is gone: the drive's root, as the shell does.
    target = std::u16string(1, drive) + u":\\";
    if (!Kernel32().SetCurrentDirectoryW(Wide(target))) return common::ErrorFromWin32(ERROR_INVALID_DRIVE);
  }
  Remember(current.Value());
  return {};
}

common::Outcome Win32Platform::ChangeFolder(const std::u16string& path) {
  if (path.empty()) return common::ErrorFromWin32(ERROR_PATH_NOT_FOUND);
  const Result<std::u16string> full = FullPath(path);
  TOLOPEN_RETURN_IF_FAILED(full);
  const std::u16string folder = WithoutTrailingBackslash(full.Value());
  const DWORD attributes = Kernel32().GetFileAttributesW(Wide(folder));
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    return common::ErrorFromWin32(ERROR_PATH_NOT_FOUND);
  }
  const char16_t drive = DriveOf(folder);
  if (drive != 0) {
    const Result<std::u16string> current = ProcessFolder();
    TOLOPEN_RETURN_IF_FAILED(current);
    if (drive != DriveOf(current.Value())) {
      Remember(folder);  // another drive: its folder changes, the current drive stays
      return {};
    }
  }
  if (!Kernel32().SetCurrentDirectoryW(Wide(folder))) return common::ErrorFromWin32(GetLastError());
  Remember(folder);
  return {};
}

}  // namespace win32
