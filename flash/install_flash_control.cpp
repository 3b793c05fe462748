// Copying the Flash control into the system folder and registering it.
#include "common/error_trap.h"
#include "common/platform.h"
#include "common/text.h"
#include "flash/flash.h"

namespace mdlFlash {
namespace {

using common::ResumeNext;
using common::ResumeNextWithRetry;
using common::Result;

platform::Platform& Os() { return platform::Current(); }

const char16_t* ControlFileName(bool flash_ocx) { return flash_ocx ? u"flash.ocx" : u"swflash.ocx"; }

// The folder with "\" appended when it does not end in one (also when it is ""), then the
// subfolder: three statements, each skipped alone when it fails.
void AppendSubfolder(std::u16string& folder, const char16_t* subfolder) {
  if (!common::EndsWith(folder, u'\\')) folder += u'\\';
  folder += subfolder;
}

}  // namespace

common::TruthValue CopyControlIfNeeded(std::u16string source_folder,
                                       std::u16string destination_folder,
                                       std::u16string source_file_name,
                                       std::u16string destination_file_name) {
  common::TruthValue result = common::kFalse;
  common::LeaveOnFailure([&]() -> common::Outcome {
    const std::u16string destination = destination_folder + destination_file_name;
    // A copy long enough is never copied over; the length is read only for a readable file.
    if (FileExists(destination) == common::kTrue) {
      const Result<std::int32_t> length = Os().FileLength(destination);
      TOLOPEN_RETURN_IF_FAILED(length);
      if (length.Value() >= kSmallestCopyLeftInPlace) {
        result = common::kTrue;
        return {};
      }
    }
    MakePath(destination_folder);
    const common::Outcome copied =
        Os().CopyFileReplacing(source_folder + source_file_name, destination);
    if (!copied) return copied;
    result = common::kTrue;
    return {};
  });
  return result;
}

void InstallFlashControl(const ControlFileNames& names) {
  common::InstallErrorTrap();  // resume next: a failing statement is skipped

  std::u16string source_folder;
  std::u16string source_file_name;
  std::u16string destination_folder;
  std::u16string destination_file_name;
  std::u16string saved_folder;
  common::TruthValue control_in_place = common::kFalse;
  std::int16_t registration_result = 0;  // kept, never examined

  ResumeNext(source_folder, Os().ProgramFolder());
  AppendSubfolder(source_folder, u"tools\\flash\\");
  source_file_name = ControlFileName(names.flash_ocx_on_disc);

  ResumeNext(destination_folder, GetSystemFolder());
  AppendSubfolder(destination_folder, u"macromed\\flash\\");
  destination_file_name = ControlFileName(names.flash_ocx_in_system_folder);

  // The folder to come back to is taken before the copy: making the copy's folders moves
  // through them, and where that cannot come back (a failing call), this still can.
  ResumeNext(saved_folder, Os().CurrentFolder());
  control_in_place = CopyControlIfNeeded(source_folder, destination_folder, source_file_name,
                                         destination_file_name);
  // Without a folder to come back to, the registration runs where the process is.
  const bool can_set_back = !saved_folder.empty();

  // The control is registered where it lies on the disc when the copy failed.
  if (control_in_place == common::kFalse) destination_folder = source_folder;

  // The control registers itself from its own folder, which may hold what it depends on.
  if (can_set_back) {
    ResumeNext(Os().ChangeDrive(destination_folder));
    ResumeNext(Os().ChangeFolder(destination_folder));
  }
  ResumeNext(registration_result,
             Os().ToAnsi(destination_folder + destination_file_name)
                 .AndThen([](const platform::AnsiString& path) { return Os().DLLSelfRegister(path); }));
  if (can_set_back) {
    ResumeNextWithRetry([&] { return Os().ChangeDrive(saved_folder); });
    ResumeNextWithRetry([&] { return Os().ChangeFolder(saved_folder); });
  }
  static_cast<void>(registration_result);
}

}  // namespace mdlFlash
