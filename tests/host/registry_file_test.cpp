// The dry run's registry file: what it reads, what it writes back, what it refuses.
#include <gtest/gtest.h>

#include "sim/code_page.h"
#include "common/utf8.h"
#include "tools/dry_run/registry_file.h"
#include "tools/dry_run/registry_file_encoding.h"

namespace tests {
namespace {

using sim::RegistryNode;

// A file that must be read (a refusal ends the test program with its message).
dry_run::RegistryFile Parsed(std::string_view text, const std::string& name) {
  common::Result<dry_run::RegistryFile> file = dry_run::ParseRegistryFile(std::string(text), name);
  if (!file) ADD_FAILURE() << name << ": " << common::ToUtf8(file.Error().Description());
  return std::move(file).Value();
}

// A version 5 file as reg export writes it: UTF-16LE with a byte-order mark, CR LF.
std::string Utf16File(const std::u16string& text) { return "\xFF\xFE" + dry_run::Utf16Bytes(text); }

// A value in a classes tree, or in HKEY_CLASSES_ROOT as the machine's and the user's merge.
template <typename Classes>
const sim::RegistryValue* ValueAt(Classes&& classes, const std::u16string& path, const std::u16string& name) {
  const RegistryNode* node = classes.Find(sim::SplitKeyPath(path));
  return node == nullptr ? nullptr : node->FindValue(name);
}

TEST(RegistryFileTest, ReadsEveryKindOfValue) {
  RegistryNode root = std::move(Parsed(
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
      "test.reg").machine_classes);
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
    ASSERT_NE(value, nullptr) << common::ToUtf8(e.path) << " " << common::ToUtf8(e.name);
    EXPECT_EQ(value->type, e.type);
    EXPECT_EQ(value->data, e.data) << common::ToUtf8(e.name);
  }
  const sim::RegistryValue* command = ValueAt(root, u"htmlfile\\shell\\open\\command", u"");
  ASSERT_NE(command, nullptr);
  EXPECT_EQ(std::string(command->data.begin(), command->data.end() - 1), "\"C:\\Program Files\\v.exe\" %1");
}

TEST(RegistryFileTest, WritesWhatItReadsBackInEachFormat) {
  RegistryNode root;
  RegistryNode& key = root.CreateSubkey(u"Tolvex Ubra").CreateSubkey(u"shell");
  key.SetKeyClass(u"1");
  key.SetValue({u"", 1, {'a', '\\', '"', 0xE9, 0}});
  key.SetValue({u"Lines", 1, {'a', '\n', 'b', 0}});  // text with a line break goes as hex(1)
  key.SetValue({u"NoNul", 1, {'a', 'b'}});
  key.SetValue({u"Exp", 2, {'%', 'A', '%', 0}});
  key.SetValue({u"Flags", 4, {0, 0, 1, 0}});
  key.SetValue({u"ShortDword", 4, {1, 2}});  // no dword: of two bytes
  key.SetValue({u"Long", 3, std::vector<std::uint8_t>(100, 0xAB)});
  key.SetValue({u"Empty", 3, {}});
  key.SetValue({u"Qword", 11, {1, 0, 0, 0, 0, 0, 0, 0}});  // hex(b)
  root.CreateSubkey(u"empty key");
  for (const auto format : {dry_run::RegistryFileFormat::kRegedit4, dry_run::RegistryFileFormat::kVersion5Utf16,
                            dry_run::RegistryFileFormat::kVersion5Utf8}) {
    dry_run::RegistryFile file;
    file.format = format;
    file.crlf = format == dry_run::RegistryFileFormat::kVersion5Utf16;
    file.write_root = u"HKEY_CLASSES_ROOT";
    const std::string text = dry_run::FormatRegistryFile(file, root);
    dry_run::RegistryFile again = Parsed(text, "saved.reg");
    EXPECT_EQ(again.format, format);
    EXPECT_EQ(dry_run::FormatRegistryFile(again, again.machine_classes), text);
    EXPECT_NE(again.machine_classes.FindSubkey(u"empty key"), nullptr) << "an empty key survives a save";
    EXPECT_EQ(common::ToUtf8(again.machine_classes.Find({u"Tolvex Ubra", u"shell"})->KeyClass()), "1") << "and a class";
    for (const auto& entry : key.Values()) {
      const sim::RegistryValue* value = ValueAt(again.machine_classes, u"Tolvex Ubra\\shell", entry.second.name);
      ASSERT_NE(value, nullptr) << common::ToUtf8(entry.second.name);
      EXPECT_EQ(value->type, entry.second.type);
      EXPECT_EQ(value->data, entry.second.data);
    }
  }
}

// What reg export writes: version 5, UTF-16, the classes of the machine and of the user,
// other keys, deletions.
TEST(RegistryFileTest, ReadsWhatWindowsExports) {
  dry_run::RegistryFile file = Parsed(Utf16File(
      u"Windows Registry Editor Version 5.00\r\n\r\n"
      u"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\.html]\r\n@=\"htmlfile\"\r\n\"Old\"=\"x\"\r\n\"Type\"=\"t\"\r\n"
      u"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\htmlfile\\shell\\open\\command]\r\n"
      u"@=hex(2):25,00,53,00,79,00,73,00,74,00,65,00,6d,00,52,00,6f,00,6f,00,74,00,25,00,\\\r\n"
      u"  5c,00,e9,00,7e,01,20,00,25,00,31,00,00,00\r\n"
      u"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\.gone]\r\n@=\"x\"\r\n"
      u"[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\.gone]\r\n"
      u"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\.gone\\again]\r\n@=\"new\"\r\n"
      u"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft]\r\n\"Other\"=\"passed over\"\r\n"
      u"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes.old]\r\n@=\"passed over\"\r\n"
      u"[HKEY_CURRENT_USER\\Software\\Classes\\.html]\r\n@=\"userfile\"\r\n"
      u"[HKEY_CLASSES_ROOT\\.html]\r\n\"Later\"=\"y\"\r\n"
      u"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\.html]\r\n\"Old\"=-\r\n"),
      "export.reg");
  EXPECT_EQ(file.format, dry_run::RegistryFileFormat::kVersion5Utf16);
  EXPECT_TRUE(file.crlf);
  EXPECT_EQ(common::ToUtf8(file.write_root), "HKEY_CURRENT_USER\\Software\\Classes");
  const sim::MergedClasses classes_root = file.Classes();
  RegistryNode& root = file.machine_classes;
  const sim::RegistryValue* html = ValueAt(classes_root, u".html", u"");
  ASSERT_NE(html, nullptr);
  EXPECT_EQ(std::string(html->data.begin(), html->data.end()), std::string("userfile", 9)) << "the user's class wins";
  EXPECT_EQ(ValueAt(classes_root, u".html", u"Type"), nullptr) << "and hides the machine's values of that key";
  EXPECT_NE(ValueAt(file.user_classes, u".html", u"Later"), nullptr) << "a write there goes to the user's key";
  const sim::RegistryValue* command = ValueAt(root, u"htmlfile\\shell\\open\\command", u"");
  ASSERT_NE(command, nullptr);
  EXPECT_EQ(command->type, 2u);
  EXPECT_EQ(std::string(command->data.begin(), command->data.end()), std::string("%SystemRoot%\\\xE9\x9E %1\0", 19))
      << "UTF-16 text as the ANSI entries give it (\u017E, whose high byte is 01, is 9E)";
  ASSERT_NE(root.FindSubkey(u".gone"), nullptr) << "a key made again after its deletion";
  EXPECT_EQ(ValueAt(root, u".gone", u""), nullptr) << "without what the deleted one held";
  EXPECT_NE(ValueAt(root, u".gone\\again", u""), nullptr);
  EXPECT_EQ(root.FindSubkey(u"Microsoft"), nullptr);
  EXPECT_EQ(root.FindSubkey(u".old"), nullptr) << "a key that only begins like the classes' is none of them";
  EXPECT_EQ(ValueAt(root, u".html", u"Old"), nullptr) << "=- deletes a value";
  EXPECT_EQ(std::string(ValueAt(root, u".html", u"")->data.begin(), ValueAt(root, u".html", u"")->data.end()),
            std::string("htmlfile", 9)) << "the machine's class stays the machine's";

  // UTF-8 with or without a byte-order mark (as Notepad saves it) reads the same.
  for (const char* mark : {"", "\xEF\xBB\xBF"}) {
    const dry_run::RegistryFile utf8 = Parsed(
        std::string(mark) + "Windows Registry Editor Version 5.00\n[HKEY_CLASSES_ROOT\\.t\xC3\xA9]\n@=\"caf\xC3\xA9\"\n",
        "utf8.reg");
    EXPECT_EQ(utf8.format, dry_run::RegistryFileFormat::kVersion5Utf8);
    EXPECT_NE(utf8.machine_classes.FindSubkey(u".t\u00E9"), nullptr);
  }
  // In UTF-16 a line ends at the unit 000A alone, not where a character's high byte 0A meets a 00.
  dry_run::RegistryFile units =
      Parsed(Utf16File(u"Windows Registry Editor Version 5.00\r\n[HKEY_CLASSES_ROOT\\.t]\r\n@=\"\u0A41\u0100\"\r\n"),
             "units.reg");
  ASSERT_NE(ValueAt(units.machine_classes, u".t", u""), nullptr);
  EXPECT_EQ(ValueAt(units.machine_classes, u".t", u"")->data.size(), 3u) << "two characters (as ANSI, \"?A\") and the NUL";
}

// A save adds only the keys and values that changed, in the file's own encoding.
TEST(RegistryFileTest, ASaveAddsOnlyWhatChanged) {
  const std::string original = Utf16File(u"Windows Registry Editor Version 5.00\r\n\r\n; kept\r\n"
                                         u"[HKEY_CLASSES_ROOT\\.html]\r\n@=\"htmlfile\"\r\n");
  dry_run::RegistryFile file = Parsed(original, "export.reg");
  RegistryNode& root = file.machine_classes;
  RegistryNode& command = root.CreateSubkey(u"Tolvex Ubra").CreateSubkey(u"shell");
  command.SetKeyClass(u"1");
  command.SetValue({u"", 1, {'x', 0}});
  const std::string added = dry_run::FormatChanges(file, file.Classes(), {{u"Tolvex Ubra\\shell", true, u"1", {u""}}});
  EXPECT_EQ(added, Utf16File(u"\r\n[HKEY_CLASSES_ROOT\\Tolvex Ubra\\shell]\r\n; class=1\r\n@=\"x\"\r\n").substr(2));
  const dry_run::RegistryFile again = Parsed(original + added, "saved.reg");
  EXPECT_EQ(dry_run::FormatRegistryFile(again, again.machine_classes), dry_run::FormatRegistryFile(file, root));
}

// Also: keys go 512 levels deep, no deeper; a first line may end in blanks; a comment that ends
// in "\" does not swallow the next line.
TEST(RegistryFileTest, RefusesBadFilesNamingTheLine) {
  using namespace std::literals;
  std::string deep;
  for (int i = 0; i < 512; ++i) deep += "\\k";
  const struct {
    std::string text;
    const char* message;
  } cases[] = {
      {"REGEDIT4 \r\n[HKEY_CLASSES_ROOT" + deep + "]\n", "accepted"},
      {"REGEDIT4\n[HKEY_CLASSES_ROOT" + deep + "\\k]\n", "bad.reg:2: a key deeper than the 512 levels Windows allows"},
      {"REGEDIT4\n; was: \"x\"=hex:00,\\\n[HKEY_CLASSES_ROOT\\a]\n@=\"x\n", "bad.reg:4: a quoted text has no closing quote"},
      {"", "bad.reg:0: the file is empty"},
      {"REGEDIT5\n", "bad.reg:1: the first line must be REGEDIT4 or Windows Registry Editor"},
      {"\xFF\xFEW", "bad.reg:0: a UTF-16 file of an odd number"},
      {"Windows Registry Editor Version 5.00\n\xC3(\n", "bad.reg:2: the file is neither UTF-16"},
      {"REGEDIT4\n@=\"x\"\n", "bad.reg:2: a value before the first [key] line"},
      {"REGEDIT4\n[HKEY_CLASSES_ROOT\\a\n", "bad.reg:2: a key line must end in ]"},
      {"REGEDIT4\n\n[HKEY_CLASSES_ROOT\\a]\n@=\"x\n", "bad.reg:4: a quoted text has no closing quote"},
      {"REGEDIT4\n[HKEY_CLASSES_ROOT\\a]\n\"v\"=dword:123456789\n", "bad.reg:3: dword: takes 1 to 8"},
      {"REGEDIT4\n[HKEY_CLASSES_ROOT\\a]\n\"v\"=hex:1,02\n", "bad.reg:3: hexadecimal data is pairs"},
      {"REGEDIT4\n[HKEY_CLASSES_ROOT\\a]\n\"v\"=hex:01,\n", "bad.reg:3: hexadecimal data ends in a comma"},
      {"REGEDIT4\n[HKEY_CLASSES_ROOT\\a]\n\"v\"=hex:0g\n", "bad.reg:3: hexadecimal data is pairs"},
      {"REGEDIT4\n[HKEY_CLASSES_ROOT\\a]\n\"v\"=dword:\n", "bad.reg:3: dword: takes 1 to 8"},
      {"REGEDIT4\n[HKEY_CLASSES_ROOT\\a]\n\"v\" \"x\"\n", "bad.reg:3: expected = after the value name"},
      {"REGEDIT4\n[HKEY_CLASSES_ROOT\\a]\n\"v\"=42\n", "bad.reg:3: value data must be"},
      {"REGEDIT4\n[HKEY_CLASSES_ROOT\\a]\n\"v\"=\"C:\\x\"\n", "bad.reg:3: in a quoted text a backslash"},
      {std::string("W\0i\0n\0d\0o\0w\0s\0"sv), "bad.reg:0: the file looks like UTF-16 without a byte-order mark"},
      {std::string("\xFE\xFF\0W"sv), "bad.reg:0: the file is UTF-16 in big-endian byte order"},
      {"Windows Registry Editor Version 4.00\r\n", "bad.reg:1: the first line must be REGEDIT4 or Windows"},
  };
  for (const auto& c : cases) {
    const common::Result<dry_run::RegistryFile> file = dry_run::ParseRegistryFile(c.text, "bad.reg");
    const std::string refusal = file ? "accepted" : common::ToUtf8(file.Error().Description());
    EXPECT_EQ(refusal.rfind(c.message, 0), 0u) << refusal << ": " << c.text.substr(0, 80);
  }
}

TEST(CodePageTest, Windows1252) {
  EXPECT_EQ(sim::EncodeWindows1252(u"a\u00E9\u20AC\u0416\U0001F600"), "a\xE9\x80??");
  EXPECT_EQ(sim::EncodeWindows1252(u"Prohl\u00ED\u017Ee\u010D \u0159\u016F\u017E\u011B"), "Prohl\xED\x9E" "ec ru\x9E" "e")
      << "a letter Windows-1252 lacks is written as its best fit";
  EXPECT_EQ(common::ToUtf8(sim::DecodeWindows1252("\x80\x81\xFF")), "\u20AC\u0081\u00FF");
  // A byte that begins no character, and a character written longer than it needs, are each replaced.
  EXPECT_EQ(common::ToUtf8(common::FromUtf8("a\xC3\xA9\xF0\x9F\x98\x80\xFFz\xE0\x82\x80")),
            "a\u00E9\U0001F600\uFFFDz\uFFFD\uFFFD\uFFFD");
  EXPECT_EQ(common::ToUtf8(std::u16string(u"\xD800x")), "\uFFFDx") << "a surrogate without its pair";
}

}  // namespace
}  // namespace tests
