// libFuzzer target for the BMP decoder: any bytes, no crash, no overrun.
//   clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -I. \
//     tests/fuzz/bmp_fuzz.cpp console/bmp_decoder.cpp platform/file.cpp \
//     platform/posix/paths.cpp -o /tmp/bmp_fuzz && /tmp/bmp_fuzz -runs=1000000
#include "console/bmp_decoder.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    console::Picture picture;
    console::decodeBmp(std::string(reinterpret_cast<const char *>(data), size), picture);
    return 0;
}
