#include "sim/registry_tree.h"

#include "sim/code_page.h"

namespace sim {

RegistryNode* RegistryNode::FindSubkey(const std::u16string& name) const {
  const auto it = subkeys_.find(FoldCase(name));
  return it == subkeys_.end() ? nullptr : it->second.get();
}

RegistryNode& RegistryNode::CreateSubkey(const std::u16string& name, bool* created) {
  return CreateSubkey(name, FoldCase(name), created);
}

RegistryNode& RegistryNode::CreateSubkey(std::u16string name, std::u16string folded, bool* created) {
  std::unique_ptr<RegistryNode>& slot = subkeys_[std::move(folded)];
  if (created != nullptr) *created = slot == nullptr;
  if (slot == nullptr) slot = std::make_unique<RegistryNode>(std::move(name));
  return *slot;
}

RegistryNode* RegistryNode::Find(const std::vector<std::u16string>& path) {
  RegistryNode* node = this;
  for (const std::u16string& name : path) {
    node = node->FindSubkey(name);
    if (node == nullptr) return nullptr;
  }
  return node;
}

const RegistryValue* RegistryNode::FindValue(const std::u16string& name) const {
  const auto it = values_.find(FoldCase(name));
  return it == values_.end() ? nullptr : &it->second;
}

void RegistryNode::SetValue(RegistryValue value) {
  std::u16string folded = FoldCase(value.name);
  values_[std::move(folded)] = std::move(value);
}

void RegistryNode::DeleteSubkey(const std::u16string& name) { subkeys_.erase(FoldCase(name)); }

void RegistryNode::DeleteValue(const std::u16string& name) { values_.erase(FoldCase(name)); }

RegistryNode* MergedClasses::Find(const std::vector<std::u16string>& names, bool* users) const {
  RegistryNode* const users_key = user_ == nullptr ? nullptr : user_->Find(names);
  if (users != nullptr) *users = users_key != nullptr;
  return users_key != nullptr ? users_key : machine_.Find(names);
}

RegistryNode& MergedClasses::Holder(const std::vector<std::u16string>& names) const {
  return user_ != nullptr && user_->Find(names) != nullptr ? *user_ : machine_;
}

std::vector<std::u16string> MergedClasses::TopKeyNames() const {
  std::map<std::u16string, std::u16string> names;  // by the folded name
  for (const RegistryNode* classes : {user_, &machine_}) {
    if (classes == nullptr) continue;
    for (const auto& [folded, key] : classes->Subkeys()) names.emplace(folded, key->Name());
  }
  std::vector<std::u16string> sorted;
  for (auto& entry : names) sorted.push_back(std::move(entry.second));
  return sorted;
}

RegistryNode& CreatePath(RegistryNode& node, const std::vector<std::u16string>& names,
                         const std::u16string& key_class, bool* any_created) {
  RegistryNode* level = &node;
  for (const std::u16string& name : names) {
    bool created = false;
    level = &level->CreateSubkey(name, &created);
    if (created) level->SetKeyClass(key_class);
    if (any_created != nullptr) *any_created = *any_created || created;
  }
  return *level;
}

std::vector<std::u16string> SplitKeyPath(const std::u16string& path) {
  std::vector<std::u16string> names;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find(u'\\', start);
    if (end == std::u16string::npos) end = path.size();
    if (end > start) names.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return names;
}

}  // namespace sim
