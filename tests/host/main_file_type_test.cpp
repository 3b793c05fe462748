// The start-up sequence built with the course file-type registration on.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <fstream>
#include <iterator>

#include "tools/dry_run/change_journal.h"
#include "tools/dry_run/registry_file.h"
#include "tests/host/sim_fixture.h"

namespace tests {
namespace {

class MainFileTypeTest : public SimTest {
 protected:
  MainFileTypeTest() { options_ = mdlMain::kBuiltOptionsWithFileType; }
};

// What a run created or changed is what a save adds to the registry file, and a second run,
// which writes the same values again, changes nothing.
TEST_F(MainFileTypeTest, TheChangesOfARunAreAddedToTheFile) {
  machine_.SetProgramPath(u"D:\\COURSE\\tolOpen.exe");
  dry_run::ChangeJournal journal(machine_);
  const platform::ScopedPlatform observed(journal);
  mdlMain::Main(options_);
  std::vector<std::string> changes;
  for (const dry_run::RegistryChange& change : journal.Changes()) {
    std::string line = Show(change.key_path) + (change.created ? " created, class " + Show(change.key_class) : "");
    for (const std::u16string& value : change.values) line += " [" + Show(value) + "]";
    changes.push_back(line);
  }
  EXPECT_EQ(changes, (std::vector<std::string>{".tv1 created, class 1 []", "Tolvex Ubra created, class 1 [EditFlags]",
                                               "Tolvex Ubra\\shell created, class 1",
                                               "Tolvex Ubra\\shell\\open created, class 1",
                                               "Tolvex Ubra\\shell\\open\\command created, class 1 []"}));
  mdlMain::Main(options_);
  EXPECT_EQ(journal.Changes().size(), changes.size()) << "the same values again are no change";
  machine_.SetProgramPath(u"D:\\KURSUS\\tolOpen.exe");  // new data of the same type and length
  dry_run::ChangeJournal rerun(machine_);
  {
    const platform::ScopedPlatform observed_again(rerun);
    mdlMain::Main(options_);
  }
  ASSERT_EQ(rerun.Changes().size(), 1u) << "a run from another folder rewrites the command: new data, same type";
  EXPECT_EQ(Show(rerun.Changes()[0].key_path), "Tolvex Ubra\\shell\\open\\command");
  EXPECT_EQ(rerun.Changes()[0].values.size(), 1u);

  const std::string original = "REGEDIT4\r\n; a publisher's comment\r\n[HKEY_CLASSES_ROOT\\.html]\r\n@=\"htmlfile\"";
  const dry_run::RegistryFile file = dry_run::ParseRegistryFile(original, "registry.reg").Value();
  const std::string path = (root_ / "registry.reg").string();
  std::ofstream(path, std::ios::binary) << original;
  std::ofstream(path + ".new", std::ios::binary) << "the user's own";
  namespace fs = std::filesystem;
  fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::group_write |
                          fs::perms::others_read);
  ASSERT_TRUE(dry_run::SaveChanges(path, file, machine_.Classes(), journal.Changes()));
  EXPECT_EQ(fs::status(path).permissions(), fs::perms(0664)) << "the file keeps the permissions its user gave it";
  std::ifstream users_file(path + ".new", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(users_file), {}), "the user's own") << "a user's file is kept";
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(root_), {}), 4) << "no temporary file is left";
  std::ifstream saved_file(path, std::ios::binary);
  const std::string saved((std::istreambuf_iterator<char>(saved_file)), std::istreambuf_iterator<char>());
  EXPECT_EQ(saved.substr(0, original.size() + 2), original + "\r\n") << "the file as it was, then the additions";
  EXPECT_NE(saved.find("[HKEY_CLASSES_ROOT\\Tolvex Ubra\\shell\\open\\command]\r\n; class=1\r\n@=\"D:\\\\KURSUS\\\\Download"),
            std::string::npos) << saved;

  // A save that fails half-way (the file system takes no more: here a file size limit) leaves the
  // user's file as it was, and nothing beside it.
  const std::string before_failure = saved + std::string(64 * 1024, ';') + "\r\n";
  std::ofstream(path, std::ios::binary | std::ios::trunc) << before_failure;
  const dry_run::RegistryFile large = dry_run::ParseRegistryFile(before_failure, "registry.reg").Value();
  rlimit limit{};
  getrlimit(RLIMIT_FSIZE, &limit);
  const rlimit previous = limit;
  limit.rlim_cur = 32 * 1024;
  const auto previous_handler = signal(SIGXFSZ, SIG_IGN);
  setrlimit(RLIMIT_FSIZE, &limit);
  const common::Outcome failed = dry_run::SaveChanges(path, large, machine_.Classes(), journal.Changes());
  setrlimit(RLIMIT_FSIZE, &previous);
  signal(SIGXFSZ, previous_handler);
  EXPECT_FALSE(failed) << "the save says it failed";
  std::ifstream kept_file(path, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept_file), {}), before_failure) << "the user's file is whole";
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(root_), {}), 4) << "no partial file is left";
}

}  // namespace
}  // namespace tests
