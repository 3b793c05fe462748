#include "tests/conformance/machine.h"

#include <cstdlib>

#include "common/utf8.h"

namespace conformance {

bool Selected(const char* what) {
  const char* rows = std::getenv("TOLOPEN_ROWS");
  return rows == nullptr || ("|" + std::string(rows) + "|").find("|" + std::string(what) + "|") != std::string::npos;
}

std::vector<std::string> WindowsVersions() {
  const char* named = std::getenv("TOLOPEN_WINDOWS_VERSIONS");
  std::vector<std::string> versions;
  for (const char* version : kWindowsVersions) {
    if (named == nullptr || ("|" + std::string(named) + "|").find("|" + std::string(version) + "|") != std::string::npos) {
      versions.push_back(version);
    }
  }
  return versions;
}

std::string OnVersion(const char* what, const std::string& version) {
  return version.empty() ? what : std::string(what) + " on " + version;
}

std::u16string Expand(Machine& machine, std::u16string text, const std::u16string& disc) {
  const struct {
    const char16_t* name;
    std::u16string value;
  } places[] = {{u"{disc}", disc}, {u"{system}", machine.SystemFolder()}, {u"{viewer}", machine.Viewer()}};
  for (const auto& place : places) {
    const std::u16string name = place.name;
    for (std::size_t at; (at = text.find(name)) != std::u16string::npos;) text.replace(at, name.size(), place.value);
  }
  return text;
}

std::string Show(const std::u16string& text) { return common::ToUtf8(text); }

Course::Course(const std::u16string& folder, const std::u16string& arguments, Build build)
    : machine(NewMachine()), disc(machine->DiscRoot() + u"\\" + folder) {
  const std::string document_type = Show(u"TolOpenTest.Document") + '\0';
  machine->SetClassesValue(u".tolopentest", u"", 1, document_type);
  machine->SetClassesValue(u".html", u"", 1, document_type);
  RegisterCommand(1, u"\"{viewer}\"" + arguments);
  machine->MakeDisc(disc, build);
}

void Course::RegisterCommand(std::uint32_t type, const std::u16string& command) {
  // ASCII here: the bytes of the text, and its NUL.
  machine->SetClassesValue(u"TolOpenTest.Document\\shell\\open\\command", u"", type,
                           Show(Expand(*machine, command, disc)) + '\0');
}

}  // namespace conformance
