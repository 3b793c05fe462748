// A simulated machine for the fuzz targets: drives C: and D: in a temporary folder made once
// per process, the viewer C:\viewer.exe registered for .html, and the course on D:.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "sim/code_page.h"
#include "sim/machine.h"

namespace fuzz {

inline const std::filesystem::path& MachineFolder() {
  static const std::filesystem::path folder = [] {
    std::filesystem::path path = std::filesystem::temp_directory_path() /
                                 ("tolopen-fuzz-" + std::to_string(::getpid()));
    std::filesystem::create_directories(path / "c" / "WINDOWS" / "SYSTEM");
    std::filesystem::create_directories(path / "d" / "tools" / "flash");
    std::ofstream(path / "c" / "viewer.exe") << "viewer";
    std::ofstream(path / "d" / "vb5stkit.dll") << "setup toolkit";
    std::ofstream(path / "d" / "tools" / "flash" / "flash.ocx") << std::string(1000, 'x');
    return path;
  }();
  return folder;
}

inline void SetText(sim::Machine& machine, const std::u16string& key, const std::u16string& text) {
  sim::RegistryNode* node = &machine.ClassesRoot();
  for (const std::u16string& name : sim::SplitKeyPath(key)) node = &node->CreateSubkey(name);
  const std::string bytes = sim::EncodeWindows1252(text);
  std::vector<std::uint8_t> data(bytes.begin(), bytes.end());
  data.push_back(0);
  node->SetValue({u"", 1, data});
}

inline void Prepare(sim::Machine& machine) {
  machine.MapDrive(u'c', (MachineFolder() / "c").string());
  machine.MapDrive(u'd', (MachineFolder() / "d").string());
  machine.SetCurrentFolder(u"D:\\");
}

}  // namespace fuzz
