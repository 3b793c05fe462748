// The changes a run makes to the simulated machine's classes root, observed from above the
// machine as a wrapper: the keys it created and the values whose data it changed, in the order
// it made them. They are what a save adds to the registry file.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "sim/machine.h"
#include "tools/dry_run/registry_file.h"
#include "wrappers/forwarding_platform.h"

namespace dry_run {

class ChangeJournal final : public wrappers::ForwardingPlatform {
 public:
  explicit ChangeJournal(sim::Machine& machine) : ForwardingPlatform(machine), machine_(machine) {}

  const std::vector<RegistryChange>& Changes() const { return changes_; }

  common::Result<platform::Status> RegOpenKeyExA(platform::KeyHandle root, const platform::AnsiString& sub_key,
                                                 std::uint32_t options, std::uint32_t access,
                                                 platform::KeyHandle* key) override;
  common::Result<platform::Status> RegCloseKey(platform::KeyHandle key) override;
  common::Result<platform::Status> RegCreateKeyExA(platform::KeyHandle root, const platform::AnsiString& sub_key,
                                                   std::uint32_t reserved, const platform::AnsiString& key_class,
                                                   std::uint32_t options, std::uint32_t access,
                                                   const platform::SecurityAttributes& security,
                                                   platform::KeyHandle* key, std::uint32_t* disposition) override;
  common::Result<platform::Status> RegSetValueExA(platform::KeyHandle key, const platform::AnsiString& value_name,
                                                  std::uint32_t reserved, std::uint32_t type,
                                                  const std::uint8_t* data, std::uint32_t count) override;

 private:
  using KeyPath = std::vector<std::u16string>;  // names below the classes root
  // The path of `sub_key` below `root`, each name as the machine's tree spells it where it has it.
  // The path of a key below the classes root; nothing for a key under another root.
  std::optional<KeyPath> PathBelow(platform::KeyHandle root, const platform::AnsiString& sub_key) const;
  std::size_t ExistingDepth(const KeyPath& path) const;
  RegistryChange& ChangeOf(const KeyPath& path);

  sim::Machine& machine_;
  std::map<platform::KeyHandle, KeyPath> open_keys_;
  std::vector<RegistryChange> changes_;
};

}  // namespace dry_run
