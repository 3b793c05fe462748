#include "common/error_trap.h"
#include "common/platform.h"
#include "common/text.h"
#include "filetype/filetype.h"
#include "registry/registry.h"

namespace mdlAsociace {
namespace {

using common::ResumeNext;

// FTA_OpenIsSafe: the shell opens documents of the type without asking first.
constexpr std::int32_t kOpenIsSafe = 0x10000;

}  // namespace

std::u16string DownloadOpenCommand(const std::u16string& program_folder,
                                   const std::u16string& program_file_name) {
  std::u16string program = program_folder;
  program += common::EndsWith(program_folder, u'\\') ? u"Download\\" : u"\\Download\\";
  program += program_file_name;
  return common::QuotedIfBlank(program) + u" %1";
}

void RegisterFileType(std::u16string extension, std::u16string file_type_name,
                      std::u16string program_file_name) {
  common::InstallErrorTrap();  // resume next: a failed write does not stop the next one
  std::u16string open_command;
  std::u16string key_path;

  ResumeNext(open_command, platform::Current().ProgramFolder().Map([&](const std::u16string& folder) {
    return DownloadOpenCommand(folder, program_file_name);
  }));

  key_path = extension + u"\\";
  ResumeNext(mdlRegistry::SetRegistryValue(platform::kClassesRoot, key_path, u"", file_type_name,
                                           mdlRegistry::kTextValue));
  key_path = file_type_name + u"\\shell\\open\\command\\";
  ResumeNext(mdlRegistry::SetRegistryValue(platform::kClassesRoot, key_path, u"", open_command,
                                           mdlRegistry::kTextValue));
  key_path = file_type_name + u"\\";
  ResumeNext(mdlRegistry::SetRegistryValue(platform::kClassesRoot, key_path, u"EditFlags",
                                           kOpenIsSafe, mdlRegistry::kNumberValue));
}

}  // namespace mdlAsociace
