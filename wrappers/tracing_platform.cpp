#include "wrappers/tracing_platform.h"

#include <cstdio>

namespace wrappers {

TracingPlatform::Line::Line(TracingPlatform& tracer, const char* operation, const char* argument_names)
    : tracer_(tracer), text_(operation), names_(argument_names) {}

std::string TracingPlatform::Line::NextName() {
  // The names as the list spells the arguments: "(root, sub_key, options)".
  std::string name;
  for (; next_ < names_.size(); ++next_) {
    const char c = names_[next_];
    if (c == ',') break;
    if (c != '(' && c != ')' && c != ' ') name += c;
  }
  ++next_;
  return name;
}

void TracingPlatform::Line::Failed(const common::NumberedError& error) {
  text_ += " -> fails (error " + std::to_string(error.Number()) + ": " + common::ToUtf8(error.Description());
  if (error.Win32Status() != 0) {
    const char* name = platform::StatusName(static_cast<platform::Status>(error.Win32Status()));
    text_ += "; " + (name != nullptr ? std::string(name) : "status " + std::to_string(error.Win32Status()));
  }
  text_ += ")";
}

void TracingPlatform::Line::Status(platform::Status status) {
  const char* name = platform::StatusName(status);
  text_ += " " + (name != nullptr ? std::string(name) : "status " + std::to_string(status));
}

void TracingPlatform::Line::End() { tracer_.sink_(ShownLine(text_)); }

void TracingPlatform::Line::Add(const std::string& name, const std::u16string& text) {
  text_ += (name.empty() ? " " : " " + name + "=") + Quoted(text);
}

void TracingPlatform::Line::Add(const std::string& name, const platform::AnsiString& text) {
  Add(name, platform::AnsiStringView(text.data(), text.size()));
}

void TracingPlatform::Line::Add(const std::string& name, platform::AnsiStringView text) {
  const common::Result<std::u16string> decoded = tracer_.inner_.FromAnsi(text);
  const std::u16string shown = decoded ? decoded.Value() : u"?";
  if (name == "sub_key") sub_key_ = common::ToUtf8(shown);
  Add(name, shown);
}

void TracingPlatform::Line::Add(const std::string& name, const platform::SecurityAttributes& security) {
  text_ += " " + name + "=" + (security.inherit_handle ? "inherited" : "not-inherited");
}

void TracingPlatform::Line::AddNumber(const std::string& name, long long value, bool is_unsigned) {
  if (name == "root" || name == "key") {
    if (name == "root") sub_key_root_ = value;
    text_ += " " + name + "=" + KeyName(value);
    return;
  }
  if (name == "count" && bytes_ != nullptr) {
    // Data and its length: the bytes, as text when they are text.
    std::string shown;
    bool text = value > 0 && bytes_[value - 1] == 0;
    for (long long i = 0; text && i + 1 < value; ++i) text = bytes_[i] >= 0x20 || bytes_[i] == '\t' || bytes_[i] == 0;
    if (text) {
      const platform::AnsiStringView ansi(reinterpret_cast<const char*>(bytes_), static_cast<std::size_t>(value - 1));
      const common::Result<std::u16string> decoded = tracer_.inner_.FromAnsi(ansi);
      shown = Quoted(decoded ? decoded.Value() : u"?");
    } else {
      for (long long i = 0; i < value && i < 16; ++i) {
        char pair[4];
        std::snprintf(pair, sizeof pair, "%s%02x", i == 0 ? "" : ",", bytes_[i]);
        shown += pair;
      }
      if (value > 16) shown += ",...";
    }
    bytes_ = nullptr;
    text_ += " data=" + shown;
  }
  char number[32];
  if (is_unsigned && value >= 0x10000) {
    std::snprintf(number, sizeof number, "0x%llx", static_cast<unsigned long long>(value));
  } else {
    std::snprintf(number, sizeof number, "%lld", value);
  }
  text_ += (name.empty() ? " " : " " + name + "=") + number;
}

std::string TracingPlatform::Line::KeyName(long long handle) const {
  if (handle == static_cast<long long>(platform::kClassesRoot)) return "HKEY_CLASSES_ROOT";
  if (handle == static_cast<long long>(platform::kCurrentUser)) return "HKEY_CURRENT_USER";
  const auto known = tracer_.key_names_.find(handle);
  return known != tracer_.key_names_.end() ? known->second : "key " + std::to_string(handle);
}

}  // namespace wrappers
