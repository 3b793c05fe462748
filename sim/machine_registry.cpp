// The simulated machine's registry: HKEY_CLASSES_ROOT as Windows merges it (the user's classes,
// HKEY_CURRENT_USER\Software\Classes, over the machine's) and HKEY_CURRENT_USER.
#include "common/numbered_error.h"
#include "sim/code_page.h"
#include "sim/machine.h"
#include "sim/machine_helpers.h"

namespace sim {
namespace {

// The access rights that only read a key: KEY_READ's, and the registry views KEY_WOW64_*.
constexpr std::uint32_t kReadAccess = 0x20019 | 0x0300;

// What a C string holds: the bytes before the first NUL.
std::string_view CString(const platform::AnsiString& bytes) { return std::string_view(bytes.c_str()); }

}  // namespace

RegistryNode& Machine::UserClasses() {
  return CreatePath(current_user_, {u"Software", u"Classes"});
}

RegistryNode* Machine::UserClassesIfAny() { return current_user_.Find({u"Software", u"Classes"}); }

Machine::KeyPlace Machine::Find(platform::KeyHandle root, const std::vector<std::u16string>& names) {
  if (root == platform::kClassesRoot) {
    bool users = false;
    RegistryNode* const node = Classes().Find(names, &users);
    return {node, !users, true};
  }
  if (root == platform::kCurrentUser) return {current_user_.Find(names), false, true};
  const auto open = open_keys_.find(root);
  if (open == open_keys_.end()) return {nullptr, false, false};
  return {open->second.node->Find(names), open->second.machine_wide, true};
}

platform::KeyHandle Machine::Open(RegistryNode* node, bool machine_wide) {
  const platform::KeyHandle key = next_key_;
  next_key_ += 4;
  open_keys_[key] = {node, machine_wide};
  return key;
}

common::Result<platform::Status> Machine::RegOpenKeyExA(platform::KeyHandle root, const platform::AnsiString& sub_key,
                                        std::uint32_t, std::uint32_t access,
                                        platform::KeyHandle* key) {
  key_open_accesses_.push_back(access);
  const KeyPlace place = Find(root, SplitKeyPath(DecodeWindows1252(CString(sub_key))));
  if (!place.root_valid) return platform::kERROR_INVALID_HANDLE;
  if (place.node == nullptr) return platform::kERROR_FILE_NOT_FOUND;
  if (limited_user_ && place.machine_wide && (access & ~kReadAccess) != 0) return platform::kERROR_ACCESS_DENIED;
  *key = Open(place.node, place.machine_wide);
  return platform::kSuccess;
}

common::Result<platform::Status> Machine::RegQueryValueExA(platform::KeyHandle key, const platform::AnsiString& value_name,
                                           std::uint32_t* type, std::uint8_t* data,
                                           std::uint32_t* count) {
  const std::u16string name = DecodeWindows1252(CString(value_name));
  const auto open = open_keys_.find(key);
  const RegistryValue* value = open == open_keys_.end() ? nullptr : open->second.node->FindValue(name);
  if (value == nullptr) return open == open_keys_.end() ? platform::kERROR_INVALID_HANDLE : platform::kERROR_FILE_NOT_FOUND;
  const auto size = static_cast<std::uint32_t>(value->data.size());
  if (size > *count) {
    *count = size;
    return platform::kERROR_MORE_DATA;
  }
  std::copy(value->data.begin(), value->data.end(), data);
  *count = size;
  *type = value->type;
  return platform::kSuccess;
}

common::Result<platform::Status> Machine::RegCloseKey(platform::KeyHandle key) {
  const bool was_open = open_keys_.erase(key) != 0;
  return was_open ? platform::kSuccess : platform::kERROR_INVALID_HANDLE;
}

// Under HKEY_CLASSES_ROOT a key that the user's classes hold is opened there; any other is
// created in the machine's classes, as Windows does.
common::Result<platform::Status> Machine::RegCreateKeyExA(platform::KeyHandle root, const platform::AnsiString& sub_key,
                                          std::uint32_t, const platform::AnsiString& key_class,
                                          std::uint32_t options, std::uint32_t access,
                                          const platform::SecurityAttributes& security,
                                          platform::KeyHandle* key, std::uint32_t* disposition) {
  const std::u16string path = DecodeWindows1252(CString(sub_key));
  const std::u16string new_class = DecodeWindows1252(CString(key_class));
  key_creations_.push_back({path, new_class, options, access, security.inherit_handle});
  const std::vector<std::u16string> names = SplitKeyPath(path);
  const KeyPlace existing = Find(root, names);
  if (!existing.root_valid) return platform::kERROR_INVALID_HANDLE;
  // A path that begins with "\" names no key that can be created.
  if (!path.empty() && path[0] == u'\\') return platform::kERROR_BAD_PATHNAME;
  // A limited user neither creates nor writes keys of the machine's.
  if (limited_user_ && existing.machine_wide) return platform::kERROR_ACCESS_DENIED;
  if (existing.node != nullptr) {
    *key = Open(existing.node, existing.machine_wide);
    *disposition = platform::kOpenedExistingKey;
    return platform::kSuccess;
  }
  RegistryNode& below = root == platform::kClassesRoot ? classes_root_
                        : root == platform::kCurrentUser ? current_user_
                                                         : *open_keys_.at(root).node;
  bool any_created = false;
  RegistryNode& created = CreatePath(below, names, new_class, &any_created);
  *key = Open(&created, existing.machine_wide);
  *disposition = any_created ? platform::kCreatedNewKey : platform::kOpenedExistingKey;
  return platform::kSuccess;
}

common::Result<platform::Status> Machine::RegSetValueExA(platform::KeyHandle key, const platform::AnsiString& value_name,
                                         std::uint32_t, std::uint32_t type,
                                         const std::uint8_t* data, std::uint32_t count) {
  const std::u16string name = DecodeWindows1252(CString(value_name));
  const auto open = open_keys_.find(key);
  if (open == open_keys_.end()) return platform::kERROR_INVALID_HANDLE;
  open->second.node->SetValue({name, type, std::vector<std::uint8_t>(data, data + count)});
  return platform::kSuccess;
}

}  // namespace sim
