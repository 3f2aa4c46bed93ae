// A read-only (or write) file handle for the program's data files, opened
// through the platform's path mapping. Closed when it goes out of scope.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace platform {

class File {
public:
    File() = default;
    ~File();
    File(const File &) = delete;
    File &operator=(const File &) = delete;
    File(File &&other) noexcept;
    File &operator=(File &&other) noexcept;

    // Opens a path of the program (Windows form or native). Mode "rb" or "wb".
    bool open(const std::string &path, const char *mode = "rb");
    // False when what was written could not be flushed to the file.
    bool close();
    bool isOpen() const { return handle_ != nullptr; }
    // Open, and no read or write has failed on it.
    bool good() const;

    // Reads up to count bytes; returns the number read.
    size_t read(void *buffer, size_t count);
    // Reads exactly count bytes; false on a short read.
    bool readExact(void *buffer, size_t count);
    size_t write(const void *buffer, size_t count);
    bool seek(int64_t offset); // from the start
    bool skip(int64_t offset); // from the current position
    int64_t tell() const;
    int64_t size() const; // -1 when unknown
    bool atEnd();

private:
    std::FILE *handle_ = nullptr;
};

// Reads a whole file; false when it cannot be opened or exceeds maxBytes.
bool readWholeFile(const std::string &path, std::string &out, size_t maxBytes);

} // namespace platform
