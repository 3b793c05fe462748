// mdlAsociace: registers a course file type, so that its documents open in a program of the
// "Download" folder beside the launcher, and marks the type as safe to open.
#pragma once

#include <string>

namespace mdlAsociace {

// Writes, under HKEY_CLASSES_ROOT and in this order: the extension's file type, the type's
// open command (program folder\Download\program "%1"), and its EditFlags 0x10000
// (FTA_OpenIsSafe). Where the machine's classes refuse the extension's key (a standard user),
// the whole type goes under HKEY_CURRENT_USER\Software\Classes instead, the same three values.
// A failed write does not stop the next one; nothing is reported.
void RegisterFileType(std::u16string extension, std::u16string file_type_name,
                      std::u16string program_file_name);

// The open command for a program in the Download folder below `program_folder`. A program path
// with a blank is quoted, so that the shell cannot start another program from a shorter part of
// it, and so is "%1", so that a document whose path holds a blank reaches the program whole.
std::u16string DownloadOpenCommand(const std::u16string& program_folder,
                                   const std::u16string& program_file_name);

}  // namespace mdlAsociace
