// A platform that writes one line for each call it passes to another one: the operation, its
// inputs by name, what it gave back and its outputs.
//
//   RegOpenKeyExA root=HKEY_CLASSES_ROOT sub_key=".html" options=0 access=0x20019 -> ERROR_SUCCESS key=HKEY_CLASSES_ROOT\.html
//   CopyFileReplacing source="D:\tools\flash\flash.ocx" destination="C:\..." -> fails (error 61: Disk full; ERROR_DISK_FULL)
//
// Its overrides are made from the list of operations (common/platform_operations.h): each
// argument is shown by its type and name, so a new operation is traced without a line here.
// Texts in the ANSI code page are read back through the wrapped platform; the code-page
// conversions themselves are not traced.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <type_traits>

#include "common/platform.h"
#include "common/platform_operations.h"
#include "wrappers/display_text.h"

namespace wrappers {

class TracingPlatform final : public platform::Platform {
 public:
  using Sink = std::function<void(const std::string& line)>;
  TracingPlatform(platform::Platform& inner, Sink sink) : inner_(inner), sink_(std::move(sink)) {}

#define TOLOPEN_TRACING_OVERRIDE(Name, Return, Parameters, Arguments, Failure, RealFailures) \
  Return Name Parameters override {                                                          \
    if (IsConversion(platform::Operation::k##Name)) return inner_.Name Arguments;            \
    Line line(*this, #Name, #Arguments);                                                     \
    line.Inputs Arguments;                                                                   \
    Return result = inner_.Name Arguments;                                                   \
    line.Outcome(result);                                                                    \
    if (GaveOutputs(result)) line.Outputs Arguments;                                         \
    line.End();                                                                              \
    return result;                                                                           \
  }
#define TOLOPEN_OPERATION TOLOPEN_TRACING_OVERRIDE
#include "common/platform_operations.inc"
#undef TOLOPEN_OPERATION
#undef TOLOPEN_TRACING_OVERRIDE

 private:
  // One call's line, put together from its arguments in the order the operation takes them.
  class Line {
   public:
    Line(TracingPlatform& tracer, const char* operation, const char* argument_names);

    template <typename... Arguments>
    void Inputs(Arguments&&... arguments) {
      next_ = 0;
      (Input<Arguments>(NextName(), arguments), ...);
    }
    template <typename... Arguments>
    void Outputs(Arguments&... arguments) {
      next_ = 0;
      (Output(NextName(), arguments), ...);
    }
    template <typename T>
    void Outcome(const common::Result<T>& result) {
      if (!result) return Failed(result.Error());
      text_ += " ->";
      if constexpr (!std::is_void_v<T>) {
        if constexpr (std::is_same_v<T, platform::Status>) {
          Status(result.Value());
        } else {
          Add("", result.Value());
        }
      } else {
        text_ += " ok";
      }
    }
    void End();

   private:
    std::string NextName();
    void Failed(const common::NumberedError& error);
    void Status(platform::Status status);

    // What a call is given, shown before the call: every argument but the pointers and the
    // objects it may write to (a non-const reference to a class: shown by Output).
    template <typename Argument, typename T>
    void Input(const std::string& name, const T& value) {
      using Plain = std::remove_reference_t<Argument>;
      if constexpr (std::is_pointer_v<T>) {
        if constexpr (std::is_same_v<T, const std::uint8_t*>) bytes_ = value;
      } else if constexpr (std::is_class_v<Plain> && !std::is_const_v<Plain>) {
        // written by the call
      } else {
        Add(name, value);
      }
    }
    // What a call writes through its pointers and references: shown after a success.
    template <typename T>
    void Output(const std::string& name, T& value) {
      if constexpr (std::is_pointer_v<T> && !std::is_const_v<std::remove_pointer_t<T>>) {
        using Pointee = std::remove_pointer_t<T>;
        if (value == nullptr) return;
        if constexpr (std::is_same_v<Pointee, std::uint8_t>) {
          bytes_ = value;
        } else if (name == "key") {
          tracer_.key_names_[*value] = KeyName(sub_key_root_) + "\\" + sub_key_;
          text_ += " key=" + tracer_.key_names_[*value];
        } else {
          Add(name, *value);
        }
      } else if constexpr (std::is_same_v<T, platform::AnsiString>) {
        Add(name, platform::AnsiString(value.c_str()));  // a buffer: its text up to the NUL
      }
    }

    void Add(const std::string& name, const std::u16string& text);
    void Add(const std::string& name, const platform::AnsiString& text);
    void Add(const std::string& name, platform::AnsiStringView text);
    void Add(const std::string& name, const platform::SecurityAttributes& security);
    template <typename Integer, typename = std::enable_if_t<std::is_integral_v<Integer>>>
    void Add(const std::string& name, Integer value) {
      AddNumber(name, static_cast<long long>(value), std::is_unsigned_v<Integer>);
    }
    void AddNumber(const std::string& name, long long value, bool is_unsigned);
    std::string KeyName(long long handle) const;

    TracingPlatform& tracer_;
    std::string text_;
    std::string names_;
    std::size_t next_ = 0;
    const std::uint8_t* bytes_ = nullptr;  // the data that the next "count" measures
    long long sub_key_root_ = 0;
    std::string sub_key_;
  };

  static bool IsConversion(platform::Operation operation) {
    return operation == platform::Operation::kToAnsi || operation == platform::Operation::kFromAnsi;
  }
  template <typename T>
  static bool GaveOutputs(const common::Result<T>& result) {
    if constexpr (std::is_same_v<T, platform::Status>) {
      return result && (result.Value() == platform::kSuccess || result.Value() == platform::kERROR_MORE_DATA);
    } else {
      return result.Succeeded();
    }
  }

  platform::Platform& inner_;
  Sink sink_;
  std::map<long long, std::string> key_names_;  // the keys that calls opened, by handle
};

}  // namespace wrappers
