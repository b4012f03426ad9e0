// Pictures a user brings as underlays (BMP, GIF, JPG, PNG) and the bitmap reader of underlays:
// refused with a RuntimeError or decoded within the limits, and a decoded picture encodes again.
#include "fuzz_support.h"
#include "engine/bitmap_file.h"
#include "engine/picture_file.h"
#include "platform/runtime_error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace e = tolm::engine;
    const auto bytes = tolm::fuzz::bytes_of(data, size);
    try {
        const e::Bitmap picture = e::decode_picture(bytes, "fuzz.png");
        tolm::fuzz::check(picture.width > 0 && picture.height > 0 &&
                              std::uint64_t(picture.width) * std::uint64_t(picture.height) <= e::k_max_picture_pixels &&
                              picture.pixels.size() == std::size_t(picture.width) * std::size_t(picture.height),
                          "a decoded picture has its pixels and stays within the limits");
        const e::Bitmap again = e::decode_bitmap(e::encode_bitmap(picture), "again.bmp");
        tolm::fuzz::check(again.width == picture.width && again.height == picture.height, "an encoded picture reads back");
    } catch (const tolm::RuntimeError&) {
    }
    try {
        (void)e::decode_bitmap(std::string(bytes), "fuzz.bmp");
    } catch (const tolm::RuntimeError&) {
    }
    return 0;
}
