// The simulated machine's registry file: what it reads, what it writes back, what it refuses.
#include <gtest/gtest.h>

#include "sim/code_page.h"
#include "sim/regedit4.h"

namespace tests {
namespace {

using sim::RegistryNode;

const sim::RegistryValue* ValueAt(RegistryNode& root, const std::u16string& path,
                                  const std::u16string& name) {
  RegistryNode* node = root.Find(sim::SplitKeyPath(path));
  return node == nullptr ? nullptr : node->FindValue(name);
}

TEST(Regedit4Test, ReadsEveryKindOfValue) {
  RegistryNode root = sim::ParseRegistryText(
      "REGEDIT4\r\n"
      "; a comment\r\n"
      "\r\n"
      "[HKEY_CLASSES_ROOT\\.html]\r\n"
      "@=\"htmlfile\"\r\n"
      "[HKEY_CLASSES_ROOT\\htmlfile\\shell\\open\\command]\n"
      "@=\"\\\"C:\\\\Program Files\\\\v.exe\\\" %1\"\n"
      "\"EditFlags\"=dword:00010000\n"
      "\"Bin\"=hex:01,02,\\\n"
      "  03\n"
      "\"Exp\"=hex(2):25,41,25,00\n"
      "\"caf\xE9\"=\"\x80\"\n",
      "test.reg");
  const struct {
    std::u16string path;
    std::u16string name;
    std::uint32_t type;
    std::vector<std::uint8_t> data;
  } expected[] = {
      {u".html", u"", 1, {'h', 't', 'm', 'l', 'f', 'i', 'l', 'e', 0}},
      {u"HTMLFILE\\Shell\\open\\command", u"editflags", 4, {0, 0, 1, 0}},
      {u"htmlfile\\shell\\open\\command", u"Bin", 3, {1, 2, 3}},
      {u"htmlfile\\shell\\open\\command", u"Exp", 2, {0x25, 0x41, 0x25, 0}},
      {u"htmlfile\\shell\\open\\command", u"caf\u00E9", 1, {0x80, 0}},
  };
  for (const auto& e : expected) {
    const sim::RegistryValue* value = ValueAt(root, e.path, e.name);
    ASSERT_NE(value, nullptr) << sim::ToUtf8(e.path) << " " << sim::ToUtf8(e.name);
    EXPECT_EQ(value->type, e.type);
    EXPECT_EQ(value->data, e.data) << sim::ToUtf8(e.name);
  }
  const sim::RegistryValue* command = ValueAt(root, u"htmlfile\\shell\\open\\command", u"");
  ASSERT_NE(command, nullptr);
  EXPECT_EQ(std::string(command->data.begin(), command->data.end() - 1), "\"C:\\Program Files\\v.exe\" %1");
}

TEST(Regedit4Test, WritesWhatItReadsBack) {
  RegistryNode root;
  RegistryNode& key = root.CreateSubkey(u"Tolvex Ubra").CreateSubkey(u"shell");
  key.SetValue({u"", 1, {'a', '\\', '"', 0}});
  key.SetValue({u"Lines", 1, {'a', '\n', 'b', 0}});  // text with a line break goes as hex(1)
  key.SetValue({u"NoNul", 1, {'a', 'b'}});
  key.SetValue({u"Flags", 4, {0, 0, 1, 0}});
  key.SetValue({u"Long", 3, std::vector<std::uint8_t>(100, 0xAB)});
  key.SetValue({u"Empty", 3, {}});
  root.CreateSubkey(u"empty key");

  const std::string text = sim::FormatRegistryText(root);
  RegistryNode again = sim::ParseRegistryText(text, "saved.reg");
  EXPECT_EQ(sim::FormatRegistryText(again), text);
  EXPECT_NE(again.FindSubkey(u"empty key"), nullptr) << "an empty key survives a save";
  for (const auto& entry : key.Values()) {
    const sim::RegistryValue* value = ValueAt(again, u"Tolvex Ubra\\shell", entry.second.name);
    ASSERT_NE(value, nullptr) << sim::ToUtf8(entry.second.name);
    EXPECT_EQ(value->type, entry.second.type);
    EXPECT_EQ(value->data, entry.second.data);
  }
}

TEST(Regedit4Test, RefusesBadFilesNamingTheLine) {
  const struct {
    const char* text;
    const char* message;
  } cases[] = {
      {"", "bad.reg:0: the file is empty"},
      {"Windows Registry Editor Version 5.00\n", "bad.reg:1: the first line must be REGEDIT4"},
      {"REGEDIT4\n@=\"x\"\n", "bad.reg:2: a value before the first [key] line"},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software]\n", "bad.reg:2: only keys under HKEY_CLASSES_ROOT"},
      {"REGEDIT4\n[HKEY_CLASSES_ROOT\\a\n", "bad.reg:2: a key line must end in ]"},
      {"REGEDIT4\n\n[HKEY_CLASSES_ROOT\\a]\n@=\"x\n", "bad.reg:4: a quoted text has no closing quote"},
      {"REGEDIT4\n[HKEY_CLASSES_ROOT\\a]\n\"v\"=dword:123456789\n", "bad.reg:3: dword: takes 1 to 8"},
      {"REGEDIT4\n[HKEY_CLASSES_ROOT\\a]\n\"v\"=hex:1,02\n", "bad.reg:3: hexadecimal data is pairs"},
      {"REGEDIT4\n[HKEY_CLASSES_ROOT\\a]\n\"v\"=hex:01,\n", "bad.reg:3: hexadecimal data ends in a comma"},
      {"REGEDIT4\n[HKEY_CLASSES_ROOT\\a]\n\"v\" \"x\"\n", "bad.reg:3: expected = after the value name"},
      {"REGEDIT4\n[HKEY_CLASSES_ROOT\\a]\n\"v\"=42\n", "bad.reg:3: value data must be"},
      {"REGEDIT4\n[HKEY_CLASSES_ROOT\\a]\n\"v\"=\"C:\\x\"\n", "bad.reg:3: in a quoted text a backslash"},
      {"REGEDIT4\n[-HKEY_CLASSES_ROOT\\a]\n", "bad.reg:2: deleting a key"},
  };
  for (const auto& c : cases) {
    try {
      sim::ParseRegistryText(c.text, "bad.reg");
      ADD_FAILURE() << "accepted: " << c.text;
    } catch (const sim::RegistryFileError& e) {
      EXPECT_EQ(std::string(e.what()).rfind(c.message, 0), 0u) << e.what();
    }
  }
}

// A comment that ends in "\" does not swallow the next line; keys go 512 levels deep, no deeper.
TEST(Regedit4Test, CommentsAndDepth) {
  RegistryNode root = sim::ParseRegistryText(
      "REGEDIT4\n; was: \"x\"=hex:00,\\\n[HKEY_CLASSES_ROOT\\a]\n@=\"kept\"\n", "c.reg");
  ASSERT_NE(ValueAt(root, u"a", u""), nullptr);
  std::string deep;
  for (int i = 0; i < 512; ++i) deep += "\\k";
  EXPECT_NO_THROW(sim::ParseRegistryText("REGEDIT4\n[HKEY_CLASSES_ROOT" + deep + "]\n", "deep.reg"));
  try {
    sim::ParseRegistryText("REGEDIT4\n[HKEY_CLASSES_ROOT" + deep + "\\k]\n", "deep.reg");
    ADD_FAILURE() << "513 levels were accepted";
  } catch (const sim::RegistryFileError& e) {
    EXPECT_EQ(std::string(e.what()), "deep.reg:2: a key deeper than the 512 levels Windows allows");
  }
}

TEST(CodePageTest, Windows1252) {
  EXPECT_EQ(sim::EncodeWindows1252(u"a\u00E9\u20AC\u0416\U0001F600"), "a\xE9\x80??");
  EXPECT_EQ(sim::ToUtf8(sim::DecodeWindows1252("\x80\x81\xFF")), "\u20AC\u0081\u00FF");
  EXPECT_EQ(sim::ToUtf8(sim::FromUtf8("a\xC3\xA9\xF0\x9F\x98\x80\xFFz")), "a\u00E9\U0001F600\uFFFDz");
}

}  // namespace
}  // namespace tests
