// Small helpers of the simulated machine: how it reads Windows paths.
#pragma once

#include <string>
#include <vector>

#include "common/platform.h"
#include "common/text.h"
#include "sim/code_page.h"
#include "sim/registry_tree.h"

namespace sim {

using common::HasDriveLetter;

// What an operation that fails with a status reports, as the run-time library reports it.
inline common::NumberedError Failure(platform::Status status) {
  return common::ErrorFromWin32(static_cast<std::uint32_t>(status));
}

// The folder a full path lies in: up to its last "\", a drive root keeping its own ("D:\"). The
// program's folder, the Windows folder above the system folder, a file's folder.
std::u16string ParentOf(const std::u16string& full);

// The names of a path below its drive, with "." dropped and ".." taking its parent's place.
std::vector<std::u16string> NormalizedNames(const std::u16string& path);

}  // namespace sim
