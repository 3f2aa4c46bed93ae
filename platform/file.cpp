// platform::File on stdio, opened through the platform's path mapping.
#include "platform/file.h"
#include "platform/platform.h"

#include <sys/stat.h>
#include <sys/types.h>

#include <cstring>
#include <utility>

#ifndef _WIN32
#include "platform/posix/regular_file.h"

#include <unistd.h>
#endif

namespace platform {
namespace {

bool isReadMode(const char *mode) {
    return mode[0] == 'r' && std::strchr(mode, '+') == nullptr;
}

// A file read by the program must be a regular file: a FIFO, a device or a
// directory in a data file's place counts as a file that cannot be opened,
// and nothing waits on it.
std::FILE *openForReading(const std::string &native, const char *mode) {
#ifdef _WIN32
    // Opening a device (CON) does not wait; reading it would.
    std::FILE *f = std::fopen(native.c_str(), mode);
    struct stat st;
    if (f && (fstat(fileno(f), &st) != 0 || !S_ISREG(st.st_mode))) {
        std::fclose(f);
        return nullptr;
    }
    return f;
#else
    const int fd = posix_host::openRegularFile(native);
    if (fd < 0)
        return nullptr;
    std::FILE *f = fdopen(fd, mode);
    if (!f)
        ::close(fd);
    return f;
#endif
}

// Output may go to a device (a pipe, /dev/full), never to a directory.
std::FILE *openForWriting(const std::string &native, const char *mode) {
    std::FILE *f = std::fopen(native.c_str(), mode);
    struct stat st;
    if (f && (fstat(fileno(f), &st) != 0 || S_ISDIR(st.st_mode))) {
        std::fclose(f);
        return nullptr;
    }
    return f;
}

} // namespace

File::~File() {
    close();
}

File::File(File &&other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}

File &File::operator=(File &&other) noexcept {
    if (this != &other) {
        close();
        handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
}

bool File::open(const std::string &path, const char *mode) {
    close();
    const std::string native = nativePath(path);
    if (native.empty() || !mode)
        return false;
    handle_ = isReadMode(mode) ? openForReading(native, mode) : openForWriting(native, mode);
    return handle_ != nullptr;
}

bool File::close() {
    if (!handle_)
        return true;
    const bool flushed = std::fclose(handle_) == 0;
    handle_ = nullptr;
    return flushed;
}

bool File::good() const {
    return handle_ && !std::ferror(handle_);
}

size_t File::read(void *buffer, size_t count) {
    if (!handle_ || count == 0)
        return 0;
    return std::fread(buffer, 1, count, handle_);
}

bool File::readExact(void *buffer, size_t count) {
    if (count == 0)
        return handle_ != nullptr;
    return read(buffer, count) == count;
}

size_t File::write(const void *buffer, size_t count) {
    if (!handle_ || count == 0)
        return 0;
    return std::fwrite(buffer, 1, count, handle_);
}

bool File::seek(int64_t offset) {
    return handle_ && offset >= 0 && fseeko(handle_, static_cast<off_t>(offset), SEEK_SET) == 0;
}

bool File::skip(int64_t offset) {
    return handle_ && fseeko(handle_, static_cast<off_t>(offset), SEEK_CUR) == 0;
}

int64_t File::tell() const {
    if (!handle_)
        return -1;
    return static_cast<int64_t>(ftello(handle_));
}

int64_t File::size() const {
    if (!handle_)
        return -1;
    // Seeking to the end flushes pending writes, so the size is exact in
    // both modes; the position is restored.
    const off_t pos = ftello(handle_);
    if (pos < 0 || fseeko(handle_, 0, SEEK_END) != 0)
        return -1;
    const off_t end = ftello(handle_);
    if (fseeko(handle_, pos, SEEK_SET) != 0)
        return -1;
    return static_cast<int64_t>(end);
}

bool File::atEnd() {
    if (!handle_)
        return true;
    const int c = std::fgetc(handle_);
    if (c == EOF)
        return true;
    std::ungetc(c, handle_);
    return false;
}

bool readWholeFile(const std::string &path, std::string &out, size_t maxBytes) {
    out.clear();
    File file;
    if (!file.open(path))
        return false;
    const int64_t size = file.size();
    if (size > 0 && static_cast<uint64_t>(size) > maxBytes)
        return false;
    if (size > 0)
        out.reserve(static_cast<size_t>(size));
    char buffer[65536];
    for (;;) {
        const size_t n = file.read(buffer, sizeof buffer);
        if (n == 0)
            break;
        if (n > maxBytes - out.size()) {
            out.clear();
            return false;
        }
        out.append(buffer, n);
    }
    return true;
}

} // namespace platform
