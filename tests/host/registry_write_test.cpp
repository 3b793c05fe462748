// Writing one registry value: the bytes of each kind, the failures, and reading it back.
#include <gtest/gtest.h>

#include "common/numbered_error.h"
#include "registry/registry.h"
#include "tests/host/sim_fixture.h"

namespace tests {
namespace {

using mdlRegistry::RegistryData;

class RegistryWriteTest : public SimTest {
 protected:
  // Writes HKCR\k\ "v"; gives the number raised (0 for none) and keeps its description.
  std::int32_t Write(const RegistryData& value, std::int32_t kind,
                     const std::u16string& key = u"k\\") {
    const common::Outcome written =
        mdlRegistry::SetRegistryValue(platform::kClassesRoot, key, u"v", value, kind);
    description_ = Show(written.Error().Description());
    return written.Error().Number();
  }
  const sim::RegistryValue* Stored(const std::u16string& key = u"k") {
    sim::RegistryNode* node = machine_.ClassesRoot().Find(sim::SplitKeyPath(key));
    return node == nullptr ? nullptr : node->FindValue(u"v");
  }
  std::string description_;
};

TEST_F(RegistryWriteTest, BytesOfEachKind) {
  const struct {
    const char* what;
    RegistryData value;
    std::int32_t kind;
    std::uint32_t type;
    std::vector<std::uint8_t> data;
  } cases[] = {
      {"65536", std::int32_t{65536}, 0, 4, {0x00, 0x00, 0x01, 0x00}},
      {"1", std::int32_t{1}, 0, 4, {0x01, 0x00, 0x00, 0x00}},
      {"32-bit -1", std::int32_t{-1}, 0, 4, {0xFF, 0xFF, 0xFF, 0xFF}},
      {"16-bit -1 keeps its width", std::int16_t{-1}, 0, 4, {0xFF, 0xFF, 0x00, 0x00}},
      {"text that reads as a number", std::u16string(u" -2 "), 0, 4, {0xFE, 0xFF, 0xFF, 0xFF}},
      {"a half rounds to even", 2.5, 0, 4, {0x02, 0x00, 0x00, 0x00}},
      {"empty text", std::u16string(), 1, 1, {0x00}},
      {"text", std::u16string(u"abc"), 1, 1, {'a', 'b', 'c', 0x00}},
      {"text in the ANSI code page", std::u16string(u"\u00E9\u20AC\u0416"), 1, 1, {0xE9, 0x80, '?', 0x00}},
      {"a number as text", std::int32_t{12}, 1, 1, {'1', '2', 0x00}},
      {"binary data", std::u16string(u"abc"), 2, 3, {'a', 'b', 'c'}},
      {"a fraction as text", 2.5, 1, 1, {'2', '.', '5', 0x00}},
      {"a small fraction as text", -0.001, 1, 1, {'-', '0', '.', '0', '0', '1', 0x00}},
      {"a whole floating-point number as text", 1234.0, 1, 1, {'1', '2', '3', '4', 0x00}},
      {"a large number as text", 1e15, 1, 1, {'1', 'E', '+', '1', '5', 0x00}},
      {"a tiny number as text", 1.5e-7, 1, 1, {'1', '.', '5', 'E', '-', '0', '7', 0x00}},
      {"a third as text", 1.0 / 3, 2, 3, {'0', '.', '3', '3', '3', '3', '3', '3', '3', '3', '3', '3', '3', '3', '3', '3', '3'}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Write(c.value, c.kind), 0) << c.what;
    const sim::RegistryValue* stored = Stored();
    ASSERT_NE(stored, nullptr) << c.what;
    EXPECT_EQ(stored->type, c.type) << c.what;
    EXPECT_EQ(stored->data, c.data) << c.what;
    EXPECT_EQ(machine_.OpenKeyCount(), 0u) << c.what;
  }
}

// The text of a floating-point number at the ends of the double range and at the switch to
// the exponent form.
TEST(FloatingTextTest, EdgesOfTheRange) {
  const struct {
    double number;
    const char* text;
  } cases[] = {
      {4.9406564584124654e-324, "4.94065645841247E-324"},  // the smallest subnormal
      {-2.2250738585072009e-308, "-2.2250738585072E-308"},  // the largest subnormal
      {2.2250738585072014e-308, "2.2250738585072E-308"},    // the smallest normal number
      {1.7976931348623157e308, "1.79769313486232E+308"},
      {1e-5, "0.00001"},
      {9.9999999999999995e-7, "1E-06"},
      {999999999999999.0, "999999999999999"},
      {0.1, "0.1"},
  };
  for (const auto& c : cases) EXPECT_EQ(Show(mdlRegistry::FloatingText(c.number)), c.text) << c.text;
}

TEST_F(RegistryWriteTest, ValuesThatCannotBeConverted) {
  const struct {
    const char* what;
    RegistryData value;
    std::int32_t kind;
    const char* description;
  } cases[] = {
      {"text that is no number", std::u16string(u"12a"), 0, "#13: Type mismatch (tolOpen)"},
      {"empty text as a number", std::u16string(), 0, "#13: Type mismatch (tolOpen)"},
      {"past the 32-bit range", std::u16string(u"2147483648"), 0, "#6: Overflow (tolOpen)"},
      {"a large floating-point number", 1e12, 0, "#6: Overflow (tolOpen)"},
      {"null as a number", mdlRegistry::Null{}, 0, "#94: Invalid use of Null (tolOpen)"},
      {"null as text", mdlRegistry::Null{}, 1, "#94: Invalid use of Null (tolOpen)"},
  };
  for (const auto& c : cases) {
    SimMachine fresh;
    EXPECT_EQ(Write(c.value, c.kind), 49999) << c.what;
    EXPECT_EQ(description_, c.description) << c.what;
    EXPECT_NE(fresh.machine_.ClassesRoot().FindSubkey(u"k"), nullptr) << c.what << ": the key stays";
    EXPECT_EQ(fresh.machine_.ClassesRoot().FindSubkey(u"k")->FindValue(u"v"), nullptr) << c.what;
    EXPECT_EQ(fresh.machine_.OpenKeyCount(), 0u);
  }
}

TEST_F(RegistryWriteTest, KeysAreCreatedWithTheirParameters) {
  machine_.ClassesRoot().CreateSubkey(u"type");  // exists already, without a class
  EXPECT_EQ(Write(std::u16string(u"x"), 3, u"type\\shell\\open\\command\\"), 0) << "kind 3 raises nothing";
  sim::RegistryNode* command = machine_.ClassesRoot().Find({u"type", u"shell", u"open", u"command"});
  ASSERT_NE(command, nullptr) << "every missing key along the path is created";
  EXPECT_TRUE(command->Values().empty()) << "kind 3 writes nothing";
  EXPECT_EQ(Show(command->KeyClass()), "1");
  EXPECT_EQ(Show(machine_.ClassesRoot().FindSubkey(u"type")->KeyClass()), "") << "only created keys";

  ASSERT_EQ(machine_.KeyCreations().size(), 1u);
  const auto& creation = machine_.KeyCreations().back();
  EXPECT_EQ(creation.options, 0u);
  EXPECT_EQ(creation.access, 0x2003Fu);
  EXPECT_TRUE(creation.inherit_handle);
  EXPECT_EQ(machine_.OpenKeyCount(), 0u);
}

TEST_F(RegistryWriteTest, RefusalsRaise40153) {
  machine_.InjectFault(sim::Operation::kRegCreateKeyEx, 5, 1);
  EXPECT_EQ(Write(std::u16string(u"x"), 1), 40153);
  EXPECT_EQ(machine_.ClassesRoot().FindSubkey(u"k"), nullptr);

  machine_.InjectFault(sim::Operation::kRegSetValueEx, 5, 1);
  EXPECT_EQ(Write(std::u16string(u"x"), 1), 40153);
  EXPECT_NE(machine_.ClassesRoot().FindSubkey(u"k"), nullptr) << "the key stays";
  EXPECT_EQ(Stored(), nullptr);
  EXPECT_EQ(machine_.OpenKeyCount(), 0u);

  EXPECT_EQ(Write(std::u16string(u"x"), 1, u"\\leading"), 40153);
}

TEST_F(RegistryWriteTest, ReadsBackAndReplaces) {
  std::u16string read;
  ASSERT_EQ(Write(std::u16string(u"first"), 1), 0);
  ASSERT_EQ(Write(std::int32_t{65536}, 0), 0);  // replaces data and type
  ASSERT_TRUE(mdlRegistry::GetRegistryValue(platform::kClassesRoot, u"k\\", u"v", read, u""));
  EXPECT_EQ(Show(read), "65536");
  ASSERT_EQ(Write(std::u16string(u"caf\u00E9 %1"), 1), 0);
  ASSERT_TRUE(mdlRegistry::GetRegistryValue(platform::kClassesRoot, u"k\\", u"v", read, u""));
  EXPECT_EQ(Show(read), "caf\u00E9 %1");
}

}  // namespace
}  // namespace tests
