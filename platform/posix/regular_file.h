// Opening a file the program reads, refusing anything that is not a regular
// file: a FIFO would block the open (and every read) until a writer came, a
// device such as a terminal would wait for input or never end, and a
// directory holds no data. Such a file is treated as one that cannot be
// opened.
#pragma once

#include <string>

namespace posix_host {

// A descriptor open for reading on the regular file at `nativePath`, in
// blocking mode, or -1. The type is checked on the opened descriptor (the
// open itself does not wait), so nothing can be put in the file's place
// between the check and the reads.
int openRegularFile(const std::string &nativePath);

// Whether `nativePath` names a regular file (a symbolic link is followed).
bool isRegularFile(const std::string &nativePath);

} // namespace posix_host
