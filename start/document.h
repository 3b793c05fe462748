// How the launcher turns its argument and the registered open command into the command line
// that starts the viewer. Pure text work, no platform calls.
#pragma once

#include <string>

namespace mdlMain {

// The extension of a document name: from its rightmost "." to the end, dot included, or ""
// when there is no dot. A dot in a folder name counts too: "dir.old\page" gives ".old\page".
std::u16string ExtensionOf(const std::u16string& document);

// The argument without one enclosing pair of double quotes: "\"My Page.html\"" gives
// "My Page.html". Anything else comes back unchanged.
std::u16string WithoutEnclosingQuotes(const std::u16string& argument);

// True for a path that names its own location: "C:\..." or a network path "\\server\...".
bool IsAbsolutePath(const std::u16string& path);

// The command line that starts the viewer on the document.
// - The open command ends at its first NUL.
// - A "%1" or "%L" (either case) in the open command is replaced by the path; "%*" by nothing.
// - Without "%1" or "%L" the path is appended after exactly one space.
// - A path that holds a blank is put in double quotes unless it lands inside quotes already.
std::u16string LaunchCommandLine(const std::u16string& open_command, const std::u16string& path);

}  // namespace mdlMain
