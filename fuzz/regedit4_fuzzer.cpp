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
  const std::string written = dry_run::FormatRegistryFile(file.Value(), file.Value().classes_root);
  const common::Result<dry_run::RegistryFile> again = dry_run::ParseRegistryFile(written, "written.reg");
  if (!again || again.Value().format != file.Value().format ||
      dry_run::FormatRegistryFile(again.Value(), again.Value().classes_root) != written) {
    std::abort();
  }
  return 0;
}
