// Where the parts of an installed tree lie, seen from the running program:
// the build tree has the same layout, so both are found the same way.
#pragma once

#include <string>

namespace posix_host {

// The program's own directory joined with a relative path, made absolute.
std::string besideProgram(const std::string &relative);
// The data tree: <program dir>/../share/galdrino in the usual layout.
std::string installedDataTree();
// The directory of the synthesizer library: <program dir>/../lib/galdrino.
std::string installedLibraryDirectory();

} // namespace posix_host
