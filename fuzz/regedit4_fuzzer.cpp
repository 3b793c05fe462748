// Fuzz target: the dry run's registry file reader, in every format it takes. Any bytes are read
// or refused with a failure; what is read writes back, in the format it was read in, to a file
// that reads as the same registry.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "tools/dry_run/registry_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const common::Result<dry_run::RegistryFile> file = dry_run::ParseRegistryFile(std::string(bytes), "fuzz.reg");
  if (!file) return 0;
  // Each classes tree written under HKEY_CLASSES_ROOT reads back into the machine's, the same.
  dry_run::RegistryFile written_as;
  written_as.format = file.Value().format;
  written_as.crlf = file.Value().crlf;
  written_as.write_root = u"HKEY_CLASSES_ROOT";
  for (const sim::RegistryNode* classes : {&file.Value().machine_classes, &file.Value().user_classes}) {
    const std::string written = dry_run::FormatRegistryFile(written_as, *classes);
    const common::Result<dry_run::RegistryFile> again = dry_run::ParseRegistryFile(written, "written.reg");
    if (!again || again.Value().format != file.Value().format ||
        dry_run::FormatRegistryFile(again.Value(), again.Value().machine_classes) != written) {
      std::abort();
    }
  }
  return 0;
}
