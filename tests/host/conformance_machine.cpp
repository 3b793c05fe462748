// The conformance suite's machine in the host build: the simulated one, running Main.
#include <filesystem>
#include <fstream>
#include <iterator>

#include "tests/conformance/machine.h"
#include "tests/host/sim_fixture.h"
#include "vb5stkit/self_registration.h"

namespace conformance {
namespace {

namespace fs = std::filesystem;

class SimulatedMachine final : public Machine, public tests::SimMachine {
 public:
  SimulatedMachine() {
    fs::create_directories(*machine_.HostPath(SystemFolder()));
    CreateProgram(Viewer());
  }

  std::u16string DiscRoot() override { return u"D:"; }
  std::u16string SystemFolder() override { return u"C:\\WINDOWS\\SYSTEM"; }
  std::u16string Viewer() override { return u"C:\\viewer.exe"; }
  std::u16string WorkFolder() override {
    fs::create_directories(*machine_.HostPath(u"C:\\WORK"));
    return u"C:\\WORK";
  }
  std::u16string OtherDriveFolder() override { return u"D:\\"; }

  void SetClassesValue(const std::u16string& key, const std::u16string& name, std::uint32_t type,
                       const std::string& data, Classes whose) override {
    SetValue(key, name, type, std::vector<std::uint8_t>(data.begin(), data.end()),
             whose == Classes::kMachine ? &machine_.ClassesRoot() : &machine_.UserClasses());
  }
  void SetEnvironment(const std::u16string& name, const std::u16string& value) override {
    machine_.SetEnvironmentVariable(name, value);
  }
  void WriteFile(const std::u16string& path, std::size_t size) override { CreateFile(path, size); }
  void CopyViewer(const std::u16string& path) override { CreateProgram(path); }
  void MoveFile(const std::u16string& from, const std::u16string& to) override {
    fs::rename(*machine_.HostPath(from), *machine_.HostPath(to));
  }
  void WriteControl(const std::u16string& path, std::size_t size) override { tests::WriteControlFile(*machine_.HostPath(path), size); }
  void RemoveFile(const std::u16string& path) override {
    std::error_code ignored;
    fs::remove(*machine_.HostPath(path), ignored);
  }
  void MakeReadOnly(const std::u16string& path) override {
    fs::permissions(*machine_.HostPath(path), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
  }
  void Hold(const std::u16string& path) override { machine_.LockFile(path); }
  void HoldForReading(const std::u16string& path) override { machine_.HoldForReading(path); }
  void MakeDisc(const std::u16string& folder, Build build) override {
    options_ = build == Build::kFileType ? mdlMain::kBuiltOptionsWithFileType : mdlMain::kBuiltOptions;
    fs::create_directories(*machine_.HostPath(folder));
    CreateFile(folder + u"\\vb5stkit.dll");
    WriteControl(folder + u"\\tools\\flash\\flash.ocx", tests::kDiscControlSize);
  }

  void SetStandardUser(bool standard) override { machine_.SetLimitedUser(standard); }
  void MakeControlRefuse() override { machine_.SetServerRefuses(true); }
  void SetWindowsVersion(const std::string&) override {}

  LaunchOutcome Launch(const std::u16string& folder, const std::u16string& argument, bool) override {
    machine_.SetCurrentFolder(folder);
    const std::size_t registrations = machine_.Registrations().size();
    LaunchOutcome run;
    if (SimMachine::Launch(argument, folder + u"\\tolOpen.exe") != "(none)") {
      run.viewer_command_line = machine_.StartedProcesses().back().command_line;
      run.viewer_folder = machine_.FolderOfDrive(machine_.CurrentDrive());
      run.viewer_show_state = machine_.StartedProcesses().back().window_style;
    }
    for (std::size_t i = registrations; i < machine_.Registrations().size(); ++i) {
      const sim::Registration& registration = machine_.Registrations()[i];
      if (registration.result == vb5stkit::kRegistered && !registration.for_user) {
        run.registered = registration.path;
        run.registered_in = registration.folder;
      }
    }
    run.registered_for_user = sim::RegisteredServer(machine_.UserClasses()).value_or(u"");
    return run;
  }
  platform::Platform& Platform() override { return machine_; }
  platform::Platform& ProgramOn(const std::u16string& disc, const std::u16string& argument) override {
    machine_.SetCurrentFolder(disc);
    machine_.SetCommandLineArgument(argument);
    machine_.SetProgramPath(disc + u"\\tolOpen.exe");
    return machine_;
  }
  std::string AfterRoutines(bool) override { return machine_.LeftOpen(); }

  ClassesValue GetClassesValue(const std::u16string& key, const std::u16string& name, Classes whose) override {
    sim::RegistryNode& classes = whose == Classes::kMachine ? machine_.ClassesRoot() : machine_.UserClasses();
    const sim::RegistryNode* node = classes.Find(sim::SplitKeyPath(key));
    const sim::RegistryValue* value = node == nullptr ? nullptr : node->FindValue(name);
    if (value == nullptr) return {};
    return {true, value->type, std::string(value->data.begin(), value->data.end())};
  }
  std::u16string KeyClass(const std::u16string& key) override {
    const sim::RegistryNode* node = machine_.ClassesRoot().Find(sim::SplitKeyPath(key));
    return node == nullptr ? u"(no key)" : node->KeyClass();
  }
  bool IsReadOnly(const std::u16string& path) override {
    std::error_code error;
    return (fs::status(*machine_.HostPath(path), error).permissions() & fs::perms::owner_write) == fs::perms::none;
  }
  bool UnderWine() override { return false; }
  std::string FileBytes(const std::u16string& path) override {
    std::ifstream file(*machine_.HostPath(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  }
  long long FileSize(const std::u16string& path) override {
    std::error_code error;
    const auto size = fs::file_size(*machine_.HostPath(path), error);
    return error ? -1 : static_cast<long long>(size);
  }
};

}  // namespace

std::unique_ptr<Machine> NewMachine() { return std::make_unique<SimulatedMachine>(); }

}  // namespace conformance
