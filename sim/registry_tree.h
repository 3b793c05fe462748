// The simulated registry: a tree of keys, each with values. Names compare without case and
// keep the spelling they were created with.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace sim {

struct RegistryValue {
  std::u16string name;  // "" is the key's default value
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
};

class RegistryNode {
 public:
  explicit RegistryNode(std::u16string name = std::u16string()) : name_(std::move(name)) {}

  const std::u16string& Name() const { return name_; }
  const std::u16string& KeyClass() const { return key_class_; }
  void SetKeyClass(std::u16string key_class) { key_class_ = std::move(key_class); }

  RegistryNode* FindSubkey(const std::u16string& name) const;
  // The subkey of that name, created when missing; `created` tells which.
  RegistryNode& CreateSubkey(const std::u16string& name, bool* created = nullptr);
  // The same, for a name whose case-folded form the caller has at hand.
  RegistryNode& CreateSubkey(std::u16string name, std::u16string folded, bool* created = nullptr);
  // The key at a path of names below this one, or null.
  RegistryNode* Find(const std::vector<std::u16string>& path);

  const RegistryValue* FindValue(const std::u16string& name) const;
  void SetValue(RegistryValue value);  // replaces a value of the same name
  void DeleteSubkey(const std::u16string& name);  // with everything below it
  void DeleteValue(const std::u16string& name);

  // Sorted by name without case, as the registry lists them.
  const std::map<std::u16string, std::unique_ptr<RegistryNode>>& Subkeys() const { return subkeys_; }
  const std::map<std::u16string, RegistryValue>& Values() const { return values_; }

 private:
  std::u16string name_;
  std::u16string key_class_;
  std::map<std::u16string, std::unique_ptr<RegistryNode>> subkeys_;
  std::map<std::u16string, RegistryValue> values_;
};

// HKEY_CLASSES_ROOT as Windows merges the machine's classes and the user's: a key path is the
// user's where their classes hold it whole, else the machine's, to read, write or delete alike.
class MergedClasses {
 public:
  MergedClasses(RegistryNode& machine, RegistryNode* user) : machine_(machine), user_(user) {}
  // The key at `names`, or null; `users` receives whether it is the user's.
  RegistryNode* Find(const std::vector<std::u16string>& names, bool* users = nullptr) const;
  // The classes that hold the key at `names`, or would make it: the user's or the machine's.
  RegistryNode& Holder(const std::vector<std::u16string>& names) const;
  // The names of the keys at the top of either, each once, sorted without case.
  std::vector<std::u16string> TopKeyNames() const;

 private:
  RegistryNode& machine_;
  RegistryNode* const user_;  // null when the user has no classes
};

// The key at `names` below `node`, with every missing key created (with `key_class`); whether
// any was created, where `any_created` is given.
RegistryNode& CreatePath(RegistryNode& node, const std::vector<std::u16string>& names,
                         const std::u16string& key_class = u"", bool* any_created = nullptr);

// The names of a key path; empty names ("\" at either end, or doubled) are skipped, as the
// registry does when it opens a key.
std::vector<std::u16string> SplitKeyPath(const std::u16string& path);

}  // namespace sim
