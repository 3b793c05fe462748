// The course that the host tests and the fuzz targets run the launcher on, stated once: its
// files under a machine folder, and the registry entries that open its pages.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

#include "sim/machine.h"

namespace tests {

inline constexpr char16_t kSystemCopy[] = u"C:\\WINDOWS\\SYSTEM\\macromed\\flash\\flash.ocx";
inline constexpr char16_t kDiscCopy[] = u"D:\\tools\\flash\\flash.ocx";
inline constexpr std::size_t kDiscControlSize = 500000;

// Under a machine folder whose "c" and "d" are drives C: and D:: the system folder
// C:\WINDOWS\SYSTEM, the viewer C:\viewer.exe, and on D: vb5stkit.dll and the control.
void MakeCourseFiles(const std::filesystem::path& machine_folder);

// A file that begins as a library image does, as the simulated setup toolkit registers it.
void WriteControlFile(const std::filesystem::path& host_path, std::size_t size);

// A text value (REG_SZ) under HKEY_CLASSES_ROOT, creating its key.
void SetText(sim::Machine& machine, const std::u16string& key_path, const std::u16string& text,
             const std::u16string& value_name = u"");

// Web pages (.html, .htm) open with `open_command`.
void RegisterViewer(sim::Machine& machine, const std::u16string& open_command);

}  // namespace tests
