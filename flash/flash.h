// mdlFlash: makes sure, at every start, that the Flash ActiveX control lies in the system
// folder's "macromed\flash\" and is registered as a COM server; and the small file-system
// routines that this rests on. Nothing here shows anything or reports to its caller.
#pragma once

#include <cstdint>
#include <string>

#include "common/result.h"
#include "common/truth_value.h"

namespace mdlFlash {

// A copy in the system folder at least this long is left in place.
inline constexpr std::int32_t kSmallestCopyLeftInPlace = 0x63000;

// The control's file name on the disc and in the system folder: flash.ocx, else swflash.ocx.
struct ControlFileNames {
  bool flash_ocx_on_disc = true;
  bool flash_ocx_in_system_folder = true;
};

// Copies the control from "tools\flash\" on the disc into the system folder's
// "macromed\flash\" unless a copy long enough is there, and has it register itself: from the
// system folder, or where it lies on the disc when the copy failed. The current drive and its
// folder are set back afterwards (a failed set-back is tried once more); when the current
// folder cannot be read, the registration runs where the process is. Never fails.
void InstallFlashControl(const ControlFileNames& names);

// True when `destination_folder` holds the control afterwards: a copy long enough was there, or
// the copy succeeded. Both folders end in "\". A failure ends the routine with false.
common::TruthValue CopyControlIfNeeded(std::u16string source_folder,
                                       std::u16string destination_folder,
                                       std::u16string source_file_name,
                                       std::u16string destination_file_name);

// Creates every missing level of a folder path that ends in "\" (the text after the last "\"
// is not a level). Sets the current drive's folder back (a failed set-back is tried once more);
// a level entered on another drive stays that drive's current folder. Always true; the current
// error is 0 afterwards.
common::TruthValue MakePath(std::u16string path);

// True when the file can be opened for reading. The current error is 0 afterwards.
common::TruthValue FileExists(std::u16string path);

// The Windows system folder ending in "\", or "" when it cannot be found.
// A failure of the code-page conversion or of resolving the import passes to the caller.
[[nodiscard]] common::Result<std::u16string> GetSystemFolder();

// The text before its first NUL character, or the whole text when it has none.
std::u16string TrimAtNull(std::u16string text);

// Appends "\" to a folder path (dropping its trailing blanks) unless, blanks aside, it already
// ends in "\" or "/"; then the path is left exactly as it was.
void AddBackslash(std::u16string& path);

}  // namespace mdlFlash
