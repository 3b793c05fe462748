// A fresh simulated machine, installed as the platform, with drives C: and D: in a temporary
// host folder that is removed afterwards. SimTest gives each test one.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>
#include <vector>

#include "common/error_trap.h"
#include "common/platform.h"
#include "sim/code_page.h"
#include "sim/machine.h"

namespace tests {

class SimMachine {
 public:
  SimMachine() {
    static int counter = 0;
    root_ = std::filesystem::temp_directory_path() /
            ("tolopen-test-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
    for (const char drive : {'c', 'd'}) {
      std::filesystem::create_directories(root_ / std::string(1, drive));
      machine_.MapDrive(static_cast<char16_t>(drive), (root_ / std::string(1, drive)).string());
    }
    common::ClearCurrentError();
  }
  ~SimMachine() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }

  // A value under HKEY_CLASSES_ROOT, creating its key.
  void SetValue(const std::u16string& key_path, const std::u16string& name, std::uint32_t type,
                std::vector<std::uint8_t> data) {
    sim::RegistryNode* node = &machine_.ClassesRoot();
    for (const std::u16string& key : sim::SplitKeyPath(key_path)) node = &node->CreateSubkey(key);
    node->SetValue({name, type, std::move(data)});
  }
  void SetText(const std::u16string& key_path, const std::u16string& text) {
    std::string bytes = sim::EncodeWindows1252(text);
    std::vector<std::uint8_t> data(bytes.begin(), bytes.end());
    data.push_back(0);
    SetValue(key_path, u"", 1, std::move(data));
  }
  // A file on a mapped drive, given by its Windows path.
  void CreateFile(const std::u16string& windows_path, std::size_t size = 16) {
    const std::filesystem::path host = *machine_.HostPath(windows_path);
    std::filesystem::create_directories(host.parent_path());
    std::ofstream(host, std::ios::binary) << std::string(size, 'x');
  }

  sim::Machine machine_;
  platform::ScopedPlatform installed_{machine_};
  std::filesystem::path root_;
};

class SimTest : public ::testing::Test, public SimMachine {};

// Test output shows UTF-16 text as UTF-8.
inline std::string Show(const std::u16string& text) { return sim::ToUtf8(text); }

}  // namespace tests
