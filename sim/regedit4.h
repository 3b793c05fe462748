// HKEY_CLASSES_ROOT of the simulated machine as a REGEDIT4 file.
//
// The file is text in the ANSI code page (Windows-1252), lines ending in LF or CR LF:
//   REGEDIT4
//   [HKEY_CLASSES_ROOT\.html]
//   @="htmlfile"                      the default value, text
//   "EditFlags"=dword:00010000        a named value, REG_DWORD
//   "Data"=hex:01,02,\                REG_BINARY; a final "\" continues on the next line
//     03
//   "Path"=hex(2):25,00               any type by number (here REG_EXPAND_SZ)
// Lines that begin with ";" are comments.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "sim/registry_tree.h"

namespace sim {

// A file that cannot be read or does not follow the format; the message names file and line.
class RegistryFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The whole file, or an error: never a half-loaded registry.
RegistryNode ParseRegistryText(std::string_view text, const std::string& file_name);
RegistryNode LoadRegistryFile(const std::string& path);

std::string FormatRegistryText(const RegistryNode& classes_root);
// Replaces the file whole: a failed save leaves the old file as it was.
void SaveRegistryFile(const RegistryNode& classes_root, const std::string& path);

}  // namespace sim
