// The file-system routines of the control installation.
#include <cstddef>

#include "common/error_trap.h"
#include "common/platform.h"
#include "flash/flash.h"

namespace mdlFlash {
namespace {

using common::ResumeNext;
using common::Result;

platform::Platform& Os() { return platform::Current(); }

// The 1-based position of the first "\" at or after 1-based `start`, or 0.
std::size_t NextBackslash(const std::u16string& text, std::size_t start) {
  if (start == 0 || start > text.size()) return 0;
  const std::size_t found = text.find(u'\\', start - 1);
  return found == std::u16string::npos ? 0 : found + 1;
}

}  // namespace

common::TruthValue MakePath(std::u16string path) {
  common::InstallErrorTrap();
  std::u16string saved;
  ResumeNext(saved, Os().CurrentFolder());
  common::TruthValue result = common::kFalse;

  // The text before the first "\" (a drive, or nothing) is never a level of its own.
  std::size_t p = NextBackslash(path, 1);
  do {
    p = NextBackslash(path, p + 1);
    if (p > 0) {
      const std::u16string level = path.substr(0, p - 1);
      // A level is tested by entering it; one that cannot be entered is created.
      common::ClearCurrentError();
      ResumeNext(Os().ChangeFolder(level));
      if (common::GetCurrentError().number != 0) {
        common::ClearCurrentError();
        ResumeNext(Os().MakeFolder(level));
      }
    }
  } while (p != 0);

  result = common::kTrue;
  common::ResumeNextWithRetry([&] { return Os().ChangeFolder(saved); });
  common::ClearCurrentError();
  return result;
}

common::TruthValue FileExists(std::u16string path) {
  common::InstallErrorTrap();
  int file = 0;
  ResumeNext(file, Os().OpenForInput(path));
  const common::TruthValue result = common::ToTruthValue(common::GetCurrentError().number == 0);
  ResumeNext(Os().CloseFile(file));  // fails harmlessly when the open failed
  common::ClearCurrentError();
  return result;
}

Result<std::u16string> GetSystemFolder() {
  constexpr std::size_t kBufferSize = 255;
  platform::Platform& os = Os();
  Result<platform::AnsiString> buffer = os.ToAnsi(std::u16string(kBufferSize, u' '));
  TOLOPEN_RETURN_IF_FAILED(buffer);
  platform::AnsiString bytes = std::move(buffer).Value();
  const Result<std::uint32_t> length = os.GetSystemDirectoryA(bytes);
  TOLOPEN_RETURN_IF_FAILED(length);
  // The whole buffer comes back: the path, its NUL, and the rest as it was.
  Result<std::u16string> folder = os.FromAnsi(bytes);
  TOLOPEN_RETURN_IF_FAILED(folder);
  if (static_cast<std::int32_t>(length.Value()) > 0) {
    std::u16string trimmed = TrimAtNull(std::move(folder).Value());
    AddBackslash(trimmed);
    return trimmed;
  }
  return std::u16string();
}

std::u16string TrimAtNull(std::u16string text) {
  const std::size_t nul = text.find(u'\0');
  if (nul != std::u16string::npos) text.resize(nul);
  return text;
}

void AddBackslash(std::u16string& path) {
  const std::size_t last = path.find_last_not_of(u' ');
  const bool ends_in_separator = last != std::u16string::npos && (path[last] == u'\\' || path[last] == u'/');
  if (ends_in_separator) return;
  path.resize(last == std::u16string::npos ? 0 : last + 1);
  path += u'\\';
}

}  // namespace mdlFlash
