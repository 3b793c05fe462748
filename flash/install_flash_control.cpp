// Copying the Flash control into the system folder and registering it.
#include "common/build_options.h"
#include "common/error_trap.h"
#include "common/platform.h"
#include "common/text.h"
#include "flash/flash.h"

namespace mdlFlash {
namespace {

using common::ResumeNext;
using common::ResumeNextTest;
using common::ResumeNextWithRetry;

platform::Platform& Os() { return platform::Current(); }

const char16_t* ControlFileName(bool flash_ocx) { return flash_ocx ? u"flash.ocx" : u"swflash.ocx"; }


}  // namespace

common::TruthValue CopyControlIfNeeded(std::u16string source_folder,
                                       std::u16string destination_folder,
                                       std::u16string source_file_name,
                                       std::u16string destination_file_name) noexcept {
  common::TruthValue result = common::kFalse;
  common::LeaveOnFailure([&] {
    const std::u16string destination = destination_folder + destination_file_name;
    // A copy long enough is never copied over; the length is read only for a readable file.
    if (FileExists(destination) == common::kTrue &&
        Os().FileLength(destination) >= kSmallestCopyLeftInPlace) {
      result = common::kTrue;
      return;
    }
    MakePath(destination_folder);
    Os().CopyFileReplacing(source_folder + source_file_name, destination);
    result = common::kTrue;
  });
  return result;
}

void InstallFlashControl() noexcept {
  common::InstallErrorTrap();  // resume next: a failing statement is skipped

  std::u16string source_folder;
  std::u16string source_file_name;
  std::u16string destination_folder;
  std::u16string destination_file_name;
  std::u16string saved_folder;
  common::TruthValue control_in_place = common::kFalse;
  std::int16_t registration_result = 0;  // kept, never examined

  ResumeNext([&] { source_folder = Os().ProgramFolder(); });
  if (ResumeNextTest([&] { return !common::EndsWith(source_folder, u'\\'); })) {
    ResumeNext([&] { source_folder += u'\\'; });
  }
  ResumeNext([&] { source_folder += u"tools\\flash\\"; });
  ResumeNext([&] { source_file_name = ControlFileName(common::options::FlashOcxOnDisc); });

  ResumeNext([&] { destination_folder = GetSystemFolder(); });
  if (ResumeNextTest([&] { return !common::EndsWith(destination_folder, u'\\'); })) {
    ResumeNext([&] { destination_folder += u'\\'; });
  }
  ResumeNext([&] { destination_folder += u"macromed\\flash\\"; });
  ResumeNext([&] { destination_file_name = ControlFileName(common::options::FlashOcxInSystemFolder); });

  ResumeNext([&] {
    control_in_place = CopyControlIfNeeded(source_folder, destination_folder, source_file_name,
                                           destination_file_name);
  });
  ResumeNext([&] { saved_folder = Os().CurrentFolder(); });
  // Without a folder to come back to, the registration runs where the process is.
  const bool can_set_back = !saved_folder.empty();

  // The control is registered where it lies on the disc when the copy failed.
  if (ResumeNextTest([&] { return control_in_place == common::kFalse; })) {
    ResumeNext([&] { destination_folder = source_folder; });
  }

  // The control registers itself from its own folder, which may hold what it depends on.
  if (can_set_back) {
    ResumeNext([&] { Os().ChangeDrive(destination_folder); });
    ResumeNext([&] { Os().ChangeFolder(destination_folder); });
  }
  ResumeNext([&] {
    registration_result = Os().DLLSelfRegister(Os().ToAnsi(destination_folder + destination_file_name));
  });
  if (can_set_back) {
    ResumeNextWithRetry([&] { Os().ChangeDrive(saved_folder); });
    ResumeNextWithRetry([&] { Os().ChangeFolder(saved_folder); });
  }
  static_cast<void>(registration_result);
}

}  // namespace mdlFlash
