#include "platform/posix/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace posix_host {

int openRegularFile(const std::string &nativePath) {
    if (nativePath.empty())
        return -1;
    // O_NONBLOCK: opening a FIFO with no writer returns at once instead of
    // waiting for one; the descriptor is refused below anyway.
    const int fd = ::open(nativePath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return -1;
    struct stat st;
    const int flags = ::fcntl(fd, F_GETFL);
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || flags < 0 ||
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool isRegularFile(const std::string &nativePath) {
    struct stat st;
    return !nativePath.empty() && ::stat(nativePath.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

} // namespace posix_host
