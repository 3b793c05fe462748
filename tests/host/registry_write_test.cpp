// Writing one registry value: what only the simulated machine shows (the parameters of each key
// creation, refused calls) and the text of floating-point numbers; the rest is in the
// conformance suite.
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

// The parameters of the key creation, which only the simulated machine records.
TEST_F(RegistryWriteTest, KeysAreCreatedWithTheirParameters) {
  EXPECT_EQ(Write(std::u16string(u"x"), 1, u"type\\shell\\open\\command\\"), 0);
  ASSERT_EQ(machine_.KeyCreations().size(), 1u);
  const auto& creation = machine_.KeyCreations().back();
  EXPECT_EQ(Show(creation.key_class), "1");
  EXPECT_EQ(creation.options, 0u);
  EXPECT_EQ(creation.access, 0x2003Fu);
  EXPECT_TRUE(creation.inherit_handle);
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

}  // namespace
}  // namespace tests
