// Fuzz target: any registry value through GetRegistryValue. The first byte is the type (0 to 11),
// the rest the data. The read succeeds or fails with 40154 or 49999; after 40154 the result is the
// default, after 49999 or for a type without text it is untouched; the key is closed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "common/numbered_error.h"
#include "common/platform.h"
#include "sim/machine.h"
#include "registry/registry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint32_t type = data[0] % 12;
  sim::Machine machine;
  machine.ClassesRoot().CreateSubkey(u"k").SetValue({u"v", type, std::vector<std::uint8_t>(data + 1, data + size)});
  const platform::ScopedPlatform installed(machine);
  std::u16string result = u"untouched";
  const std::int32_t raised =
      common::ErrorNumberOf(mdlRegistry::GetRegistryValue(platform::kClassesRoot, u"k\\", u"v", result, u"default"));
  const bool text = type == 1 || type == 2 || type == 4;
  const bool ok = (raised == 40154 && result == u"default") ||
                  (raised == 49999 && result == u"untouched" && size == 1) ||
                  (raised == 0 && (text ? result != u"untouched" : result == u"untouched"));
  if (!ok || !machine.LeftOpen().empty()) std::abort();
  if (raised == 0 && type == 1 && result.size() > size - 1) std::abort();
  return 0;
}
