// A fresh simulated machine, installed as the platform, with drives C: and D: in a temporary
// host folder that is removed afterwards. SimTest gives each test one.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "common/error_trap.h"
#include "common/platform.h"
#include "common/utf8.h"
#include "wrappers/faulting_platform.h"
#include "sim/code_page.h"
#include "sim/machine.h"
#include "start/built_options.h"
#include "start/main.h"
#include "tests/conformance/machine.h"
#include "tests/support/course.h"

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

  // A value of the machine's classes (or of `classes`), creating its key.
  void SetValue(const std::u16string& key_path, const std::u16string& name, std::uint32_t type,
                std::vector<std::uint8_t> data, sim::RegistryNode* classes = nullptr) {
    sim::CreatePath(classes != nullptr ? *classes : machine_.ClassesRoot(), sim::SplitKeyPath(key_path))
        .SetValue({name, type, std::move(data)});
  }
  // A file on a mapped drive, given by its Windows path.
  void CreateFile(const std::u16string& windows_path, std::size_t size = 16) {
    const std::filesystem::path host = *machine_.HostPath(windows_path);
    std::filesystem::create_directories(host.parent_path());
    std::ofstream(host, std::ios::binary) << std::string(size, 'x');
  }

  // A program that the machine starts (a PE image's signatures).
  void CreateProgram(const std::u16string& windows_path) {
    CreateFile(windows_path);
    std::ofstream(*machine_.HostPath(windows_path), std::ios::binary) << sim::ProgramImageStandIn();
  }

  // The course on D:\, the current folder: vb5stkit.dll and the control (500,000 bytes) on the
  // disc, the system folder C:\WINDOWS\SYSTEM, and web pages opening in C:\viewer.exe.
  void MakeCourse() {
    MakeCourseFiles(root_);
    RegisterViewer(machine_, u"C:\\viewer.exe -nohome");
    machine_.SetCurrentFolder(u"D:\\");
  }

  // Runs the launcher; gives the command line of the process it started, or "(none)".
  std::string Launch(const std::u16string& argument = u"", const std::u16string& program = u"D:\\tolOpen.exe") {
    machine_.SetCommandLineArgument(argument);
    machine_.SetProgramPath(program);
    const std::size_t before = machine_.StartedProcesses().size();
    mdlMain::Main(options_);
    EXPECT_EQ(machine_.LeftOpen(), "");
    const auto& started = machine_.StartedProcesses();
    if (started.size() == before) return "(none)";
    EXPECT_EQ(started.size(), before + 1);
    EXPECT_EQ(started.back().window_style, 1);
    return common::ToUtf8(started.back().command_line);
  }
  // Where the run first calls an operation (past the log's end when it never does).
  long FirstCall(platform::Operation operation) const { return wrappers::FirstCall(faults_.CallLog(), operation); }

  mdlMain::StartupOptions options_ = mdlMain::kBuiltOptions;  // what Launch runs with
  sim::Machine machine_;
  wrappers::FaultingPlatform faults_{machine_};  // plants failures above the machine
  platform::ScopedPlatform installed_{faults_};
  std::filesystem::path root_;
};

class SimTest : public ::testing::Test, public SimMachine {};

using conformance::Show;  // test output shows UTF-16 text as UTF-8

}  // namespace tests
