#include "common/error_trap.h"
#include "common/numbered_error.h"
#include "common/platform.h"
#include "common/text.h"
#include "filetype/filetype.h"
#include "registry/registry.h"

namespace mdlAsociace {
namespace {

using common::ResumeNext;

// FTA_OpenIsSafe: the shell opens documents of the type without asking first.
constexpr std::int32_t kOpenIsSafe = 0x10000;

// Where the type is written: HKEY_CLASSES_ROOT (for a user with the rights, the machine's
// classes), or the current user's classes when the machine's refuse the extension's key.
struct ClassesPlace {
  std::uint32_t root;
  std::u16string prefix;  // before each key path
};

constexpr std::int32_t kRefused = common::kRegistryWriteFailed;

}  // namespace

std::u16string DownloadOpenCommand(const std::u16string& program_folder,
                                   const std::u16string& program_file_name) {
  std::u16string program = program_folder;
  program += common::EndsWith(program_folder, u'\\') ? u"Download\\" : u"\\Download\\";
  program += program_file_name;
  return common::QuotedIfBlank(program) + u" \"%1\"";
}

void RegisterFileType(std::u16string extension, std::u16string file_type_name,
                      std::u16string program_file_name) {
  common::InstallErrorTrap();  // resume next: a failed write does not stop the next one
  std::u16string open_command;
  std::u16string key_path;

  ResumeNext(open_command, platform::Current().ProgramFolder().Map([&](const std::u16string& folder) {
    return DownloadOpenCommand(folder, program_file_name);
  }));

  // The extension's key decides the place of the whole type, so that a run never writes part of
  // it to the machine's classes and part to the user's.
  ClassesPlace place{platform::kClassesRoot, u""};
  key_path = extension + u"\\";
  const common::Outcome extension_written =
      mdlRegistry::SetRegistryValue(place.root, key_path, u"", file_type_name, mdlRegistry::kTextValue);
  if (!extension_written && extension_written.Error().Number() == kRefused) {
    place = ClassesPlace{platform::kCurrentUser, u"Software\\Classes\\"};
    key_path = place.prefix + extension + u"\\";
    ResumeNext(mdlRegistry::SetRegistryValue(place.root, key_path, u"", file_type_name, mdlRegistry::kTextValue));
  } else {
    ResumeNext(extension_written);
  }
  key_path = place.prefix + file_type_name + u"\\shell\\open\\command\\";
  ResumeNext(mdlRegistry::SetRegistryValue(place.root, key_path, u"", open_command, mdlRegistry::kTextValue));
  key_path = place.prefix + file_type_name + u"\\";
  ResumeNext(mdlRegistry::SetRegistryValue(place.root, key_path, u"EditFlags", kOpenIsSafe,
                                           mdlRegistry::kNumberValue));
}

}  // namespace mdlAsociace
