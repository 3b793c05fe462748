// The dry run's registry file: the simulated machine's HKEY_CLASSES_ROOT, read from a file as
// Windows exports it, and the launcher's changes added to it after a run.
//
// Formats: "REGEDIT4" files in the ANSI code page (Windows-1252), and "Windows Registry Editor
// Version 5.00" files in UTF-16LE with a byte-order mark (reg export, regedit) or in UTF-8;
// lines end in LF or CR LF:
//   Windows Registry Editor Version 5.00
//   [HKEY_CLASSES_ROOT\.html]              also HKEY_LOCAL_MACHINE\SOFTWARE\Classes\... and
//   @="htmlfile"                           HKEY_CURRENT_USER\Software\Classes\...; other keys
//   "EditFlags"=dword:00010000             are passed over
//   "Data"=hex:01,02,\                     a final "\" continues on the next line
//     03
//   "Path"=hex(2):25,00,41,00,25,00,00,00  any type by number; in version 5 files the text
//   "Old"=-                                types hold UTF-16
//   [-HKEY_CLASSES_ROOT\.old]              deletes a key or a value
// Lines that begin with ";" are comments; "; class=TEXT" after a key line records its class.
// A key of HKEY_CLASSES_ROOT goes where Windows puts it: to the user's classes where they hold
// it, else to the machine's.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/result.h"
#include "sim/registry_tree.h"

namespace dry_run {

using sim::RegistryNode;

enum class RegistryFileFormat { kRegedit4, kVersion5Utf16, kVersion5Utf8 };

struct RegistryFile {
  RegistryNode machine_classes;
  RegistryNode user_classes;
  sim::MergedClasses Classes() { return {machine_classes, &user_classes}; }
  RegistryFileFormat format = RegistryFileFormat::kRegedit4;
  bool crlf = false;               // lines end in CR LF
  std::u16string write_root;       // the root that keys added to the file are written under
  std::string bytes;               // the file as it was read
};

// A key that a run created or whose values it changed; `values` names those values.
struct RegistryChange {
  std::u16string key_path;         // below the classes root, names joined by "\"
  bool created = false;
  std::u16string key_class;        // of a created key
  std::vector<std::u16string> values;
};

// The whole file, or a failure whose description names the file and line: never a half-read
// registry.
common::Result<RegistryFile> ParseRegistryFile(std::string bytes, const std::string& file_name);
common::Result<RegistryFile> LoadRegistryFile(const std::string& path);
// A failure of the tool's files: its description is the message, in UTF-16.
common::NumberedError FileProblem(const std::string& message);

// The changes as the sections that add them to the file: in its format, encoding and line ends.
std::string FormatChanges(const RegistryFile& file, const sim::MergedClasses& classes,
                          const std::vector<RegistryChange>& changes);
// A whole file of the format that holds `root`: its header, then every key and value.
std::string FormatRegistryFile(const RegistryFile& file, const RegistryNode& root);

// Adds the changes at the end of the file, which is otherwise left as it was; the file is
// replaced whole, so a failed save leaves it as it was.
common::Outcome SaveChanges(const std::string& path, const RegistryFile& file, const sim::MergedClasses& classes,
                            const std::vector<RegistryChange>& changes);

}  // namespace dry_run
