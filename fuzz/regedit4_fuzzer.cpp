// Fuzz target: the REGEDIT4 reader of the simulated machine. Any text is read or refused with a
// RegistryFileError; what is read writes back to a text that reads as the same registry.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "sim/regedit4.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  sim::RegistryNode root;
  try {
    root = sim::ParseRegistryText(text, "fuzz.reg");
  } catch (const sim::RegistryFileError&) {
    return 0;
  }
  const std::string written = sim::FormatRegistryText(root);
  const std::string again = sim::FormatRegistryText(sim::ParseRegistryText(written, "written.reg"));
  if (again != written) std::abort();
  return 0;
}
