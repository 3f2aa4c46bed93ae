// The BMP decoder of the title picture: any bytes, no crash, no overrun, and
// a decoded picture holds exactly width x height pixels.
#include "console/bmp_decoder.h"
#include "tests/fuzz/fuzz_support.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    console::Picture picture;
    const auto result = console::decodeBmp(std::string(fuzz_support::asText(data, size)), picture);
    if (result == console::BmpResult::Decoded &&
        picture.pixels.size() != static_cast<size_t>(picture.width) * picture.height)
        __builtin_trap();
    return 0;
}
