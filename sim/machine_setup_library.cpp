// The simulated machine's setup library: vb5stkit.dll's DLLSelfRegister as the machine plays it,
// and what the Flash control's self-registration writes.
#include <fstream>

#include "common/numbered_error.h"
#include "sim/code_page.h"
#include "sim/machine.h"
#include "sim/machine_helpers.h"
#include "vb5stkit/self_registration.h"

namespace sim {
namespace {

// The Flash control's class key below a classes root.
const std::vector<std::u16string> kServerKey = [] {
  std::vector<std::u16string> path = SplitKeyPath(vb5stkit::kFlashClassKey);
  path.push_back(u"InprocServer32");
  return path;
}();
using vb5stkit::kRegistered, vb5stkit::kServerFailed, vb5stkit::kRegisteredForUser;  // the answers it plays

}  // namespace

std::optional<std::u16string> RegisteredServer(const MergedClasses& classes) {
  const RegistryNode* key = classes.Find(kServerKey);
  const RegistryValue* file = key == nullptr ? nullptr : key->FindValue(u"");
  if (file == nullptr) return std::nullopt;
  const std::string bytes(file->data.begin(), file->data.end());
  return DecodeWindows1252(bytes.substr(0, bytes.find('\0')));
}

// What the Flash control's DllRegisterServer writes: its class key, naming the file, below
// HKEY_CLASSES_ROOT as vb5stkit.dll overrides it for the call: the machine's classes, or the
// user's when `for_user`. False when the machine refuses the write.
bool Machine::WriteServerKey(const std::u16string& file, bool for_user) {
  if (limited_user_ && !for_user) return false;
  const std::string path = EncodeWindows1252(file);
  std::vector<std::uint8_t> data(path.begin(), path.end());
  data.push_back(0);
  RegistryNode& classes = for_user ? UserClasses() : classes_root_;
  CreatePath(classes, kServerKey)
      .SetValue({u"", platform::kRegSz, std::move(data)});
  return true;
}

common::Result<std::int16_t> Machine::DLLSelfRegister(const platform::AnsiString& path) {
  const std::u16string name = DecodeWindows1252(std::string_view(path.c_str()));
  // The library is found beside the program or in the system folder.
  const std::u16string program_folder = ParentOf(program_path_);
  if (!IsFile(program_folder + u"\\vb5stkit.dll") && !IsFile(system_folder_ + u"\\vb5stkit.dll")) {
    return common::NumberedError(common::kErrorInLoadingDll);
  }
  // As vb5stkit.dll answers: 1 for no path, 2 for a file that cannot be loaded as a library (a
  // library image begins with "MZ"); a library is the control, and registers itself.
  std::u16string full;
  std::int16_t result = name.empty() ? vb5stkit::kNoPath : vb5stkit::kNotLoaded;
  bool for_user = false;
  if (!name.empty() && Resolve(name, &full) == platform::kSuccess &&
      ReadableFileStatus(full) == platform::kSuccess) {
    char image[2] = {};
    std::ifstream(*HostPath(full), std::ios::binary).read(image, 2);
    if (image[0] == 'M' && image[1] == 'Z') {
      if (server_refuses_) {
        result = kServerFailed;
      } else if (WriteServerKey(full, false)) {
        result = kRegistered;
      } else {
        for_user = WriteServerKey(full, true);  // the machine refused: again, for the user
        result = for_user ? kRegisteredForUser : kServerFailed;
      }
    }
  }
  registrations_.push_back({name, result, FolderOfDrive(current_drive_), for_user});
  return result;
}

}  // namespace sim
