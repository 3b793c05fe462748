#include "tools/dry_run/change_journal.h"

#include "sim/code_page.h"

namespace dry_run {

std::optional<ChangeJournal::KeyPath> ChangeJournal::PathBelow(platform::KeyHandle root,
                                                              const platform::AnsiString& sub_key) const {
  KeyPath path;
  if (root != platform::kClassesRoot) {
    const auto open = open_keys_.find(root);
    if (open == open_keys_.end()) return std::nullopt;
    path = open->second;
  }
  for (std::u16string name : sim::SplitKeyPath(sim::DecodeWindows1252(sub_key.c_str()))) {
    path.push_back(std::move(name));
    if (const sim::RegistryNode* const node = machine_.Classes().Find(path)) path.back() = node->Name();
  }
  return path;
}

std::size_t ChangeJournal::ExistingDepth(const KeyPath& path) const {
  std::size_t depth = 0;
  while (depth < path.size() && machine_.Classes().Find(KeyPath(path.begin(), path.begin() + depth + 1)) != nullptr) {
    ++depth;
  }
  return depth;
}

RegistryChange& ChangeJournal::ChangeOf(const KeyPath& path) {
  std::u16string joined;
  for (const std::u16string& name : path) joined += (joined.empty() ? u"" : u"\\") + name;
  for (RegistryChange& change : changes_) {
    if (sim::FoldCase(change.key_path) == sim::FoldCase(joined)) return change;
  }
  changes_.push_back({joined, false, u"", {}});
  return changes_.back();
}

common::Result<platform::Status> ChangeJournal::RegOpenKeyExA(platform::KeyHandle root, const platform::AnsiString& sub_key,
                                                              std::uint32_t options, std::uint32_t access,
                                                              platform::KeyHandle* key) {
  const std::optional<KeyPath> path = PathBelow(root, sub_key);
  const common::Result<platform::Status> status = inner_.RegOpenKeyExA(root, sub_key, options, access, key);
  if (path && status && status.Value() == platform::kSuccess) open_keys_[*key] = *path;
  return status;
}

common::Result<platform::Status> ChangeJournal::RegCloseKey(platform::KeyHandle key) {
  open_keys_.erase(key);
  return inner_.RegCloseKey(key);
}

common::Result<platform::Status> ChangeJournal::RegCreateKeyExA(
    platform::KeyHandle root, const platform::AnsiString& sub_key, std::uint32_t reserved,
    const platform::AnsiString& key_class, std::uint32_t options, std::uint32_t access,
    const platform::SecurityAttributes& security, platform::KeyHandle* key, std::uint32_t* disposition) {
  const std::optional<KeyPath> below = PathBelow(root, sub_key);
  const std::size_t existed = below ? ExistingDepth(*below) : 0;
  const common::Result<platform::Status> status =
      inner_.RegCreateKeyExA(root, sub_key, reserved, key_class, options, access, security, key, disposition);
  if (!below || !status || status.Value() != platform::kSuccess) return status;
  const KeyPath& path = *below;
  // Every level the call made is a created key, with the class it was given; a made level has
  // the name the path gave it, so the path walked before the call names every level.
  for (std::size_t depth = existed + 1; depth <= path.size(); ++depth) {
    const KeyPath level(path.begin(), path.begin() + static_cast<std::ptrdiff_t>(depth));
    RegistryChange& change = ChangeOf(level);
    change.created = true;
    change.key_class = machine_.Classes().Find(level)->KeyClass();
  }
  open_keys_[*key] = path;
  return status;
}

common::Result<platform::Status> ChangeJournal::RegSetValueExA(platform::KeyHandle key, const platform::AnsiString& value_name,
                                                               std::uint32_t reserved, std::uint32_t type,
                                                               const std::uint8_t* data, std::uint32_t count) {
  const auto open = open_keys_.find(key);
  const std::u16string name = sim::DecodeWindows1252(value_name.c_str());
  const sim::RegistryNode* node = open == open_keys_.end() ? nullptr : machine_.Classes().Find(open->second);
  const sim::RegistryValue* before = node == nullptr ? nullptr : node->FindValue(name);
  const bool differs = before == nullptr || before->type != type ||
                       before->data != std::vector<std::uint8_t>(data, data + count);
  const common::Result<platform::Status> status = inner_.RegSetValueExA(key, value_name, reserved, type, data, count);
  if (status && status.Value() == platform::kSuccess && node != nullptr && differs) {
    std::vector<std::u16string>& changed = ChangeOf(open->second).values;
    bool listed = false;
    for (const std::u16string& other : changed) listed = listed || sim::FoldCase(other) == sim::FoldCase(name);
    if (!listed) changed.push_back(name);
  }
  return status;
}

}  // namespace dry_run
