#include "tests/support/course.h"

#include <fstream>
#include <vector>

#include "sim/code_page.h"
#include "sim/registry_tree.h"

namespace tests {

void WriteControlFile(const std::filesystem::path& host_path, std::size_t size) {
  std::filesystem::create_directories(host_path.parent_path());
  std::string bytes(size, 'x');
  bytes.replace(0, 2, "MZ");
  std::ofstream(host_path, std::ios::binary) << bytes;
}

void MakeCourseFiles(const std::filesystem::path& machine_folder) {
  std::filesystem::create_directories(machine_folder / "c" / "WINDOWS" / "SYSTEM");
  std::ofstream(machine_folder / "c" / "viewer.exe", std::ios::binary) << sim::ProgramImageStandIn();
  std::filesystem::create_directories(machine_folder / "d");
  std::ofstream(machine_folder / "d" / "vb5stkit.dll", std::ios::binary) << std::string(16, 'x');
  WriteControlFile(machine_folder / "d" / "tools" / "flash" / "flash.ocx", kDiscControlSize);
}

void SetText(sim::Machine& machine, const std::u16string& key_path, const std::u16string& text,
             const std::u16string& value_name) {
  const std::string bytes = sim::EncodeWindows1252(text);
  std::vector<std::uint8_t> data(bytes.begin(), bytes.end());
  data.push_back(0);
  sim::CreatePath(machine.ClassesRoot(), sim::SplitKeyPath(key_path)).SetValue({value_name, 1, std::move(data)});
}

void RegisterViewer(sim::Machine& machine, const std::u16string& open_command) {
  SetText(machine, u".html", u"htmlfile");
  SetText(machine, u".htm", u"htmlfile");
  SetText(machine, u"htmlfile\\shell\\open\\command", open_command);
}

}  // namespace tests
