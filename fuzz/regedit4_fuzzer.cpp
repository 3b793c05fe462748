// Fuzz target: the registry file reader of the simulated machine, in every format it takes. Any
// bytes are read or refused with a RegistryFileError; what is read writes back, in the format it
// was read in, to a file that reads as the same registry.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "sim/registry_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  sim::RegistryFile file;
  try {
    file = sim::ParseRegistryFile(bytes, "fuzz.reg");
  } catch (const sim::RegistryFileError&) {
    return 0;
  }
  const std::string written = sim::FormatRegistryFile(file, file.classes_root);
  const sim::RegistryFile again = sim::ParseRegistryFile(written, "written.reg");
  if (again.format != file.format || sim::FormatRegistryFile(again, again.classes_root) != written) std::abort();
  return 0;
}
